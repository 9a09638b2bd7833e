// The main window under Wine, created in-process from the program's own template: its system
// menu, its start state, where it and the program's other dialogs open, its keyboard routing, the
// help viewer it starts and its two ways of closing. The driver is played by the test.
#include "app/veltrix_dlg.h"
#include "driver/core/protocol.h"
#include "framework/app.h"
#include "password/login_dlg.h"
#include "res/resource.h"
#include "support/main_window_harness.h"
#include "support/message_boxes.h"
#include "support/modal.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

void Click(HWND dialog, int id)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// Ends the main window with its close box or with its OK button.
void CloseBy(bool closeBox, CDialog& dlg)
{
    if (closeBox) {
        ::SendMessageA(dlg.m_hWnd, WM_CLOSE, 0, 0);
        PumpMessages(&dlg);
    } else {
        Click(dlg.m_hWnd, IDOK);
    }
}

std::string MenuText(HMENU menu, int position)
{
    char text[128] = {};
    ::GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

TEST(MainWindow, SystemMenuEndsWithAboutAndUninstallEachAfterASeparator)
{
    InstallFolder install("vtxE-sysmenu");
    FakeDriver driver;
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        HMENU menu = ::GetSystemMenu(hWnd, FALSE);
        ASSERT_NE(menu, nullptr);
        const int count = ::GetMenuItemCount(menu);
        ASSERT_GE(count, 5) << "the system's own items come first";
        EXPECT_TRUE(::GetMenuState(menu, count - 4, MF_BYPOSITION) & MF_SEPARATOR);
        EXPECT_EQ(MenuText(menu, count - 3), "&About Veltrix...");
        EXPECT_EQ(::GetMenuItemID(menu, count - 3), static_cast<UINT>(IDM_ABOUTBOX));
        EXPECT_TRUE(::GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR);
        EXPECT_EQ(MenuText(menu, count - 1), "Uninstall Veltrix...");
        EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_UNINSTALL));
        EXPECT_FALSE(::GetMenuState(menu, count - 5, MF_BYPOSITION) & MF_SEPARATOR)
            << "one separator before each command, not two";
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
}

TEST(MainWindow, SystemCommandsAreTakenByRangeWhateverTheirLowBits)
{
    InstallFolder install("vtxE-syscmd");
    FakeDriver driver;
    std::vector<std::string> captions;
    CVeltrixDlg dlg(driver);
    BOOL iconicAfterMinimise = FALSE;
    RunModal(dlg, [&](HWND hWnd) {
        OwnDialogCloser closer;
        closer.m_main = hWnd;
        ::SendMessageA(hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        ::SendMessageA(hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX + 0xF, 0);
        // The system's own commands keep their default handling.
        ::SendMessageA(hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        iconicAfterMinimise = ::IsIconic(hWnd);
        captions = closer.m_captions;
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(captions, (std::vector<std::string>{"About Veltrix", "About Veltrix"}));
    EXPECT_TRUE(iconicAfterMinimise);
}

TEST(MainWindow, MinimisedItShowsAndDragsItsOwnIcon)
{
    InstallFolder install("vtxE-icon");
    FakeDriver driver;
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        const HICON expected = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP));
        EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(hWnd, WM_GETICON, ICON_BIG, 0)), expected);
        EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(hWnd, WM_GETICON, ICON_SMALL, 0)), expected);
        ::ShowWindow(hWnd, SW_MINIMIZE);
        ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(hWnd, WM_QUERYDRAGICON, 0, 0)), expected);
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
}

