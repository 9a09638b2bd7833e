// The list files as the main window writes them when it closes or the session ends: their bytes,
// their being written whole or not at all and keeping what the file was, a file that cannot be
// written being told, and a list not read whole leaving its file alone.
#include "app/veltrix_dlg.h"
#include "framework/file_replace.h"
#include "support/main_window_harness.h"
#include "res/resource.h"
#include "support/file_access.h"
#include "support/message_boxes.h"
#include "support/modal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void ClickButton(CWnd& dlg, int id)
{
    ::SendMessageA(::GetDlgItem(dlg.m_hWnd, id), BM_CLICK, 0, 0);
    PumpMessages(&dlg);
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The temporary files left in the folder.
std::vector<std::string> TemporaryFiles(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE hFind = ::FindFirstFileA((folder + "\\*.tmp").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (::FindNextFileA(hFind, &found));
    ::FindClose(hFind);
    return names;
}

// What "left exactly as it was" means for a file.
struct FileState {
    std::string bytes;
    DWORD attributes;
    FILETIME written;
    bool operator==(const FileState& other) const
    {
        return bytes == other.bytes && attributes == other.attributes &&
               ::CompareFileTime(&written, &other.written) == 0;
    }
};

FileState StateOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return {ReadWholeFile(path).value_or(""), data.dwFileAttributes, data.ftLastWriteTime};
}

TEST(ListFiles, ASessionOfAddsAndRemovesIsWrittenByteForByteInViewOrder)
{
    InstallFolder install("vtxE-session");
    // A blank and a letter of code page 1252 stay as they are.
    const std::string a = install.Make("Donn\xE9" "es priv\xE9" "es", true);
    const std::string b = install.Make("B", true);
    const std::string c = install.Make("C\\notes.txt");
    const std::string d = install.Make("D", true);
    const std::string p = install.Make("Programs\\p.exe");
    const std::string q = install.Make("Programs\\q.exe");
    const std::string r = install.Make("Programs\\r.exe");
    for (const std::string& file : {c, p, q, r})
        WriteWholeFile(file, "MZ");
    WriteWholeFile(install.DataFile("filter.txt"), std::string(5000, 'x'));
    FakeDriver driver;
    driver.m_locked = {a, b, c};
    driver.m_trusted = {p, q};
    MessageBoxCatcher boxes;
    ShellDialogPlayer shell({ChooseInBrowser(d), ChooseInFileDialog(r)});
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        SelectItems(::GetDlgItem(hWnd, IDC_LOCKED_LIST), {1});
        ClickButton(dlg, IDC_REMOVE_LOCKED);
        ClickButton(dlg, IDC_ADD_LOCKED);
        ClickButton(dlg, IDC_ADD_TRUSTED);
        ::SetFocus(::GetDlgItem(hWnd, IDC_TRUSTED_LIST));
        SelectItems(::GetDlgItem(hWnd, IDC_TRUSTED_LIST), {0});
        PressKey(dlg, VK_DELETE);
        ClickButton(dlg, IDOK);
    });
    EXPECT_EQ(shell.Played(), 2);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(ReadWholeFile(install.DataFile("filter.txt")), a + "\r\n" + c + "\r\n" + d + "\r\n");
    EXPECT_EQ(ReadWholeFile(install.DataFile("TrustedPs.txt")), q + "\r\n" + r + "\r\n");
    EXPECT_TRUE(TemporaryFiles(install.Path() + "\\data").empty());
    // What the driver enforces is for SYSTEM and Administrators only, whatever the folder allows
    // (to be seen where files keep an access list: not under Wine 8).
    if (AccessListsAreKept()) {
        EXPECT_EQ(AccessListOf(install.DataFile("filter.txt")), kAdministratorsOnly);
        EXPECT_EQ(AccessListOf(install.DataFile("TrustedPs.txt")), kAdministratorsOnly);
    }
}

TEST(ListFiles, TwoEmptyListsGiveTwoEmptyFiles)
{
    InstallFolder install("vtxE-empty");
    WriteWholeFile(install.DataFile("filter.txt"), "C:\\old\r\n");
    FakeDriver driver;
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) { ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(ReadWholeFile(install.DataFile("filter.txt")), "");
    EXPECT_EQ(ReadWholeFile(install.DataFile("TrustedPs.txt")), "");
}

