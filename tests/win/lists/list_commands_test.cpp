// The list commands on the real main window under Wine: filling, adding through the shell's own
// folder browser and open-file dialog, removing, clearing, selecting, the context menu, the
// keys, and the shell notifications. The driver is played by the test so that every request
// and its order can be seen.
#include "app/veltrix_dlg.h"
#include "driver/core/protocol.h"
#include "lists/list_changer.h"
#include "support/main_window_harness.h"
#include "res/resource.h"
#include "support/audit_events.h"
#include "support/message_boxes.h"
#include "support/modal.h"

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

HWND Locked(HWND dialog) { return ::GetDlgItem(dialog, IDC_LOCKED_LIST); }
HWND Trusted(HWND dialog) { return ::GetDlgItem(dialog, IDC_TRUSTED_LIST); }

void Close(HWND dialog) { ::SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }

void ClickButton(CWnd& dlg, int id)
{
    ::SendMessageA(::GetDlgItem(dlg.m_hWnd, id), BM_CLICK, 0, 0);
    PumpMessages(&dlg);
}

std::string Upper(std::string text)
{
    ::CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

TEST(ListFilling, TheLockedViewSkipsRepeatsInAnyCaseTheTrustedViewShowsThemAll)
{
    InstallFolder install("vtxE-fill");
    FakeDriver driver;
    driver.m_locked = {"C:\\Data\\A", "C:\\DATA\\a", "C:\\Data\\B", "c:\\data\\b", "C:\\Donn\xE9" "es", "C:\\DONN\xC9" "ES"};
    driver.m_trusted = {"C:\\Tools\\p.exe", "C:\\TOOLS\\P.EXE", "C:\\Tools\\p.exe"};
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        EXPECT_EQ(ListTexts(Locked(hWnd)), (std::vector<std::string>{"C:\\Data\\A", "C:\\Data\\B", "C:\\Donn\xE9" "es"}));
        EXPECT_EQ(ListTexts(Trusted(hWnd)), driver.m_trusted);
        Close(hWnd);
    });
    // Every answer was asked for, the repeated last entry too; the locked list was read first.
    EXPECT_EQ(driver.m_enumerations,
              (std::vector<uint32_t>{IOCTL_LOCK_ENUM, IOCTL_LOCK_ENUM, IOCTL_LOCK_ENUM, IOCTL_LOCK_ENUM, IOCTL_LOCK_ENUM,
                                     IOCTL_LOCK_ENUM, IOCTL_TRUST_ENUM, IOCTL_TRUST_ENUM, IOCTL_TRUST_ENUM}));
    EXPECT_TRUE(driver.m_requests.empty());
}

TEST(ListFilling, EntriesShowTheShellsIconAndTypeAndHiddenOnesDimmed)
{
    InstallFolder install("vtxE-entries");
    const std::string folder = install.Make("Shown", true);
    const std::string hidden = install.Make("Shown\\secret.txt");
    WriteWholeFile(hidden, "x");
    ASSERT_TRUE(::SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const std::string gone = install.Path() + "\\..\\Gone\\plan.doc";
    FakeDriver driver;
    driver.m_locked = {folder, hidden, gone};
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        HWND list = Locked(hWnd);
        ASSERT_EQ(ListTexts(list), driver.m_locked);
        const std::vector<std::string> types = ListTexts(list, 1);
        EXPECT_FALSE(types[0].empty()) << "a folder has a type name";
        EXPECT_FALSE(types[1].empty());
        EXPECT_EQ(types[2], "") << "the shell knows nothing of a path that is gone";
        EXPECT_EQ(ListView_GetItemState(list, 0, LVIS_CUT), 0u);
        EXPECT_EQ(ListView_GetItemState(list, 1, LVIS_CUT), static_cast<UINT>(LVIS_CUT));
        EXPECT_EQ(ListView_GetItemState(list, 2, LVIS_CUT), 0u);
        for (int i = 0; i < 3; ++i) {
            LVITEMA item{};
            item.mask = LVIF_IMAGE;
            item.iItem = i;
            ListView_GetItem(list, &item);
            EXPECT_GE(item.iImage, 0) << i;
        }
        // The folder and the vanished document show different icons.
        LVITEMA first{LVIF_IMAGE, 0}, third{LVIF_IMAGE, 2};
        ListView_GetItem(list, &first);
        ListView_GetItem(list, &third);
        EXPECT_NE(first.iImage, third.iImage);
        const HIMAGELIST shared = ListView_GetImageList(list, LVSIL_SMALL);
        EXPECT_NE(shared, nullptr);
        EXPECT_EQ(ListView_GetImageList(Trusted(hWnd), LVSIL_SMALL), shared);
        Close(hWnd);
    });
}