TEST(MainWindow, BothRemoveButtonsStartDisabledEvenWithEntriesThenFollowTheSelection)
{
    InstallFolder install("vtxE-buttons");
    FakeDriver driver;
    driver.m_locked = {"C:\\Locked\\one", "C:\\Locked\\two"};
    driver.m_trusted = {"C:\\Programs\\tool.exe"};
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        HWND locked = ::GetDlgItem(hWnd, IDC_LOCKED_LIST);
        HWND trusted = ::GetDlgItem(hWnd, IDC_TRUSTED_LIST);
        ASSERT_EQ(ListTexts(locked).size(), 2u);
        ASSERT_EQ(ListTexts(trusted).size(), 1u);
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hWnd, IDC_REMOVE_LOCKED)));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hWnd, IDC_REMOVE_TRUSTED)));

        SelectItems(locked, {1});
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hWnd, IDC_REMOVE_LOCKED)));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hWnd, IDC_REMOVE_TRUSTED))) << "each button follows its own list";
        SelectItems(locked, {});
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hWnd, IDC_REMOVE_LOCKED)));
        SelectItems(trusted, {0});
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hWnd, IDC_REMOVE_TRUSTED)));
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
}

// A service manager that cannot be opened: the uninstall command's stop fails at once.
class CNoServiceManager : public IServiceManager {
public:
    bool OpenManager() override { return false; }
    bool OpenDriverService() override { return false; }
    bool Interrogate(uint32_t&) override { return false; }
    bool Start() override { return false; }
    bool Stop() override { return false; }
    void CloseDriverService() override {}
    void CloseManager() override {}
};

