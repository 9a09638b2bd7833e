// The list files as the main window writes them when it closes: their bytes, their being
// written whole or not at all, and a file that cannot be written not stopping the other.
#include "app/veltrix_dlg.h"
#include "lists/list_files.h"
#include "main_window_harness.h"
#include "res/resource.h"
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
        InstallFolder::WriteFileBytes(file, "MZ");
    InstallFolder::WriteFileBytes(install.DataFile("filter.txt"), std::string(5000, 'x'));
    FakeDriver driver;
    driver.m_locked = {a, b, c};
    driver.m_trusted = {p, q};
    MessageBoxCatcher boxes;
    ShellDialogPlayer shell({ChooseInBrowser(d), ChooseInFileDialog(r)});
    CVeltrixDlg dlg;
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
    EXPECT_EQ(InstallFolder::ReadFileBytes(install.DataFile("filter.txt")), a + "\r\n" + c + "\r\n" + d + "\r\n");
    EXPECT_EQ(InstallFolder::ReadFileBytes(install.DataFile("TrustedPs.txt")), q + "\r\n" + r + "\r\n");
    EXPECT_FALSE(Exists(install.DataFile("filter.txt.tmp")));
    EXPECT_FALSE(Exists(install.DataFile("TrustedPs.txt.tmp")));
}

TEST(ListFiles, TwoEmptyListsGiveTwoEmptyFiles)
{
    InstallFolder install("vtxE-empty");
    InstallFolder::WriteFileBytes(install.DataFile("filter.txt"), "C:\\old\r\n");
    FakeDriver driver;
    CVeltrixDlg dlg;
    RunModal(dlg, [&](HWND hWnd) { ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(InstallFolder::ReadFileBytes(install.DataFile("filter.txt")), "");
    EXPECT_EQ(InstallFolder::ReadFileBytes(install.DataFile("TrustedPs.txt")), "");
}

TEST(ListFiles, AFileThatCannotBeWrittenIsSkippedSilentlyAndTheOtherIsWritten)
{
    InstallFolder install("vtxE-readonly");
    const std::string filter = install.DataFile("filter.txt");
    InstallFolder::WriteFileBytes(filter, "C:\\kept\r\n");
    ASSERT_TRUE(::SetFileAttributesA(filter.c_str(), FILE_ATTRIBUTE_READONLY));
    FakeDriver driver;
    driver.m_locked = {"C:\\new"};
    driver.m_trusted = {"C:\\tool.exe"};
    MessageBoxCatcher boxes;
    CVeltrixDlg dlg;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) { ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(result, IDOK) << "the window closes as usual";
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(InstallFolder::ReadFileBytes(filter), "C:\\kept\r\n");
    EXPECT_FALSE(Exists(filter + ".tmp")) << "no temporary file is left behind";
    EXPECT_EQ(InstallFolder::ReadFileBytes(install.DataFile("TrustedPs.txt")), "C:\\tool.exe\r\n");
}

TEST(ListFiles, WithoutTheDataFolderNothingIsWrittenAndTheWindowStillCloses)
{
    InstallFolder install("vtxE-nodata");
    ASSERT_TRUE(::RemoveDirectoryA((install.Path() + "\\data").c_str()));
    FakeDriver driver;
    driver.m_locked = {"C:\\new"};
    MessageBoxCatcher boxes;
    CVeltrixDlg dlg;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        ::SendMessageA(hWnd, WM_CLOSE, 0, 0);
        PumpMessages(&dlg);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_FALSE(Exists(install.Path() + "\\data"));
}

TEST(ListFileWrite, ASaveInterruptedAfterTheTemporaryFileLeavesThePreviousFile)
{
    InstallFolder install("vtxE-interrupt");
    const std::string path = install.DataFile("filter.txt");
    InstallFolder::WriteFileBytes(path, "C:\\previous\r\n");

    // The process dies between writing the temporary file and moving it into place.
    ASSERT_TRUE(WriteListFileTemporary(path.c_str(), "C:\\half\r\n"));
    EXPECT_EQ(InstallFolder::ReadFileBytes(path), "C:\\previous\r\n");
    EXPECT_EQ(InstallFolder::ReadFileBytes(path + ".tmp"), "C:\\half\r\n");

    // The next save is not hindered by what the interrupted one left.
    ASSERT_TRUE(ReplaceListFile(path.c_str(), "C:\\next\r\n"));
    EXPECT_EQ(InstallFolder::ReadFileBytes(path), "C:\\next\r\n");
    EXPECT_FALSE(Exists(path + ".tmp"));
}

TEST(ListFileWrite, AMoveThatFailsLeavesThePreviousFileAndNoTemporaryFile)
{
    InstallFolder install("vtxE-busy");
    const std::string path = install.DataFile("filter.txt");
    InstallFolder::WriteFileBytes(path, "C:\\previous\r\n");
    // Another program holds the file open and shares nothing.
    HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const BOOL replaced = ReplaceListFile(path.c_str(), "C:\\new\r\n");
    ::CloseHandle(held);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(InstallFolder::ReadFileBytes(path), "C:\\previous\r\n");
    EXPECT_FALSE(Exists(path + ".tmp"));
}

}  // namespace