// ---- adding -------------------------------------------------------------------------------

TEST(AddLocked, TheFolderBrowserRefusesWindowsAndOurOwnFilesAndAddsOnceWhatItAdmits)
{
    InstallFolder install("vtxE-addlocked");
    const std::string outside = install.Make("Private", true);
    FakeDriver driver;
    MessageBoxCatcher boxes;
    ShellDialogPlayer shell({ChooseComputerInBrowser(), ChooseInBrowser(install.Path()), ChooseInBrowser(outside),
                             ChooseInBrowser(outside), CancelShellDialog()});
    CVeltrixDlg dlg(driver);
    std::vector<std::vector<std::string>> viewAfter;
    size_t boxesAfterRefusals = 0;
    HWND mainWnd = nullptr;
    RunModal(dlg, [&](HWND hWnd) {
        mainWnd = hWnd;
        for (int i = 0; i < 5; ++i) {
            ClickButton(dlg, IDC_ADD_LOCKED);
            viewAfter.push_back(ListTexts(Locked(hWnd)));
            if (i == 1)
                boxesAfterRefusals = boxes.Shown().size();
        }
        Close(hWnd);
    });
    EXPECT_EQ(shell.Played(), 5);
    EXPECT_EQ(shell.Unexpected(), 0);
    EXPECT_EQ(shell.Kinds(), (std::vector<std::string>(5, "browse")));
    ASSERT_EQ(boxes.Shown().size(), 2u) << "the duplicate and the cancel say nothing";
    EXPECT_EQ(boxesAfterRefusals, 2u);
    EXPECT_EQ(boxes.Shown()[0].text, "Can't lock Windows System Directory");
    EXPECT_EQ(boxes.Shown()[1].text, "Can't lock Veltrix File");
    for (const auto& box : boxes.Shown()) {
        EXPECT_EQ(box.caption, "Veltrix");
        EXPECT_EQ(box.owner, mainWnd) << "the main window owns the refusal";
    }
    EXPECT_TRUE(viewAfter[0].empty());
    EXPECT_TRUE(viewAfter[1].empty());
    EXPECT_EQ(viewAfter[2], (std::vector<std::string>{outside}));
    EXPECT_EQ(viewAfter[3], viewAfter[2]);
    EXPECT_EQ(viewAfter[4], viewAfter[2]);
    EXPECT_EQ(driver.m_requests, (std::vector<PathRequest>{{IOCTL_LOCK_ADD, outside}}));
}

TEST(AddTrusted, TheProgramDialogRefusesOurOwnProgramsAndAddsOnceInAnyCase)
{
    InstallFolder install("vtxE-addtrusted");
    const std::string own = install.Path() + "\\vtx.exe";
    const std::string tool = install.Make("Tools\\tool.exe");
    WriteWholeFile(own, "MZ");
    WriteWholeFile(tool, "MZ");
    FakeDriver driver;
    MessageBoxCatcher boxes;
    ShellDialogPlayer shell({ChooseInFileDialog(own), ChooseInFileDialog(tool), ChooseInFileDialog(Upper(tool)),
                             CancelShellDialog()});
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        for (int i = 0; i < 4; ++i)
            ClickButton(dlg, IDC_ADD_TRUSTED);
        EXPECT_EQ(ListTexts(Trusted(hWnd)), (std::vector<std::string>{tool}));
        EXPECT_TRUE(ListTexts(Locked(hWnd)).empty());
        Close(hWnd);
    });
    EXPECT_EQ(shell.Kinds(), (std::vector<std::string>(4, "open")));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Don't need to trust Veltrix Program");
    EXPECT_EQ(boxes.Shown()[0].caption, "Veltrix");
    EXPECT_EQ(driver.m_requests, (std::vector<PathRequest>{{IOCTL_TRUST_ADD, tool}}));
    char current[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_EQ(std::string(current), install.Path()) << "the program dialog leaves the current directory alone";
}

// ---- removing and clearing -----------------------------------------------------------------