TEST(MainWindow, OpensWhereItsTemplatePutsItTheLoginMidScreenAndItsDialogsOverItsMiddle)
{
    InstallFolder install("vtxE-placement");
    // Present, so that the uninstall command goes on to its progress dialog.
    WriteWholeFile(install.Path() + "\\unins000.exe", "");
    RECT login{}, area{}, main{};
    CLoginDlg loginDlg;
    RunModal(loginDlg, [&](HWND hWnd) {
        login = WindowRect(hWnd);
        area = WorkAreaOf(hWnd);
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });

    FakeDriver driver;
    MessageBoxCatcher boxes;
    std::vector<std::string> captions;
    std::vector<RECT> opened;
    CVeltrixDlg dlg(driver, std::make_shared<CNoServiceManager>());
    RunModal(dlg, [&](HWND hWnd) {
        main = WindowRect(hWnd);
        OwnDialogCloser dialogs;
        dialogs.m_main = hWnd;
        // As start-up makes it, the owner of the dialogs opened without a parent.
        AfxGetApp()->m_pMainWnd = &dlg;
        ::SendMessageA(hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        Click(hWnd, IDC_CHANGE_PASSWORD);
        ::SendMessageA(hWnd, WM_SYSCOMMAND, IDM_UNINSTALL, 0);
        AfxGetApp()->m_pMainWnd = nullptr;
        captions = dialogs.m_captions;
        opened = dialogs.m_rects;
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(CentredOver(login, area));
    EXPECT_EQ(main.left, 0) << "where its template puts it: the screen's top-left corner";
    EXPECT_EQ(main.top, 0);
    ASSERT_EQ(captions, (std::vector<std::string>{"About Veltrix", "Change Veltrix Password", "Veltrix"}));
    for (size_t i = 0; i < opened.size(); ++i)
        EXPECT_TRUE(CentredOver(opened[i], main)) << captions[i];
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Veltrix Stoping failure!");
}

TEST(MainWindowKeys, TabEnterAndEscapeGoToTheFocusedControlAsOrdinaryKeys)
{
    InstallFolder install("vtxE-keys");
    FakeDriver driver;
    driver.m_locked = {"C:\\Locked\\one"};
    MessageBoxCatcher boxes;
    ShellDialogPlayer shellDialogs;
    CVeltrixDlg dlg(driver);
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        for (int id : {IDC_LOCKED_LIST, IDC_ADD_LOCKED, IDOK, IDC_HELP_BUTTON}) {
            HWND control = ::GetDlgItem(hWnd, id);
            ::SetFocus(control);
            ASSERT_EQ(::GetFocus(), control);
            for (UINT vk : {VK_TAB, VK_RETURN, VK_ESCAPE}) {
                PressKey(dlg, vk);
                EXPECT_EQ(::GetFocus(), control) << "control " << id << " key " << vk;
                EXPECT_FALSE(dlg.IsEnding()) << "control " << id << " key " << vk;
            }
        }
        EXPECT_EQ(ListTexts(::GetDlgItem(hWnd, IDC_LOCKED_LIST)).size(), 1u);
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(shellDialogs.Kinds().size(), 0u) << "Enter pressed no Add button";
}

TEST(MainWindowKeys, TheFiveAcceleratorsWorkWhicheverControlHasTheFocus)
{
    InstallFolder install("vtxE-accel");
    FakeDriver driver;
    driver.m_locked = {"C:\\Locked\\zero", "C:\\Locked\\one", "C:\\Locked\\two"};
    driver.m_trusted = {"C:\\Programs\\t0.exe", "C:\\Programs\\t1.exe"};
    MessageBoxCatcher boxes;
    ShellDialogPlayer shellDialogs({CancelShellDialog(), CancelShellDialog()});
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        HWND locked = ::GetDlgItem(hWnd, IDC_LOCKED_LIST);
        HWND trusted = ::GetDlgItem(hWnd, IDC_TRUSTED_LIST);
        // Ctrl+A from every control that can take the focus: the active list is the list that
        // had the focus last, the locked list before any had it.
        const struct {
            int id;
            HWND expectedActive;
        } steps[] = {
            {IDC_ADD_LOCKED, locked}, {IDC_LOCKED_LIST, locked}, {IDC_HELP_BUTTON, locked},
            {IDC_TRUSTED_LIST, trusted}, {IDC_ADD_TRUSTED, trusted}, {IDOK, trusted},
            {IDC_CHANGE_PASSWORD, trusted},
        };
        for (const auto& step : steps) {
            SelectItems(locked, {});
            SelectItems(trusted, {});
            ::SetFocus(::GetDlgItem(hWnd, step.id));
            PressCtrlKey(dlg, 'A');
            HWND other = step.expectedActive == locked ? trusted : locked;
            const size_t count = ListTexts(step.expectedActive).size();
            EXPECT_EQ(SelectedItems(step.expectedActive).size(), count) << "focus on " << step.id;
            EXPECT_TRUE(SelectedItems(other).empty()) << "focus on " << step.id;
        }

        // The trusted list is active; the focus stays on a button from here on.
        ::SetFocus(::GetDlgItem(hWnd, IDC_HELP_BUTTON));
        SelectItems(trusted, {0});
        PressCtrlKey(dlg, 'W');
        EXPECT_EQ(SelectedItems(trusted), (std::vector<int>{1}));
        PressCtrlKey(dlg, 'R');
        EXPECT_EQ(ListTexts(trusted), (std::vector<std::string>{"C:\\Programs\\t0.exe"}));
        PressCtrlKey(dlg, 'L');
        EXPECT_TRUE(ListTexts(trusted).empty());
        PressCtrlKey(dlg, 'I');
        ::SetFocus(locked);
        ::SetFocus(::GetDlgItem(hWnd, IDOK));
        PressCtrlKey(dlg, 'I');
        EXPECT_EQ(ListTexts(locked).size(), 3u) << "nothing was done to the locked list";
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(driver.m_requests, (std::vector<PathRequest>{{IOCTL_TRUST_REMOVE, "C:\\Programs\\t1.exe"},
                                                           {IOCTL_TRUST_REMOVE, "C:\\Programs\\t0.exe"}}));
    EXPECT_EQ(shellDialogs.Kinds(), (std::vector<std::string>{"open", "browse"}))
        << "Ctrl+I opens the program dialog for the trusted list, the folder browser for the locked";
    EXPECT_TRUE(boxes.Shown().empty());
}

// ---- the help viewer ------------------------------------------------------------------------

// Associates .chm with our stand-in viewer for the test's run, and puts the old association back.
class ChmAssociation {
public:
    ChmAssociation()
    {
        char module[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, module, MAX_PATH);
        std::string viewer = module;
        viewer = viewer.substr(0, viewer.find_last_of('\\') + 1) + "vtx_test_help_viewer.exe";
        m_hadOld = Read(".chm", m_old);
        const std::string command = "\"" + viewer + "\" \"%1\"";
        Write(".chm", kProgId);
        Write(std::string(kProgId) + "\\shell\\open\\command", command);
    }
    ~ChmAssociation()
    {
        ::RegDeleteTreeA(HKEY_CLASSES_ROOT, kProgId);
        if (m_hadOld)
            Write(".chm", m_old);
        else
            ::RegDeleteTreeA(HKEY_CLASSES_ROOT, ".chm");
    }

private:
    static constexpr const char* kProgId = "VeltrixTest.HelpViewer";
    static bool Read(const std::string& key, std::string& value)
    {
        char data[512] = {};
        LONG size = sizeof data;
        if (::RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), data, &size) != ERROR_SUCCESS)
            return false;
        value = data;
        return true;
    }
    static void Write(const std::string& key, const std::string& value)
    {
        ::RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(), static_cast<DWORD>(value.size()));
    }
    bool m_hadOld = false;
    std::string m_old;
};

