// The installed vtx.exe driven from outside as a user would drive it: the login, the shell's
// folder browser and open-file dialog, the list buttons and commands, the three ways out. After
// each step the driver's own lists are read back, and after each close the list files are
// compared byte for byte.
#include "installation.h"
#include "remote_buffer.h"
#include "remote_list_view.h"

#include "driver/core/names.h"
#include "driver/core/protocol.h"
#include "driver/device_channel.h"
#include "res/resource.h"
#include "support/driver_lists.h"
#include "support/file_bytes.h"
#include "support/vtx_process.h"

#include <gtest/gtest.h>

#include <dlgs.h>
#include <shlobj.h>

#include <memory>

namespace {

// What the test locks and trusts, outside the installation and the system folders. Blanks in the
// names: the list files hold the paths unquoted.
const char kSampleRoot[] = "C:\\VeltrixE2E";
const char kToolsFolder[] = "C:\\VeltrixE2E\\Tools";
const char kLockedA[] = "C:\\VeltrixE2E\\Locked A";
const char kLockedB[] = "C:\\VeltrixE2E\\Locked B";
const char kToolOne[] = "C:\\VeltrixE2E\\Tools\\tool one.exe";
const char kToolTwo[] = "C:\\VeltrixE2E\\Tools\\tool two.exe";

const char kDefaultPassword[] = "quimbly";

// The program's windows, told apart by what they hold; each a dialog the program shows.
bool IsShownDialog(HWND hWnd)
{
    return ::IsWindowVisible(hWnd) && ClassName(hWnd) == "#32770";
}

bool IsLoginDialog(HWND hWnd)
{
    return IsShownDialog(hWnd) && ::GetDlgItem(hWnd, IDC_PASSWORD) && WindowText(hWnd) == "Login Veltrix ";
}

bool IsMainWindow(HWND hWnd)
{
    return IsShownDialog(hWnd) && ::GetDlgItem(hWnd, IDC_LOCKED_LIST) && WindowText(hWnd) == "Veltrix";
}

// A message box of the program: caption "Veltrix", a static message and no list.
bool IsMessageBox(HWND hWnd)
{
    return IsShownDialog(hWnd) && !::GetDlgItem(hWnd, IDC_LOCKED_LIST) && WindowText(hWnd) == "Veltrix";
}

bool IsFolderBrowser(HWND hWnd)
{
    return IsShownDialog(hWnd) && FindChildOfClass(hWnd, "SysTreeView32") != nullptr;
}

bool IsOpenFileDialog(HWND hWnd)
{
    return IsShownDialog(hWnd) && (::GetDlgItem(hWnd, cmb13) || ::GetDlgItem(hWnd, edt1));
}

using Paths = std::vector<std::string>;

// vtxctl's mark of a change in progress under the service's key: set, cleared, looked for.
void SetChangeMarkValue(bool set)
{
    const DWORD marked = 1;
    if (set)
        ASSERT_EQ(::RegSetKeyValueA(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, VTX_CHANGE_MARK_VALUE, REG_DWORD, &marked,
                                    sizeof marked),
                  ERROR_SUCCESS);
    else
        ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, VTX_CHANGE_MARK_VALUE);
}
bool HasChangeMarkValue()
{
    return ::RegGetValueA(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, VTX_CHANGE_MARK_VALUE, RRF_RT_ANY, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

class VeltrixEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        for (const char* folder : {kSampleRoot, kToolsFolder, kLockedA, kLockedB})
            ::CreateDirectoryA(folder, nullptr);
        for (const char* program : {kToolOne, kToolTwo})
            WriteWholeFile(program, "MZ");
    }

    static void TearDownTestSuite()
    {
        for (const char* program : {kToolOne, kToolTwo})
            ::DeleteFileA(program);
        for (const char* folder : {kLockedB, kLockedA, kToolsFolder, kSampleRoot})
            ::RemoveDirectoryA(folder);
    }

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(EnsureDriverRunning());
        ResetInstallation();
    }

    // Also after a failure: the program goes, and the prefix is left as a rerun expects it.
    void TearDown() override
    {
        m_vtx.reset();
        ResetInstallation();
    }

    // Both of the driver's lists empty, no list files, and no password file, so that the
    // default password holds.
    static void ResetInstallation()
    {
        EXPECT_TRUE(CDeviceEnumeration().IsOpen()) << "the device \\\\.\\veltrix cannot be opened";
        EXPECT_TRUE(ClearDriverList(IOCTL_LOCK_ENUM, IOCTL_LOCK_REMOVE));
        EXPECT_TRUE(ClearDriverList(IOCTL_TRUST_ENUM, IOCTL_TRUST_REMOVE));
        EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), Paths{});
        EXPECT_EQ(DriverList(IOCTL_TRUST_ENUM), Paths{});
        for (const char* name : {"filter.txt", "TrustedPs.txt", "password.txt"})
            RemoveFile(DataFile(name));
        SetChangeMarkValue(false);
    }

    // Starts the program (ending a copy started earlier) and waits for its login dialog.
    HWND StartToLogin()
    {
        m_vtx = std::make_unique<CVtxProcess>();
        const std::string executable = std::string(g_szInstallDir) + "\\vtx.exe";
        if (!m_vtx->Start(executable)) {
            ADD_FAILURE() << "cannot start " << executable << ", error " << ::GetLastError();
            return nullptr;
        }
        HWND login = m_vtx->WaitForTopLevel(IsLoginDialog);
        if (!login)
            ADD_FAILURE() << (m_vtx->HasEnded() ? "vtx.exe ended before its login dialog" : "no login dialog");
        return login;
    }

    // Starts the program and logs in with the default password; the main window.
    HWND LogIn()
    {
        HWND login = StartToLogin();
        if (!login)
            return nullptr;
        HWND ok = ::GetDlgItem(login, IDOK);
        SetWindowTextTo(::GetDlgItem(login, IDC_PASSWORD), kDefaultPassword);
        if (!PollUntil([&] { return IsEnabled(ok); })) {
            ADD_FAILURE() << "OK stays disabled for the default password";
            return nullptr;
        }
        Click(ok);
        HWND main = m_vtx->WaitForTopLevel(IsMainWindow);
        if (!main)
            ADD_FAILURE() << "no main window after the login";
        return main;
    }

    CRemoteListView View(HWND main, int id) const { return CRemoteListView(m_vtx->Handle(), ::GetDlgItem(main, id)); }

    // The locked list's "Add...": in the folder browser the folder is chosen and OK pressed.
    void AddLocked(HWND main, const char* path)
    {
        Click(::GetDlgItem(main, IDC_ADD_LOCKED));
        HWND browser = m_vtx->WaitForTopLevel(IsFolderBrowser);
        ASSERT_TRUE(browser) << "no folder browser";
        HWND edit = FindChildOfClass(browser, "Edit");
        ASSERT_TRUE(edit) << "the folder browser has no edit box";
        // Wine's browser returns the item selected in its tree and ignores what the edit box holds;
        // Windows takes a path typed there. So the folder is selected in the tree, as a click
        // would, and then typed. The selection message carries a pointer to its path.
        WCHAR widePath[MAX_PATH] = {};
        ASSERT_GT(::MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH), 0);
        const CRemoteBuffer remotePath(m_vtx->Handle(), sizeof widePath);
        ASSERT_TRUE(remotePath.Write(widePath, sizeof widePath)) << "cannot write the path into the program";
        const std::string name = std::string(path).substr(std::string(path).rfind('\\') + 1);
        // The message's answer tells nothing (a dialog procedure's own result); the edit box
        // shows the name of the folder selected. A tree still being filled may miss the first.
        ASSERT_TRUE(PollUntil([&] {
            Send(browser, BFFM_SETSELECTIONW, TRUE, remotePath.Param());
            return WindowText(edit) == name;
        })) << path << " cannot be selected in the folder browser; its edit box shows \"" << WindowText(edit) << '"';
        SetWindowTextTo(edit, path);
        Click(::GetDlgItem(browser, IDOK));
        ASSERT_TRUE(PollUntil([&] { return !::IsWindow(browser); })) << "the folder browser stays";
    }

    // The trusted list's "Add...": the open-file dialog, its file name typed, Open.
    void AddTrusted(HWND main, const char* path)
    {
        Click(::GetDlgItem(main, IDC_ADD_TRUSTED));
        HWND dialog = m_vtx->WaitForTopLevel(IsOpenFileDialog);
        ASSERT_TRUE(dialog) << "no open-file dialog";
        HWND name = ::GetDlgItem(dialog, cmb13) ? ::GetDlgItem(dialog, cmb13) : ::GetDlgItem(dialog, edt1);
        SetWindowTextTo(name, path);
        Click(::GetDlgItem(dialog, IDOK));
        ASSERT_TRUE(PollUntil([&] { return !::IsWindow(dialog); })) << "the open-file dialog stays";
    }

    // The views show these entries in this order, and so does the driver: every change is sent
    // in the same command that changes the view. Fatal: the steps after a wrong state mean nothing.
    void ExpectLists(HWND main, const Paths& locked, const Paths& trusted)
    {
        const CRemoteListView lockedView = View(main, IDC_LOCKED_LIST);
        const CRemoteListView trustedView = View(main, IDC_TRUSTED_LIST);
        PollUntil([&] { return lockedView.Texts() == locked && trustedView.Texts() == trusted; });
        ASSERT_EQ(lockedView.Texts(), locked) << "locked view";
        ASSERT_EQ(trustedView.Texts(), trusted) << "trusted view";
        ASSERT_NO_FATAL_FAILURE(ExpectDriverLists(locked, trusted));
    }

    static void ExpectDriverLists(const Paths& locked, const Paths& trusted)
    {
        PollUntil([&] { return DriverList(IOCTL_LOCK_ENUM) == locked && DriverList(IOCTL_TRUST_ENUM) == trusted; });
        ASSERT_EQ(DriverList(IOCTL_LOCK_ENUM), locked) << "driver's locked list";
        ASSERT_EQ(DriverList(IOCTL_TRUST_ENUM), trusted) << "driver's trusted list";
    }

    static void ExpectListFiles(const std::optional<std::string>& locked, const std::optional<std::string>& trusted)
    {
        EXPECT_EQ(ReadWholeFile(DataFile("filter.txt")), locked) << "filter.txt";
        EXPECT_EQ(ReadWholeFile(DataFile("TrustedPs.txt")), trusted) << "TrustedPs.txt";
    }

    void ExpectEnds() const { EXPECT_TRUE(m_vtx->EndsWithin()) << "vtx.exe does not end"; }

    std::unique_ptr<CVtxProcess> m_vtx;
};