TEST(ListFiles, AFailedSaveIsToldAfterBothWereTriedAndTheWindowStillCloses)
{
    InstallFolder install("vtxE-readonly");
    const std::string filter = install.DataFile("filter.txt");
    WriteWholeFile(filter, "C:\\kept\r\n");
    ASSERT_TRUE(::SetFileAttributesA(filter.c_str(), FILE_ATTRIBUTE_READONLY));
    FakeDriver driver;
    driver.m_locked = {"C:\\new"};
    driver.m_trusted = {"C:\\tool.exe"};
    MessageBoxCatcher boxes;
    CVeltrixDlg dlg(driver);
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) { ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(result, IDOK) << "the window closes as usual";
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Can't save locked list to data\\filter.txt!");
    EXPECT_EQ(boxes.Shown()[0].caption, "Veltrix");
    EXPECT_EQ(ReadWholeFile(filter), "C:\\kept\r\n");
    EXPECT_EQ(ReadWholeFile(install.DataFile("TrustedPs.txt")), "C:\\tool.exe\r\n");
    EXPECT_TRUE(TemporaryFiles(install.Path() + "\\data").empty()) << "no temporary file is left behind";
}

TEST(ListFiles, WithoutTheDataFolderBothFailuresAreToldAndTheWindowStillCloses)
{
    InstallFolder install("vtxE-nodata");
    ASSERT_TRUE(::RemoveDirectoryA((install.Path() + "\\data").c_str()));
    FakeDriver driver;
    driver.m_locked = {"C:\\new"};
    MessageBoxCatcher boxes;
    CVeltrixDlg dlg(driver);
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        ::SendMessageA(hWnd, WM_CLOSE, 0, 0);
        PumpMessages(&dlg);
    });
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, "Can't save locked list to data\\filter.txt!");
    EXPECT_EQ(boxes.Shown()[1].text, "Can't save trusted list to data\\TrustedPs.txt!");
    EXPECT_FALSE(Exists(install.Path() + "\\data"));
    EXPECT_TRUE(TemporaryFiles(install.Path()).empty());
}

TEST(ListFiles, WithoutTheDeviceBothListsAreToldUnreadOnceAndTheirFilesKeptExactly)
{
    InstallFolder install("vtxE-nodevice");
    const std::string filter = install.DataFile("filter.txt");
    const std::string trusted = install.DataFile("TrustedPs.txt");
    WriteWholeFile(filter, "C:\\locked\r\n");
    WriteWholeFile(trusted, "C:\\tool.exe\r\n");
    ASSERT_TRUE(::SetFileAttributesA(trusted.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const FileState filterBefore = StateOf(filter);
    const FileState trustedBefore = StateOf(trusted);
    FakeDriver driver;
    driver.m_bNoDevice = true;
    MessageBoxCatcher boxes;
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        PumpMessages(&dlg);
        EXPECT_EQ(boxes.Shown().size(), 2u) << "told when the window has opened";
        ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
    });
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, "Can't read locked list from Veltrix driver!");
    EXPECT_EQ(boxes.Shown()[1].text, "Can't read trusted list from Veltrix driver!");
    EXPECT_TRUE(StateOf(filter) == filterBefore);
    EXPECT_TRUE(StateOf(trusted) == trustedBefore);
}

// A list not read at start is read again at close: whole now, it is written (the driver's list,
// the run's changes included); still not, its file is kept and a change made meanwhile is told
// as lost. The parameter: the driver answers at close.
class UnreadListAtClose : public ::testing::TestWithParam<bool> {};