TEST(RemoveFromList, SeveralSelectedEntriesGoOneRequestEachInAscendingOrder)
{
    InstallFolder install("vtxE-remove");
    FakeDriver driver;
    driver.m_locked = {"C:\\L0", "C:\\L1", "C:\\L2", "C:\\L3", "C:\\L4", "C:\\L5"};
    driver.m_trusted = {"C:\\T0.exe", "C:\\T1.exe", "C:\\T2.exe"};
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        SelectItems(Locked(hWnd), {1, 2, 4, 5});
        ClickButton(dlg, IDC_REMOVE_LOCKED);
        EXPECT_EQ(ListTexts(Locked(hWnd)), (std::vector<std::string>{"C:\\L0", "C:\\L3"}));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hWnd, IDC_REMOVE_LOCKED))) << "no selection is left";
        SelectItems(Trusted(hWnd), {0, 2});
        ClickButton(dlg, IDC_REMOVE_TRUSTED);
        EXPECT_EQ(ListTexts(Trusted(hWnd)), (std::vector<std::string>{"C:\\T1.exe"}));
        Close(hWnd);
    });
    EXPECT_EQ(driver.m_requests, (std::vector<PathRequest>{{IOCTL_LOCK_REMOVE, "C:\\L1"},
                                                           {IOCTL_LOCK_REMOVE, "C:\\L2"},
                                                           {IOCTL_LOCK_REMOVE, "C:\\L4"},
                                                           {IOCTL_LOCK_REMOVE, "C:\\L5"},
                                                           {IOCTL_TRUST_REMOVE, "C:\\T0.exe"},
                                                           {IOCTL_TRUST_REMOVE, "C:\\T2.exe"}}));
}

TEST(ClearList, EveryEntryGoesOneRequestEachInViewOrderAndNothingOnAnEmptyList)
{
    InstallFolder install("vtxE-clear");
    FakeDriver driver;
    driver.m_locked = {"C:\\L0", "C:\\L1"};
    driver.m_trusted = {"C:\\T0.exe", "C:\\T1.exe", "C:\\T0.exe"};
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        ::SetFocus(::GetDlgItem(hWnd, IDC_HELP_BUTTON));
        SelectItems(Locked(hWnd), {1});
        PressCtrlKey(dlg, 'L');
        EXPECT_TRUE(ListTexts(Locked(hWnd)).empty());
        PressCtrlKey(dlg, 'L');
        PressCtrlKey(dlg, 'R');
        ::SetFocus(Trusted(hWnd));
        PressCtrlKey(dlg, 'L');
        EXPECT_TRUE(ListTexts(Trusted(hWnd)).empty());
        Close(hWnd);
    });
    EXPECT_EQ(driver.m_requests, (std::vector<PathRequest>{{IOCTL_LOCK_REMOVE, "C:\\L0"},
                                                           {IOCTL_LOCK_REMOVE, "C:\\L1"},
                                                           {IOCTL_TRUST_REMOVE, "C:\\T0.exe"},
                                                           {IOCTL_TRUST_REMOVE, "C:\\T1.exe"},
                                                           {IOCTL_TRUST_REMOVE, "C:\\T0.exe"}}));
}

// Loading the lists at start is no change; each add, remove and clear of an entry is an event.
TEST(AuditTrail, EachAddRemoveAndClearOfAnEntryIsAnEventWithItsPathAndList)
{
    InstallFolder install("vtxE-audit");
    const std::string outside = install.Make("Private", true);
    FakeDriver driver;
    driver.m_locked = {"C:\\L0", "C:\\L1"};
    driver.m_trusted = {"C:\\T0.exe", "C:\\T1.exe"};
    CAuditRecorder events;
    ShellDialogPlayer shell({ChooseInBrowser(outside)});
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        ClickButton(dlg, IDC_ADD_LOCKED);
        SelectItems(Locked(hWnd), {0});
        ClickButton(dlg, IDC_REMOVE_LOCKED);
        ::SetFocus(Trusted(hWnd));
        PressCtrlKey(dlg, 'L');
        PressCtrlKey(dlg, 'L');
        Close(hWnd);
    });
    const WORD info = EVENTLOG_INFORMATION_TYPE;
    EXPECT_EQ(DetailsOf(events.m_events, "win_lists_commands.exe"),
              (std::vector<AuditEventSeen>{{MSG_ENTRY_ADDED, info, {outside, "locked"}},
                                           {MSG_ENTRY_REMOVED, info, {"C:\\L0", "locked"}},
                                           {MSG_ENTRY_CLEARED, info, {"C:\\T0.exe", "trusted"}},
                                           {MSG_ENTRY_CLEARED, info, {"C:\\T1.exe", "trusted"}}}));
}