TEST_F(VeltrixEndToEnd, LoginOpensNothingForAWrongPasswordAndTheMainWindowForTheRightOne)
{
    HWND login = StartToLogin();
    ASSERT_TRUE(login);
    HWND edit = ::GetDlgItem(login, IDC_PASSWORD);
    HWND ok = ::GetDlgItem(login, IDOK);
    EXPECT_FALSE(IsEnabled(ok)) << "OK before anything was typed";

    for (const char* text : {"Quimbly", "quimbl", "quimblyy", "quimbly", "", "quimbly", "quimbly "}) {
        // The edit tells its dialog of the change before WM_SETTEXT returns.
        SetWindowTextTo(edit, text);
        EXPECT_EQ(IsEnabled(ok), std::string(text) == kDefaultPassword) << '"' << text << '"';
    }

    // OK forced while the text is wrong: the error, and the login stays.
    Post(login, WM_COMMAND, IDOK);
    HWND box = m_vtx->WaitForTopLevel(IsMessageBox);
    ASSERT_TRUE(box) << "no message for a wrong password";
    EXPECT_EQ(StaticTextsOf(box), std::vector<std::string>{"Password error!"});
    EXPECT_FALSE(m_vtx->FindTopLevel(IsMainWindow));
    Click(::GetDlgItem(box, IDOK));
    ASSERT_TRUE(PollUntil([&] { return !::IsWindow(box); })) << "the message box stays";
    EXPECT_TRUE(::IsWindowVisible(login)) << "the login ended after one wrong entry";
    EXPECT_FALSE(m_vtx->FindTopLevel(IsMainWindow));

    SetWindowTextTo(edit, kDefaultPassword);
    ASSERT_TRUE(IsEnabled(ok));
    Click(ok);
    HWND main = m_vtx->WaitForTopLevel(IsMainWindow);
    ASSERT_TRUE(main) << "no main window after the right password";
    EXPECT_FALSE(::IsWindow(login));
    ASSERT_NO_FATAL_FAILURE(ExpectLists(main, {}, {}));
    EXPECT_FALSE(IsEnabled(::GetDlgItem(main, IDC_REMOVE_LOCKED)));
    EXPECT_FALSE(IsEnabled(::GetDlgItem(main, IDC_REMOVE_TRUSTED)));

    Click(::GetDlgItem(main, IDOK));
    ExpectEnds();
    ExpectListFiles("", "");
}