TEST_P(UnreadListAtClose, IsWrittenWhenReadNowElseAChangeIsToldLost)
{
    InstallFolder install(GetParam() ? "vtxE-reread" : "vtxE-lost");
    const std::string filter = install.DataFile("filter.txt");
    const std::string trusted = install.DataFile("TrustedPs.txt");
    WriteWholeFile(filter, "C:\\Old\r\n");
    WriteWholeFile(trusted, "C:\\old.exe\r\n");
    const std::string folder = install.Make("Private", true);
    FakeDriver driver;
    driver.m_bNoDevice = true;
    MessageBoxCatcher boxes;
    ShellDialogPlayer shell({ChooseInBrowser(folder)});
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        PumpMessages(&dlg);
        ClickButton(dlg, IDC_ADD_LOCKED);
        driver.m_bNoDevice = !GetParam();
        driver.m_locked = {"C:\\Old", folder};
        ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
    });
    ASSERT_EQ(driver.m_requests, (std::vector<PathRequest>{{g_lockedList.dwAddCode, folder}}));
    std::vector<std::string> told;
    for (const auto& box : boxes.Shown())
        told.push_back(box.text);
    std::vector<std::string> unread{g_lockedList.pszUnreadMessage, g_trustedList.pszUnreadMessage};
    if (GetParam()) {
        EXPECT_EQ(told, unread);
        EXPECT_EQ(ReadWholeFile(filter), "C:\\Old\r\n" + folder + "\r\n");
        EXPECT_EQ(ReadWholeFile(trusted), "") << "the driver's list, whole now";
    } else {
        unread.push_back(g_lockedList.pszSaveFailure);
        EXPECT_EQ(told, unread) << "the unchanged trusted list is not told";
        EXPECT_EQ(ReadWholeFile(filter), "C:\\Old\r\n");
        EXPECT_EQ(ReadWholeFile(trusted), "C:\\old.exe\r\n");
    }
}
INSTANTIATE_TEST_SUITE_P(ReadableOrNot, UnreadListAtClose, ::testing::Bool());

// WM_ENDSESSION with TRUE: the session ends and the process with it, so the lists are saved
// now; with FALSE the session goes on and nothing is written.
class ListFilesAtSessionEnd : public ::testing::TestWithParam<bool> {};