// The viewers started so far, as they noted themselves, in the order they came up.
std::vector<DWORD> StartedViewers(const std::string& helpFile)
{
    std::vector<DWORD> ids;
    std::istringstream lines(ReadWholeFile(helpFile + ".viewers").value_or(""));
    for (unsigned long id; lines >> id;)
        ids.push_back(static_cast<DWORD>(id));
    return ids;
}

std::vector<DWORD> WaitForViewers(const std::string& helpFile, size_t count)
{
    for (int i = 0; i < 200 && StartedViewers(helpFile).size() < count; ++i)
        ::Sleep(50);
    return StartedViewers(helpFile);
}

class ProcessHandle {
public:
    explicit ProcessHandle(DWORD id)
        : m_handle(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)) {}
    ~ProcessHandle()
    {
        if (m_handle)
            ::TerminateProcess(m_handle.Get(), 1);
    }
    bool EndsWithin(DWORD milliseconds) const { return ::WaitForSingleObject(m_handle.Get(), milliseconds) == WAIT_OBJECT_0; }
    CHandle m_handle;
};

// The second viewer comes from F1 (WM_HELP, as the dialog manager sends it) or from the
// application's help command: both go through the button's code.
TEST(MainWindowHelp, HelpTwiceThenCloseEndsOnlyTheViewerStartedLast)
{
    for (const bool closeBox : {false, true}) {
        InstallFolder install("vtxE-help");
        const std::string helpFile = install.Path() + "\\VeltrixHelp.chm";
        WriteWholeFile(helpFile, "help");
        ChmAssociation association;
        FakeDriver driver;
        MessageBoxCatcher boxes;
        std::vector<DWORD> viewers;
        std::unique_ptr<ProcessHandle> first, second;
        CVeltrixDlg dlg(driver);
        const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
            Click(hWnd, IDC_HELP_BUTTON);
            viewers = WaitForViewers(helpFile, 1);
            ASSERT_EQ(viewers.size(), 1u);
            AfxGetApp()->m_pMainWnd = &dlg;
            HELPINFO f1{sizeof f1, HELPINFO_WINDOW, IDC_LOCKED_LIST, ::GetDlgItem(hWnd, IDC_LOCKED_LIST), 0, {}};
            if (closeBox)
                ::SendMessageA(hWnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&f1));
            else
                ::SendMessageA(hWnd, WM_COMMAND, ID_HELP, 0);
            AfxGetApp()->m_pMainWnd = nullptr;
            viewers = WaitForViewers(helpFile, 2);
            ASSERT_EQ(viewers.size(), 2u);
            first = std::make_unique<ProcessHandle>(viewers[0]);
            second = std::make_unique<ProcessHandle>(viewers[1]);
            CloseBy(closeBox, dlg);
        });
        EXPECT_EQ(result, closeBox ? IDCANCEL : IDOK);
        ASSERT_TRUE(first && second && first->m_handle && second->m_handle);
        EXPECT_TRUE(second->EndsWithin(5000)) << "the viewer started last is ended, closeBox=" << closeBox;
        EXPECT_FALSE(first->EndsWithin(500)) << "the earlier viewer stays open, closeBox=" << closeBox;
        EXPECT_TRUE(boxes.Shown().empty());
    }
}