TEST(ActiveList, RemoveOfTheTrustedListMakesItActiveForTheAccelerators)
{
    InstallFolder install("vtxE-active");
    FakeDriver driver;
    driver.m_locked = {"C:\\L0", "C:\\L1"};
    driver.m_trusted = {"C:\\T0.exe", "C:\\T1.exe", "C:\\T2.exe"};
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        ::SetFocus(Locked(hWnd));
        SelectItems(Trusted(hWnd), {1});
        ::SetFocus(Locked(hWnd));
        ::SetFocus(::GetDlgItem(hWnd, IDC_HELP_BUTTON));
        PressCtrlKey(dlg, 'A');
        EXPECT_EQ(SelectedItems(Locked(hWnd)).size(), 2u) << "the locked list had the focus last";
        SelectItems(Locked(hWnd), {});
        ClickButton(dlg, IDC_REMOVE_TRUSTED);
        ::SetFocus(::GetDlgItem(hWnd, IDC_HELP_BUTTON));
        PressCtrlKey(dlg, 'A');
        EXPECT_EQ(SelectedItems(Trusted(hWnd)), (std::vector<int>{0, 1}));
        EXPECT_TRUE(SelectedItems(Locked(hWnd)).empty());
        PressCtrlKey(dlg, 'W');
        EXPECT_TRUE(SelectedItems(Trusted(hWnd)).empty());
        SelectItems(Trusted(hWnd), {1});
        PressCtrlKey(dlg, 'W');
        EXPECT_EQ(SelectedItems(Trusted(hWnd)), (std::vector<int>{0}));
        Close(hWnd);
    });
    EXPECT_EQ(driver.m_requests, (std::vector<PathRequest>{{IOCTL_TRUST_REMOVE, "C:\\T1.exe"}}));
}

TEST(DeleteKey, RemovesTheSelectedEntriesOfTheFocusedListOtherKeysNothing)
{
    InstallFolder install("vtxE-delete");
    FakeDriver driver;
    driver.m_locked = {"C:\\L0", "C:\\L1", "C:\\L2"};
    driver.m_trusted = {"C:\\T0.exe", "C:\\T1.exe"};
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        ::SetFocus(Trusted(hWnd));
        SelectItems(Trusted(hWnd), {0, 1});
        SelectItems(Locked(hWnd), {0, 2});
        for (UINT vk : {UINT('X'), UINT(VK_BACK), UINT(VK_INSERT)})
            PressKey(dlg, vk);
        EXPECT_EQ(ListTexts(Trusted(hWnd)).size(), 2u);
        ::SetFocus(Locked(hWnd));
        PressKey(dlg, VK_DELETE);
        EXPECT_EQ(ListTexts(Locked(hWnd)), (std::vector<std::string>{"C:\\L1"}));
        EXPECT_EQ(ListTexts(Trusted(hWnd)).size(), 2u) << "the trusted list keeps its selected entries";
        Close(hWnd);
    });
    EXPECT_EQ(driver.m_requests, (std::vector<PathRequest>{{IOCTL_LOCK_REMOVE, "C:\\L0"}, {IOCTL_LOCK_REMOVE, "C:\\L2"}}));
}

// ---- the context menu -----------------------------------------------------------------------

TEST(ContextMenu, OffersCommandsByTheListsEntriesAndSelection)
{
    InstallFolder install("vtxE-menu");
    FakeDriver driver;
    driver.m_trusted = {"C:\\T0.exe", "C:\\T1.exe"};
    CVeltrixDlg dlg(driver);
    MenuWatcher menus;
    RunModal(dlg, [&](HWND hWnd) {
        RightClick(dlg, Locked(hWnd));
        SelectItems(Trusted(hWnd), {0});
        RightClick(dlg, Trusted(hWnd));
        EXPECT_TRUE(SelectedItems(Trusted(hWnd)).empty());
        RightClick(dlg, Trusted(hWnd), 1);
        EXPECT_EQ(SelectedItems(Trusted(hWnd)), (std::vector<int>{1}));
        Close(hWnd);
    });
    using Row = std::vector<bool>;
    ASSERT_EQ(menus.m_shown.size(), 3u);
    //                       select all, invert, remove, clear, add
    EXPECT_EQ(menus.m_shown[0], (Row{false, false, false, false, true})) << "empty list";
    EXPECT_EQ(menus.m_shown[1], (Row{true, true, false, true, true})) << "entries, none selected";
    EXPECT_EQ(menus.m_shown[2], (Row{true, true, true, true, true})) << "an entry selected";
}