TEST_P(ListFilesAtSessionEnd, AreWrittenOnlyWhenTheSessionReallyEnds)
{
    const bool ending = GetParam();
    InstallFolder install("vtxE-endsession");
    FakeDriver driver;
    driver.m_locked = {"C:\\Vtx\\a"};
    driver.m_trusted = {"C:\\Vtx\\p.exe"};
    MessageBoxCatcher boxes;
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        ::SendMessageA(hWnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        ::SendMessageA(hWnd, WM_ENDSESSION, ending, ENDSESSION_LOGOFF);
        EXPECT_EQ(ReadWholeFile(install.DataFile("filter.txt")), ending ? std::optional<std::string>("C:\\Vtx\\a\r\n") : std::nullopt);
        EXPECT_EQ(ReadWholeFile(install.DataFile("TrustedPs.txt")),
                  ending ? std::optional<std::string>("C:\\Vtx\\p.exe\r\n") : std::nullopt);
        EXPECT_TRUE(::IsWindow(hWnd));
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(boxes.Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(TrueAndFalse, ListFilesAtSessionEnd, ::testing::Bool());

// The shell's dialogs may leave the current folder elsewhere (the open-file dialog does on
// Windows, whatever its flags); the test moves it from inside the dialog, chosen or cancelled.
TEST(ListFiles, TheShellDialogsLeaveTheInstallationFolderCurrentAndTheFilesGoThere)
{
    InstallFolder install("vtxE-curdir");
    const std::string elsewhere = install.Make("Elsewhere", true);
    install.Make("Elsewhere\\data", true);
    const std::string folder = install.Make("Private", true);
    const std::string program = install.Make("Programs\\p.exe");
    WriteWholeFile(program, "MZ");
    const auto movingAway = [&](ShellDialogPlayer::Script script) {
        return [&elsewhere, script](HWND dialog) {
            ::SetCurrentDirectoryA(elsewhere.c_str());
            script(dialog);
        };
    };
    FakeDriver driver;
    MessageBoxCatcher boxes;
    ShellDialogPlayer shell({movingAway(ChooseInBrowser(folder)), movingAway(CancelShellDialog()),
                             movingAway(ChooseInFileDialog(program)), movingAway(CancelShellDialog())});
    std::vector<std::string> current;
    CVeltrixDlg dlg(driver);
    RunModal(dlg, [&](HWND hWnd) {
        for (int id : {IDC_ADD_LOCKED, IDC_ADD_LOCKED, IDC_ADD_TRUSTED, IDC_ADD_TRUSTED}) {
            ClickButton(dlg, id);
            char folderNow[MAX_PATH] = "";
            ::GetCurrentDirectoryA(MAX_PATH, folderNow);
            current.push_back(folderNow);
        }
        ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(shell.Played(), 4);
    EXPECT_EQ(current, std::vector<std::string>(4, install.Path()));
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(ReadWholeFile(install.DataFile("filter.txt")), folder + "\r\n");
    EXPECT_EQ(ReadWholeFile(install.DataFile("TrustedPs.txt")), program + "\r\n");
    EXPECT_EQ(ReadWholeFile(elsewhere + "\\data\\filter.txt"), std::nullopt);
}

TEST(ListFileWrite, ASaveKeepsTheAttributesAndHardLinksOfTheFileItReplaces)
{
    InstallFolder install("vtxE-keep");
    const std::string path = install.DataFile("filter.txt");
    const std::string link = install.Path() + "\\filter-link.txt";
    WriteWholeFile(path, "C:\\previous\r\n");
    ASSERT_TRUE(::CreateHardLinkA(link.c_str(), path.c_str(), nullptr));
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));

    ASSERT_TRUE(ReplaceFileContent(path.c_str(), "C:\\next\r\n"));
    EXPECT_EQ(ReadWholeFile(path), "C:\\next\r\n");
    EXPECT_EQ(::GetFileAttributesA(path.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(ReadWholeFile(link), "C:\\previous\r\n") << "the other name is not taken away";
    EXPECT_TRUE(TemporaryFiles(install.Path() + "\\data").empty());
}

TEST(ListFileWrite, AReplaceThatFailsLeavesThePreviousFileAndNoTemporaryFile)
{
    InstallFolder install("vtxE-busy");
    const std::string path = install.DataFile("filter.txt");
    WriteWholeFile(path, "C:\\previous\r\n");
    // Another program holds the file open and shares nothing.
    CHandle held(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    const BOOL replaced = ReplaceFileContent(path.c_str(), "C:\\new\r\n");
    held.Close();
    EXPECT_FALSE(replaced);
    EXPECT_EQ(ReadWholeFile(path), "C:\\previous\r\n");
    EXPECT_TRUE(TemporaryFiles(install.Path() + "\\data").empty());
}

// ReplaceFile's failures that leave the old file away and the new content under the temporary
// name put that content in place; it is never deleted. Only Windows fails with 1177 (Wine's
// ReplaceFile gives it only with a backup name), so each error is handed over directly.
TEST(ListFileWrite, AReplaceThatLeftTheOldFileAwayPutsTheNewContentInPlace)
{
    InstallFolder install("vtxE-recover");
    const std::string path = install.DataFile("filter.txt");
    const std::string temporary = install.Path() + "\\data\\vtx1.tmp";
    for (const DWORD error :
         {DWORD(ERROR_FILE_NOT_FOUND), DWORD(ERROR_UNABLE_TO_MOVE_REPLACEMENT), DWORD(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)}) {
        ::DeleteFileA(path.c_str());
        WriteWholeFile(temporary, "C:\\new\r\n");
        EXPECT_TRUE(RecoverFailedReplace(error, temporary.c_str(), path.c_str())) << error;
        EXPECT_EQ(ReadWholeFile(path), "C:\\new\r\n") << error;
        EXPECT_FALSE(Exists(temporary)) << error;
    }
    // Any other failure left the old file in place: both stay as they are.
    WriteWholeFile(temporary, "C:\\newer\r\n");
    EXPECT_FALSE(RecoverFailedReplace(ERROR_UNABLE_TO_REMOVE_REPLACED, temporary.c_str(), path.c_str()));
    EXPECT_EQ(ReadWholeFile(path), "C:\\new\r\n");
    EXPECT_EQ(ReadWholeFile(temporary), "C:\\newer\r\n");
}

}  // namespace