TEST_F(VeltrixEndToEnd, LoginCancelledByButtonOrCloseBoxEndsWithoutWritingListFiles)
{
    // Files that a save would replace, and lists that a save would write.
    const std::string lockedBytes = "C:\\Earlier\\Locked\r\n";
    const std::string trustedBytes = "C:\\Earlier\\Trusted.exe\r\n";
    WriteWholeFile(DataFile("filter.txt"), lockedBytes);
    WriteWholeFile(DataFile("TrustedPs.txt"), trustedBytes);
    ASSERT_TRUE(SendPathRequest(kLockedA, IOCTL_LOCK_ADD));
    // A vtxctl cut short left its mark: the window deals with it only at its close.
    ASSERT_NO_FATAL_FAILURE(SetChangeMarkValue(true));

    const struct {
        const char* name;
        void (*cancel)(HWND login);
    } ways[] = {
        {"Cancel button", [](HWND login) { Click(::GetDlgItem(login, IDCANCEL)); }},
        {"close box", [](HWND login) { Post(login, WM_SYSCOMMAND, SC_CLOSE); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        HWND login = StartToLogin();
        ASSERT_TRUE(login);
        // Even with the right password typed, cancelling opens nothing.
        SetWindowTextTo(::GetDlgItem(login, IDC_PASSWORD), kDefaultPassword);
        way.cancel(login);
        ExpectEnds();
        ExpectListFiles(lockedBytes, trustedBytes);
        ASSERT_NO_FATAL_FAILURE(ExpectDriverLists({kLockedA}, {}));
        EXPECT_TRUE(HasChangeMarkValue());
    }
}

TEST_F(VeltrixEndToEnd, AddsThroughShellDialogsRemovesClearsAndSavesOnCloseButton)
{
    HWND main = LogIn();
    ASSERT_TRUE(main);
    ASSERT_NO_FATAL_FAILURE(AddLocked(main, kLockedA));
    ASSERT_NO_FATAL_FAILURE(ExpectLists(main, {kLockedA}, {}));
    ASSERT_NO_FATAL_FAILURE(AddLocked(main, kLockedB));
    ASSERT_NO_FATAL_FAILURE(ExpectLists(main, {kLockedA, kLockedB}, {}));
    ASSERT_NO_FATAL_FAILURE(AddTrusted(main, kToolOne));
    ASSERT_NO_FATAL_FAILURE(ExpectLists(main, {kLockedA, kLockedB}, {kToolOne}));
    ASSERT_NO_FATAL_FAILURE(AddTrusted(main, kToolTwo));
    ASSERT_NO_FATAL_FAILURE(ExpectLists(main, {kLockedA, kLockedB}, {kToolOne, kToolTwo}));

    // Each Remove button follows the selection of its own list.
    HWND removeLocked = ::GetDlgItem(main, IDC_REMOVE_LOCKED);
    HWND removeTrusted = ::GetDlgItem(main, IDC_REMOVE_TRUSTED);
    EXPECT_FALSE(IsEnabled(removeLocked));
    EXPECT_FALSE(IsEnabled(removeTrusted));
    View(main, IDC_LOCKED_LIST).Select(0);
    EXPECT_TRUE(IsEnabled(removeLocked));
    EXPECT_FALSE(IsEnabled(removeTrusted));
    Click(removeLocked);
    ASSERT_NO_FATAL_FAILURE(ExpectLists(main, {kLockedB}, {kToolOne, kToolTwo}));
    EXPECT_TRUE(PollUntil([&] { return !IsEnabled(removeLocked); })) << "Remove enabled with nothing selected";

    // The trusted Remove also makes the trusted list the one that the commands act on.
    View(main, IDC_TRUSTED_LIST).Select(1);
    EXPECT_TRUE(IsEnabled(removeTrusted));
    Click(removeTrusted);
    ASSERT_NO_FATAL_FAILURE(ExpectLists(main, {kLockedB}, {kToolOne}));

    // The clear command (context menu, Ctrl+L) has no enable rule of its own: on a list with
    // entries it empties it, on an empty list it does nothing.
    Send(main, WM_COMMAND, ID_CLEAR_LIST);
    ASSERT_NO_FATAL_FAILURE(ExpectLists(main, {kLockedB}, {}));
    Send(main, WM_COMMAND, ID_CLEAR_LIST);
    ASSERT_NO_FATAL_FAILURE(ExpectLists(main, {kLockedB}, {}));

    Click(::GetDlgItem(main, IDOK));
    ExpectEnds();
    ExpectListFiles(ListFileBytes({kLockedB}), "");
    ASSERT_NO_FATAL_FAILURE(ExpectDriverLists({kLockedB}, {}));
}

// The close writes both files from the driver's lists, so a mark that a vtxctl cut short left is
// cleared then.
TEST_F(VeltrixEndToEnd, CloseBoxSavesListsAndTheNextStartShowsTheDriversLists)
{
    ASSERT_NO_FATAL_FAILURE(SetChangeMarkValue(true));
    HWND main = LogIn();
    ASSERT_TRUE(main);
    ASSERT_NO_FATAL_FAILURE(AddLocked(main, kLockedA));
    ASSERT_NO_FATAL_FAILURE(AddLocked(main, kLockedB));
    ASSERT_NO_FATAL_FAILURE(AddTrusted(main, kToolOne));
    ASSERT_NO_FATAL_FAILURE(AddTrusted(main, kToolTwo));
    ASSERT_NO_FATAL_FAILURE(ExpectLists(main, {kLockedA, kLockedB}, {kToolOne, kToolTwo}));
    Post(main, WM_SYSCOMMAND, SC_CLOSE);
    ExpectEnds();
    ExpectListFiles(ListFileBytes({kLockedA, kLockedB}), ListFileBytes({kToolOne, kToolTwo}));
    EXPECT_FALSE(HasChangeMarkValue());

    main = LogIn();
    ASSERT_TRUE(main);
    ASSERT_NO_FATAL_FAILURE(ExpectLists(main, {kLockedA, kLockedB}, {kToolOne, kToolTwo}));
    EXPECT_FALSE(IsEnabled(::GetDlgItem(main, IDC_REMOVE_LOCKED))) << "disabled even with entries";
    EXPECT_FALSE(IsEnabled(::GetDlgItem(main, IDC_REMOVE_TRUSTED))) << "disabled even with entries";

    // Before any list had the focus, the commands act on the locked list.
    Send(main, WM_COMMAND, ID_CLEAR_LIST);
    ASSERT_NO_FATAL_FAILURE(ExpectLists(main, {}, {kToolOne, kToolTwo}));

    Click(::GetDlgItem(main, IDOK));
    ExpectEnds();
    ExpectListFiles("", ListFileBytes({kToolOne, kToolTwo}));
}

}  // namespace