TEST(MainWindowHelp, OpensTheInstallationsHelpFileWhateverFolderIsCurrent)
{
    InstallFolder install("vtxE-helppath");
    const std::string helpFile = install.Path() + "\\VeltrixHelp.chm";
    WriteWholeFile(helpFile, "help");
    // A file of the same name in the current folder must not be the one opened.
    ScratchFolder elsewhere("vtxE-helpcwd");
    const std::string planted = elsewhere.Make("VeltrixHelp.chm");
    WriteWholeFile(planted, "planted");
    ASSERT_TRUE(::SetCurrentDirectoryA(elsewhere.Path().c_str()));
    ChmAssociation association;
    FakeDriver driver;
    MessageBoxCatcher boxes;
    std::vector<DWORD> viewers;
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        Click(hWnd, IDC_HELP_BUTTON);
        viewers = WaitForViewers(helpFile, 1);
        // The lists are saved into the current folder's data folder at close, as start-up left it.
        ::SetCurrentDirectoryA(install.Path().c_str());
        Click(hWnd, IDOK);
    });
    EXPECT_EQ(viewers.size(), 1u);
    EXPECT_TRUE(StartedViewers(planted).empty()) << "the viewer was given the file in the current folder";
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST(MainWindowHelp, CloseWithoutHelpEndsNothing)
{
    InstallFolder install("vtxE-nohelp");
    const std::string helpFile = install.Path() + "\\VeltrixHelp.chm";
    WriteWholeFile(helpFile, "help");
    ChmAssociation association;
    FakeDriver driver;
    // A viewer that the window did not start: it must survive the window.
    STARTUPINFOA startup{sizeof startup};
    PROCESS_INFORMATION process{};
    char module[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string viewer = module;
    std::string commandLine = "\"" + viewer.substr(0, viewer.find_last_of('\\') + 1) + "vtx_test_help_viewer.exe\" \"" +
                              install.Path() + "\\other.chm\"";
    ASSERT_TRUE(::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    ::CloseHandle(process.hThread);
    ProcessHandle outsider(process.dwProcessId);
    ::CloseHandle(process.hProcess);

    CVeltrixDlg dlg(driver);
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) { Click(hWnd, IDOK); });
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(outsider.EndsWithin(500));
    EXPECT_TRUE(StartedViewers(helpFile).empty());
}

// ---- closing ------------------------------------------------------------------------------

TEST(MainWindowClosing, TheCloseButtonAndTheCloseBoxBothWriteTheListFiles)
{
    for (const bool closeBox : {false, true}) {
        InstallFolder install("vtxE-close");
        WriteWholeFile(install.DataFile("filter.txt"), "C:\\stale\r\n");
        WriteWholeFile(install.DataFile("TrustedPs.txt"), "C:\\stale.exe\r\n");
        FakeDriver driver;
        driver.m_locked = {"C:\\Locked\\one"};
        driver.m_trusted = {"C:\\Programs\\tool.exe"};
        CVeltrixDlg dlg(driver);
        const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
            CloseBy(closeBox, dlg);
        });
        EXPECT_EQ(result, closeBox ? IDCANCEL : IDOK);
        EXPECT_EQ(ReadWholeFile(install.DataFile("filter.txt")), "C:\\Locked\\one\r\n") << closeBox;
        EXPECT_EQ(ReadWholeFile(install.DataFile("TrustedPs.txt")), "C:\\Programs\\tool.exe\r\n") << closeBox;
        EXPECT_TRUE(driver.m_requests.empty()) << "closing sends the driver nothing";
    }
}

}  // namespace