TEST(ContextMenu, TheChosenCommandActsOnTheListThatWasClicked)
{
    InstallFolder install("vtxE-menupick");
    FakeDriver driver;
    driver.m_locked = {"C:\\L0"};
    driver.m_trusted = {"C:\\T0.exe", "C:\\T1.exe"};
    CVeltrixDlg dlg(driver);
    MenuWatcher menus('s');  // "&Select All"
    RunModal(dlg, [&](HWND hWnd) {
        ::SetFocus(Locked(hWnd));
        RightClick(dlg, Trusted(hWnd), 0);
        PumpMessages(&dlg);
        EXPECT_EQ(SelectedItems(Trusted(hWnd)), (std::vector<int>{0, 1}));
        EXPECT_TRUE(SelectedItems(Locked(hWnd)).empty());
        Close(hWnd);
    });
    EXPECT_EQ(menus.m_shown.size(), 1u);
}

// ---- shell notifications ----------------------------------------------------------------------

TEST(ShellNotification, LockedListChangesAreAnnouncedTrustedListChangesAreNot)
{
    InstallFolder install("vtxE-notify");
    const std::string a = install.Make("Watched\\A", true);
    const std::string b = install.Make("Watched\\B", true);
    const std::string c = install.Make("Watched\\C", true);
    const std::string program = install.Make("Watched\\tool.exe");
    WriteWholeFile(program, "MZ");
    FakeDriver driver;
    driver.m_locked = {a, b};
    driver.m_trusted = {program};
    ShellNotifications listener(install.Make("Watched", true));
    ASSERT_TRUE(listener.IsRegistered());
    MessageBoxCatcher boxes;
    ShellDialogPlayer shell({ChooseInBrowser(c)});
    CVeltrixDlg dlg(driver);
    std::vector<std::string> afterTrusted;
    RunModal(dlg, [&](HWND hWnd) {
        SelectItems(Trusted(hWnd), {0});
        ClickButton(dlg, IDC_REMOVE_TRUSTED);
        afterTrusted = listener.Paths();
        SelectItems(Locked(hWnd), {1});
        ClickButton(dlg, IDC_REMOVE_LOCKED);
        ClickButton(dlg, IDC_ADD_LOCKED);
        ::SetFocus(Locked(hWnd));
        PressCtrlKey(dlg, 'L');
        PumpMessages(&dlg);
        Close(hWnd);
    });
    PumpMessages();
    EXPECT_TRUE(afterTrusted.empty());
    EXPECT_EQ(listener.Paths(), (std::vector<std::string>{b, c, a, c}));
    EXPECT_TRUE(boxes.Shown().empty());
}

// ---- carrying out a plan ---------------------------------------------------------------------

// What a shell's view hears.
class ViewRecorder : public IListView {
public:
    void Appended(size_t index, const std::string& path) override { m_heard.push_back("+" + std::to_string(index) + " " + path); }
    void Removed(const std::vector<size_t>& indices) override
    {
        for (size_t i : indices)
            m_heard.push_back("-" + std::to_string(i));
    }
    std::vector<std::string> m_heard;
};

