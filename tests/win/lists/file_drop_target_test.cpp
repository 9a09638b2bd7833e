// Files dropped onto the real main window's lists, through the drop targets that OLE holds for
// the list views: admission, order, shortcuts, refusals, the private format and the drag images.
#include "app/veltrix_dlg.h"
#include "driver/core/protocol.h"
#include "lists/file_drop_target.h"
#include "driver/device_channel.h"
#include "res/resource.h"
#include "support/data_object.h"
#include "support/message_boxes.h"
#include "support/modal.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/main_window_harness.h"
#include "support/shell_link_files.h"

namespace {

constexpr DWORD kAnyEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// A drag-image helper that records what it is told.
class RecordingDropHelper : public IDropTargetHelper {
public:
    struct Call {
        std::string name;
        HWND hWnd;
        POINT point;
        DWORD effect;
        int itemsInList;  // at the time of the call, for the list the drag entered
    };
    std::vector<Call> m_calls;
    HWND m_hWndEntered = nullptr;
    LONG m_cRef = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTargetHelper)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_cRef); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--m_cRef); }
    HRESULT STDMETHODCALLTYPE DragEnter(HWND hWnd, IDataObject*, POINT* pt, DWORD effect) override
    {
        m_hWndEntered = hWnd;
        m_calls.push_back({"enter", hWnd, *pt, effect, Items()});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override
    {
        m_calls.push_back({"leave", nullptr, {}, 0, Items()});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(POINT* pt, DWORD effect) override
    {
        m_calls.push_back({"over", nullptr, *pt, effect, Items()});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, POINT* pt, DWORD effect) override
    {
        m_calls.push_back({"drop", nullptr, *pt, effect, Items()});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Show(BOOL) override { return S_OK; }

private:
    int Items() const { return m_hWndEntered ? static_cast<int>(::SendMessageA(m_hWndEntered, LVM_GETITEMCOUNT, 0, 0)) : -1; }
};

// Stands for the shell's drag-image helper in this process while it lives: COM makes the
// helpers with this factory, which hands out the recording helper, or fails as without a shell.
class HelperFactory : public IClassFactory {
public:
    explicit HelperFactory(RecordingDropHelper* pHelper) : m_pHelper(pHelper)
    {
        EXPECT_EQ(::CoRegisterClassObject(CLSID_DragDropHelper, this, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                          &m_dwCookie), S_OK);
    }
    ~HelperFactory() { ::CoRevokeClassObject(m_dwCookie); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        *ppv = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID iid, void** ppv) override
    {
        *ppv = nullptr;
        return m_pHelper ? m_pHelper->QueryInterface(iid, ppv) : CLASS_E_CLASSNOTAVAILABLE;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    RecordingDropHelper* m_pHelper;
    DWORD m_dwCookie = 0;
};

struct Entry {
    std::string path;
    std::string type;
    int image;
};

std::vector<Entry> Entries(HWND list)
{
    std::vector<Entry> entries;
    const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[MAX_PATH] = {}, type[MAX_PATH] = {};
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = type;
        ::SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        entries.push_back({text, type, item.iImage});
    }
    return entries;
}

std::vector<std::string> Paths(HWND list)
{
    std::vector<std::string> paths;
    for (const Entry& entry : Entries(list))
        paths.push_back(entry.path);
    return paths;
}

bool IsItemShown(HWND list, int index)
{
    const int top = static_cast<int>(::SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    const int perPage = static_cast<int>(::SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    return index >= top && index < top + perPage;
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// What OLE hands a drop target while the user drags over the list and lets go.
struct DragResult {
    DWORD enter;
    DWORD over;
    DWORD drop;
};

IDropTarget* RegisteredTarget(HWND list)
{
    return static_cast<IDropTarget*>(::GetPropA(list, "OleDropTargetInterface"));
}

POINTL PointInside(HWND list)
{
    RECT rect;
    ::GetWindowRect(list, &rect);
    return {rect.left + 23, rect.top + 31};
}

DragResult DragAndDrop(HWND list, IDataObject* data, DWORD keys = MK_LBUTTON)
{
    DragResult result{};
    IDropTarget* target = RegisteredTarget(list);
    if (!target) {
        ADD_FAILURE() << "no drop target registered for the list";
        return result;
    }
    const POINTL pt = PointInside(list);
    result.enter = kAnyEffect;
    target->DragEnter(data, keys, pt, &result.enter);
    result.over = kAnyEffect;
    target->DragOver(keys, pt, &result.over);
    result.drop = kAnyEffect;
    target->Drop(data, keys & ~MK_LBUTTON, pt, &result.drop);
    return result;
}

DWORD Drop(HWND list, const std::vector<std::string>& paths)
{
    TestDataObject data;
    data.AddFileList(paths);
    const DWORD effect = DragAndDrop(list, &data).drop;
    EXPECT_EQ(data.MediaOut(), 0) << "every medium is released";
    EXPECT_TRUE(data.AllUnlocked());
    EXPECT_EQ(data.References(), 0);
    return effect;
}

// The program's main window with its lists, empty in the driver, the installation folder as the
// current directory and every driver request recorded.
class MainWindowDrops : public ::testing::Test {
protected:
    InstallFolder m_install{"vtxdrop"};
    const std::string m_installDir = m_install.Path();
    FakeDriver m_driver;
    MessageBoxCatcher m_boxes;

    std::string File(const std::string& relative, const std::string& text = "data\r\n")
    {
        const std::string path = m_install.Make(relative);
        EXPECT_TRUE(WriteWholeFile(path, text));
        return path;
    }
    std::string Program(const std::string& relative)
    {
        char self[MAX_PATH];
        ::GetModuleFileNameA(nullptr, self, MAX_PATH);
        const std::string path = m_install.Make(relative);
        EXPECT_TRUE(::CopyFileA(self, path.c_str(), FALSE));
        return path;
    }
    std::string Shortcut(const std::string& relative, const std::string& target)
    {
        const std::string path = m_install.Make(relative);
        EXPECT_TRUE(WriteShortcut(path, target));
        return path;
    }

    // Runs the main window; script gets both list views.
    void WithMainWindow(const std::function<void(HWND locked, HWND trusted)>& script)
    {
        CVeltrixDlg dlg(m_driver);
        RunModal(dlg, [&](HWND hWnd) {
            script(::GetDlgItem(hWnd, IDC_LOCKED_LIST), ::GetDlgItem(hWnd, IDC_TRUSTED_LIST));
            ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
        });
    }

private:
};

TEST_F(MainWindowDrops, LockedListTakesAFolderAndFilesInDropOrderAndShowsTheLast)
{
    const std::vector<std::string> dropped = {m_install.Make("Data\\Folder", true), File("Data\\a.txt"),
                                              File("Data\\b c.doc"), File("Data\\Sub\\c.bin")};
    std::vector<std::string> earlier;
    for (int i = 0; i < 40; ++i)
        earlier.push_back(m_install.Root() + "\\Old\\old" + std::to_string(i) + ".txt");
    ShellNotifications notifications;

    WithMainWindow([&](HWND locked, HWND trusted) {
        EXPECT_EQ(Drop(locked, earlier), DROPEFFECT_COPY);
        ::SendMessageA(locked, LVM_ENSUREVISIBLE, 0, FALSE);
        ASSERT_FALSE(IsItemShown(locked, 39)) << "the list must be long enough to scroll";
        m_driver.m_requests.clear();
        notifications.Take();

        EXPECT_EQ(Drop(locked, dropped), DROPEFFECT_COPY);

        std::vector<std::string> expected = earlier;
        expected.insert(expected.end(), dropped.begin(), dropped.end());
        EXPECT_EQ(Paths(locked), expected);
        EXPECT_TRUE(IsItemShown(locked, 43));
        EXPECT_EQ(m_driver.m_requests, (std::vector<PathRequest>{{IOCTL_LOCK_ADD, dropped[0]}, {IOCTL_LOCK_ADD, dropped[1]},
                                                   {IOCTL_LOCK_ADD, dropped[2]}, {IOCTL_LOCK_ADD, dropped[3]}}));
        if (notifications.IsRegistered())
            EXPECT_EQ(notifications.Take(), dropped);
        EXPECT_TRUE(Paths(trusted).empty());
    });
    EXPECT_TRUE(m_boxes.Shown().empty());
}

TEST_F(MainWindowDrops, LockedListSkipsWindowsTheProgramsOwnFilesAndControlCharactersSilentlyInAnySpelling)
{
    const std::string own = File("App\\data\\filter.txt");
    const std::string outside = File("Data\\kept.txt");
    // A folder dragged from an Explorer window opened at \\localhost\C$ comes by that share.
    const auto byShare = [](const std::string& path) { return "\\\\localhost\\" + path.substr(0, 1) + "$" + path.substr(2); };
    const std::string outsideByShare = byShare(File("Data\\shared.txt"));
    WithMainWindow([&](HWND locked, HWND) {
        const std::string drive = SystemDirectory().substr(0, 3);
        // A line feed would put a second path on the next line of the list file.
        const std::string lineFeed = m_install.Root() + "\\Data\\a\nC:\\Windows";
        EXPECT_EQ(Drop(locked, {WindowsDirectory(), SystemDirectory(), own, drive, m_installDir, "C:\\WINDOWS\\SYSTEM32",
                                "c:\\WINDOWS", lineFeed, byShare(WindowsDirectory()), byShare(m_installDir + "\\data"),
                                outside, outsideByShare}),
                  DROPEFFECT_COPY);
        EXPECT_EQ(Paths(locked), (std::vector<std::string>{outside, outsideByShare})) << "kept as the shell gave it";
        EXPECT_EQ(m_driver.m_requests,
                  (std::vector<PathRequest>{{IOCTL_LOCK_ADD, outside}, {IOCTL_LOCK_ADD, outsideByShare}}));
    });
    EXPECT_TRUE(m_boxes.Shown().empty());
}

TEST_F(MainWindowDrops, TrustedListTakesTheProgramThatAShortcutPointsTo)
{
    const std::string program = Program("Tools\\tool.exe");
    const std::string link = Shortcut("Desktop\\Tool.lnk", program);
    SHFILEINFOA programInfo{};
    ASSERT_NE(::SHGetFileInfoA(program.c_str(), 0, &programInfo, sizeof programInfo,
                               SHGFI_SYSICONINDEX | SHGFI_TYPENAME), 0u);
    ShellNotifications notifications;

    WithMainWindow([&](HWND locked, HWND trusted) {
        EXPECT_EQ(Drop(trusted, {link}), DROPEFFECT_COPY);
        const std::vector<Entry> entries = Entries(trusted);
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].path, program);
        EXPECT_EQ(entries[0].type, programInfo.szTypeName);
        EXPECT_EQ(entries[0].image, programInfo.iIcon);
        EXPECT_EQ(m_driver.m_requests, (std::vector<PathRequest>{{IOCTL_TRUST_ADD, program}}));
        if (notifications.IsRegistered())
            EXPECT_TRUE(notifications.Take().empty()) << "trusted programs are no news to the shell";
        EXPECT_TRUE(Paths(locked).empty());
    });
    EXPECT_TRUE(m_boxes.Shown().empty());
}

TEST_F(MainWindowDrops, TrustedListSkipsProgramsDocumentsAndTheProgramsOwnFiles)
{
    const std::string program = Program("Tools\\tool.exe");
    const std::string document = File("Data\\notes.txt");
    const std::string documentLink = Shortcut("Desktop\\Notes.lnk", document);
    const std::string ownLink = Shortcut("Desktop\\Veltrix.lnk", Program("App\\vtx.exe"));
    const std::string fakeLink = File("Desktop\\Broken.lnk", "not a shortcut");
    WithMainWindow([&](HWND, HWND trusted) {
        EXPECT_EQ(Drop(trusted, {program, documentLink, ownLink, fakeLink, document}), DROPEFFECT_COPY);
        EXPECT_TRUE(Paths(trusted).empty());
        EXPECT_TRUE(m_driver.m_requests.empty());
    });
    EXPECT_TRUE(m_boxes.Shown().empty());
}

TEST_F(MainWindowDrops, LockedListLocksAShortcutFileItself)
{
    const std::string link = Shortcut("Desktop\\Tool.lnk", Program("Tools\\tool.exe"));
    WithMainWindow([&](HWND locked, HWND) {
        Drop(locked, {link});
        EXPECT_EQ(Paths(locked), (std::vector<std::string>{link}));
        EXPECT_EQ(m_driver.m_requests, (std::vector<PathRequest>{{IOCTL_LOCK_ADD, link}}));
    });
}

TEST_F(MainWindowDrops, APathAlreadyListedInAnyLetterCaseAddsAndSendsNothing)
{
    const std::string file = File("Data\\Report.txt");
    const std::string program = Program("Tools\\tool.exe");
    const std::string link = Shortcut("Desktop\\Tool.lnk", program);
    const std::string otherLink = Shortcut("Start\\Tool again.lnk", program);
    WithMainWindow([&](HWND locked, HWND trusted) {
        Drop(locked, {file, Upper(file)});
        Drop(locked, {file});
        Drop(trusted, {link});
        Drop(trusted, {otherLink, link});
        EXPECT_EQ(Paths(locked), (std::vector<std::string>{file}));
        EXPECT_EQ(Paths(trusted), (std::vector<std::string>{program}));
        EXPECT_EQ(m_driver.m_requests, (std::vector<PathRequest>{{IOCTL_LOCK_ADD, file}, {IOCTL_TRUST_ADD, program}}));
    });
}

TEST_F(MainWindowDrops, DataWithThePrivateFormatOrWithoutAFileListIsRefused)
{
    const std::string file = File("Data\\a.txt");
    const UINT privateFormat = ::RegisterClipboardFormatA("Quorvex_3BCFE9D1_6D61_4cb6_9D0B_3BB3F643CA82");
    ASSERT_EQ(privateFormat, g_cfPrivateFormat);
    WithMainWindow([&](HWND locked, HWND trusted) {
        for (HWND list : {locked, trusted}) {
            TestDataObject marked;
            marked.AddFileList({file});
            marked.AddFormat(privateFormat, {1, 0, 0, 0});
            const DragResult refused = DragAndDrop(list, &marked);
            EXPECT_EQ(refused.enter, DROPEFFECT_NONE);
            EXPECT_EQ(refused.over, DROPEFFECT_NONE);
            EXPECT_EQ(refused.drop, DROPEFFECT_NONE);

            TestDataObject text;
            text.AddFormat(CF_TEXT, {'C', ':', '\\', 0});
            const DragResult noFiles = DragAndDrop(list, &text);
            EXPECT_EQ(noFiles.enter, DROPEFFECT_NONE);
            EXPECT_EQ(noFiles.over, DROPEFFECT_NONE);
            EXPECT_EQ(noFiles.drop, DROPEFFECT_NONE);
            EXPECT_EQ(text.MediaOut(), 0);
        }
        EXPECT_TRUE(Paths(locked).empty());
        EXPECT_TRUE(m_driver.m_requests.empty());
    });
}

TEST_F(MainWindowDrops, TheKeyStateNeverChangesTheEffect)
{
    const std::string file = File("Data\\a.txt");
    WithMainWindow([&](HWND locked, HWND trusted) {
        for (HWND list : {locked, trusted}) {
            for (DWORD keys : {0ul, 0ul + MK_LBUTTON, 0ul + MK_CONTROL, 0ul + MK_SHIFT, 0ul + (MK_CONTROL | MK_SHIFT),
                               0ul + MK_ALT, 0ul + (MK_RBUTTON | MK_ALT)}) {
                TestDataObject data;
                data.AddFileList({file});
                IDropTarget* target = RegisteredTarget(list);
                ASSERT_NE(target, nullptr);
                DWORD effect = kAnyEffect;
                target->DragEnter(&data, keys, PointInside(list), &effect);
                EXPECT_EQ(effect, DROPEFFECT_COPY) << keys;
                effect = kAnyEffect;
                target->DragOver(keys, PointInside(list), &effect);
                EXPECT_EQ(effect, DROPEFFECT_COPY) << keys;
                target->DragLeave();
            }
        }
    });
}

TEST_F(MainWindowDrops, AFileListThatCannotBeReadChangesNothing)
{
    const std::string file = File("Data\\a.txt");
    WithMainWindow([&](HWND locked, HWND) {
        // A list that runs off its block.
        std::vector<unsigned char> block(sizeof(DROPFILES) + file.size(), 0);
        reinterpret_cast<DROPFILES*>(block.data())->pFiles = sizeof(DROPFILES);
        std::copy(file.begin(), file.end(), block.begin() + sizeof(DROPFILES));
        TestDataObject unterminated;
        unterminated.AddFormat(CF_HDROP, block);
        EXPECT_EQ(DragAndDrop(locked, &unterminated).drop, DROPEFFECT_NONE);
        EXPECT_EQ(unterminated.MediaOut(), 0);
        EXPECT_TRUE(unterminated.AllUnlocked());

        // A source that offers a file list and then cannot give it.
        TestDataObject gone;
        gone.OfferWithoutData(CF_HDROP);
        EXPECT_EQ(DragAndDrop(locked, &gone).drop, DROPEFFECT_NONE);

        EXPECT_TRUE(Paths(locked).empty());
        EXPECT_TRUE(m_driver.m_requests.empty());
    });
}

TEST_F(MainWindowDrops, APathTooLongOrOutsideTheCodePageIsSkippedNotChanged)
{
    const std::string kept = File("Data\\kept.txt");
    const std::string tooLong = m_install.Root() + "\\Data\\" + std::string(300 - m_install.Root().size(), 'x') + ".txt";
    ASSERT_GE(tooLong.size(), 300u);
    std::wstring foreign;
    for (char c : m_install.Root() + "\\Data\\")
        foreign += static_cast<wchar_t>(static_cast<unsigned char>(c));
    foreign += L"\u4E2D\u6587.txt";
    BOOL usedDefault = FALSE;
    char converted[MAX_PATH];
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, foreign.c_str(), -1, converted, MAX_PATH, nullptr, &usedDefault);
    ASSERT_TRUE(usedDefault) << "the test needs a code page without these letters";

    WithMainWindow([&](HWND locked, HWND) {
        std::vector<std::wstring> paths;
        for (const std::string& path : {tooLong, kept})
            paths.emplace_back(path.begin(), path.end());
        paths.insert(paths.begin() + 1, foreign);
        TestDataObject data;
        data.AddWideFileList(paths);
        EXPECT_EQ(DragAndDrop(locked, &data).drop, DROPEFFECT_COPY);
        EXPECT_EQ(Paths(locked), (std::vector<std::string>{kept}));
        EXPECT_EQ(m_driver.m_requests, (std::vector<PathRequest>{{IOCTL_LOCK_ADD, kept}}));

        // The same from an ANSI list.
        TestDataObject ansi;
        ansi.AddFileList({tooLong}, false);
        DragAndDrop(locked, &ansi);
        EXPECT_EQ(Paths(locked).size(), 1u);
    });
}

TEST_F(MainWindowDrops, DropsWorkTheSameWithoutTheDragImageHelper)
{
    HelperFactory noHelper(nullptr);
    const std::string file = File("Data\\a.txt");
    const std::string program = Program("Tools\\tool.exe");
    const std::string link = Shortcut("Desktop\\Tool.lnk", program);
    WithMainWindow([&](HWND locked, HWND trusted) {
        EXPECT_EQ(Drop(locked, {file, WindowsDirectory()}), DROPEFFECT_COPY);
        EXPECT_EQ(Drop(trusted, {link, program}), DROPEFFECT_COPY);
        EXPECT_EQ(Paths(locked), (std::vector<std::string>{file}));
        EXPECT_EQ(Paths(trusted), (std::vector<std::string>{program}));
        EXPECT_EQ(m_driver.m_requests, (std::vector<PathRequest>{{IOCTL_LOCK_ADD, file}, {IOCTL_TRUST_ADD, program}}));
    });
}

TEST_F(MainWindowDrops, TheDragImageHelperFollowsTheDragInScreenPointsAndHearsOfTheDropLast)
{
    RecordingDropHelper helper;
    HelperFactory factory(&helper);
    const std::string file = File("Data\\a.txt");
    {
        WithMainWindow([&](HWND locked, HWND) {
            EXPECT_EQ(Drop(locked, {file}), DROPEFFECT_COPY);
            const POINTL pt = PointInside(locked);
            // Drop asks once more whether the drop is wanted, as a drag over.
            const std::vector<std::string> names = {"enter", "over", "over", "drop"};
            ASSERT_EQ(helper.m_calls.size(), names.size());
            for (size_t i = 0; i < names.size(); ++i) {
                const RecordingDropHelper::Call& call = helper.m_calls[i];
                EXPECT_EQ(call.name, names[i]);
                EXPECT_EQ(call.point.x, pt.x) << call.name;
                EXPECT_EQ(call.point.y, pt.y) << call.name;
                EXPECT_EQ(call.effect, DROPEFFECT_COPY) << call.name;
            }
            EXPECT_EQ(helper.m_calls[0].hWnd, locked);
            EXPECT_EQ(helper.m_calls.back().itemsInList, 1) << "the entry is in before the helper hears of the drop";

            helper.m_calls.clear();
            TestDataObject marked;
            marked.AddFileList({file});
            marked.AddFormat(g_cfPrivateFormat, {0});
            DragAndDrop(locked, &marked);
            ASSERT_FALSE(helper.m_calls.empty());
            EXPECT_EQ(helper.m_calls.front().effect, DROPEFFECT_NONE);
            EXPECT_EQ(helper.m_calls.back().name, "leave") << "a refused drop ends the drag image";
        });
    }
    EXPECT_EQ(helper.m_cRef, 0) << "each list's target lets its helper go";
}

}  // namespace