// The window's rule and vtxctl's differ only where the driver does not take a request: the
// window keeps the change, vtxctl leaves it out. Everything else is the same sequence.
TEST(ListChanger, SendsNotifiesRecordsAndKeepsModelAndViewInStepUnderEitherRule)
{
    InstallFolder install("vtxE-changer");
    const std::string a = install.Make("A", true), b = install.Make("B", true), c = install.Make("C", true);
    const std::string added = install.Make("New", true), refused = install.Make("Refused", true);
    const struct {
        FailedRequest rule;
        std::vector<ChangeOutcome> outcomes;
        std::vector<std::string> entries;
        std::vector<std::string> heard;
        std::vector<std::string> notified;
        std::vector<AuditEventSeen> events;
    } rules[] = {
        {FailedRequest::ChangeList,
         {ChangeOutcome::Done, ChangeOutcome::Unsent, ChangeOutcome::Unsent, ChangeOutcome::Done, ChangeOutcome::NoChange},
         {a, added, refused},
         {"+3 " + added, "+4 " + refused, "-1", "-2"},
         {added, refused, b, c},
         {{MSG_ENTRY_ADDED, EVENTLOG_INFORMATION_TYPE, {added, "locked"}},
          {MSG_ENTRY_ADDED, EVENTLOG_INFORMATION_TYPE, {refused, "locked"}},
          {MSG_ENTRY_REMOVED, EVENTLOG_INFORMATION_TYPE, {b, "locked"}},
          {MSG_ENTRY_REMOVED, EVENTLOG_INFORMATION_TYPE, {c, "locked"}}}},
        {FailedRequest::LeaveOut,
         {ChangeOutcome::Done, ChangeOutcome::Failed, ChangeOutcome::Failed, ChangeOutcome::Done, ChangeOutcome::NoChange},
         {a, b, added},
         {"+3 " + added, "-2"},
         {added, c},
         {{MSG_ENTRY_ADDED, EVENTLOG_INFORMATION_TYPE, {added, "locked"}},
          {MSG_ENTRY_REMOVED, EVENTLOG_INFORMATION_TYPE, {c, "locked"}}}},
    };
    for (const auto& rule : rules) {
        FakeDriver driver;
        driver.m_locked = {a, b, c};
        driver.m_refused = {refused, b};
        CListModel model(g_lockedList, MachinePathFacts());
        ASSERT_TRUE(model.Load(driver.OpenEnumeration().get()));
        const std::vector<ListChange> plan = {{ListChange::Add, added, added},
                                              {ListChange::Add, refused, refused},
                                              {ListChange::Remove, b, b},
                                              {ListChange::Remove, c, c, {}, 2},
                                              {ListChange::Listed, a, a}};
        ViewRecorder view;
        ShellNotifications notifications(install.Root());
        ASSERT_TRUE(notifications.IsRegistered());
        CAuditRecorder recorder;
        EXPECT_EQ(CListChanger(model, driver, rule.rule, &view).CarryOut(plan), rule.outcomes);
        EXPECT_EQ(driver.m_requests, (std::vector<PathRequest>{{IOCTL_LOCK_ADD, added}, {IOCTL_LOCK_ADD, refused},
                                                               {IOCTL_LOCK_REMOVE, b}, {IOCTL_LOCK_REMOVE, c}}));
        EXPECT_EQ(model.Entries(), rule.entries);
        EXPECT_EQ(view.m_heard, rule.heard);
        EXPECT_EQ(notifications.Take(), rule.notified);
        EXPECT_EQ(DetailsOf(recorder.m_events, "win_lists_commands.exe"), rule.events);
    }
}

// The console closing stops a run between two changes: what was sent stays in the list.
TEST(ListChanger, StopsBeforeTheNextChangeAndKeepsWhatWasSent)
{
    InstallFolder install("vtxE-changer-stop");
    FakeDriver driver;
    driver.m_trusted = {"C:\\T0.exe", "C:\\T1.exe", "C:\\T0.exe"};
    CListModel model(g_trustedList, MachinePathFacts());
    ASSERT_TRUE(model.Load(driver.OpenEnumeration().get()));
    const std::vector<ListChange> plan = {{ListChange::Remove, "C:\\T0.exe", "C:\\T0.exe"},
                                          {ListChange::Remove, "C:\\T0.exe", "C:\\T0.exe"},
                                          {ListChange::Remove, "C:\\T1.exe", "C:\\T1.exe"}};
    int asked = 0;
    CAuditRecorder recorder;
    const auto outcomes = CListChanger(model, driver, FailedRequest::LeaveOut).CarryOut(plan, true, [&] { return ++asked > 2; });
    EXPECT_EQ(outcomes, (std::vector<ChangeOutcome>{ChangeOutcome::Done, ChangeOutcome::Done, ChangeOutcome::Stopped}));
    EXPECT_EQ(model.Entries(), std::vector<std::string>{"C:\\T1.exe"}) << "both entries of one spelling went";
    EXPECT_EQ(driver.m_requests.size(), 2u);
    ASSERT_EQ(recorder.m_events.size(), 2u);
    EXPECT_EQ(recorder.m_events[0].dwEventID, static_cast<DWORD>(MSG_ENTRY_CLEARED));
}

}  // namespace
