// The change-password dialog under Wine: OK enabled only on equal texts, the mismatch message,
// the password file replaced by exactly one line, and a save that fails told as a failure.
#include "password/change_password_dlg.h"

#include "password/core/md5.h"
#include "password/core/password_file.h"
#include "password/login_dlg.h"
#include "password_test_support.h"
#include "res/resource.h"
#include "support/audit_events.h"
#include "support/file_access.h"
#include "support/modal.h"

#include <string>

namespace {

constexpr char kSavedText[] = "The password has changed successfully!";
constexpr char kNotSavedText[] = "The new password could not be saved. The old password stays in force.";
constexpr char kMismatchText[] = "New password and confirm password are not same!";

CString DigestOf(const char* text)
{
    return MD5HexDigest(text, static_cast<uint32_t>(lstrlenA(text)));
}

using ChangePasswordDlgTest = InstallFolderTest;

bool OkEnabled(HWND dialog)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE;
}

void ClickOk(HWND dialog)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
}

TEST_F(ChangePasswordDlgTest, OkIsEnabledOnlyWhileBothTextsAreEqual)
{
    CChangePasswordDlg dlg;
    std::string trace;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        HWND newEdit = ::GetDlgItem(hWnd, IDC_NEW_PASSWORD);
        HWND confirmEdit = ::GetDlgItem(hWnd, IDC_CONFIRM_PASSWORD);
        EXPECT_EQ(::GetFocus(), newEdit);
        auto note = [&] { trace += OkEnabled(hWnd) ? '+' : '-'; };
        note();  // both empty, but nothing has changed yet
        TypeText(newEdit, "abc");
        note();
        TypeText(confirmEdit, "abc");
        note();
        TypeText(confirmEdit, "d");
        note();
        ::SetWindowTextA(newEdit, "");
        ::SetWindowTextA(confirmEdit, "");
        TypeText(confirmEdit, "xYz");  // the other order
        note();
        TypeText(newEdit, "xYz");
        note();
        ::SetWindowTextA(newEdit, "xyz");  // one letter's case
        note();
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(trace, "--+--+-");
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(DataFiles().empty()) << "cancel writes nothing";
}

TEST_F(ChangePasswordDlgTest, DifferentTextsOnOkShowTheMismatchAndWriteNothing)
{
    const std::string old = std::string(DigestOf("old")) + "\r\n";
    ASSERT_TRUE(WriteWholeFile(kPasswordFilePath, old));
    MessageBoxCatcher boxes;
    CChangePasswordDlg dlg;
    HWND dialog = nullptr;
    std::pair<DWORD, DWORD> selection;
    bool focusInNew = false, stayedOpen = false;
    char confirmText[16] = {};
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        dialog = hWnd;
        HWND newEdit = ::GetDlgItem(hWnd, IDC_NEW_PASSWORD);
        TypeText(newEdit, "abc");
        TypeText(::GetDlgItem(hWnd, IDC_CONFIRM_PASSWORD), "abd");
        ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0);  // the button is disabled; the command comes anyway
        stayedOpen = !dlg.IsEnding();
        selection = SelectionOf(newEdit);
        focusInNew = ::GetFocus() == newEdit;
        ::GetDlgItemTextA(hWnd, IDC_CONFIRM_PASSWORD, confirmText, sizeof confirmText);
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(selection, std::make_pair(DWORD{0}, DWORD{3}));
    EXPECT_TRUE(focusInNew);
    EXPECT_STREQ(confirmText, "abd");
    const auto shown = boxes.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, kMismatchText);
    EXPECT_EQ(shown[0].caption, "Veltrix");
    EXPECT_EQ(shown[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(shown[0].owner, dialog);
    EXPECT_EQ(ReadWholeFile(kPasswordFilePath), old);
    EXPECT_EQ(DataFiles(), std::vector<std::string>{"password.txt"});
}

TEST_F(ChangePasswordDlgTest, AcceptedChangeLeavesExactlyOneLineInThePasswordFile)
{
    ASSERT_TRUE(WriteWholeFile(kPasswordFilePath, std::string(DigestOf("old")) + "\r\nsecond line\r\n" + std::string(300, 'x')));
    CAuditRecorder events;
    MessageBoxCatcher boxes;
    CChangePasswordDlg dlg;
    HWND dialog = nullptr;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        dialog = hWnd;
        TypeText(::GetDlgItem(hWnd, IDC_NEW_PASSWORD), "n3w pass");
        TypeText(::GetDlgItem(hWnd, IDC_CONFIRM_PASSWORD), "n3w pass");
        ClickOk(hWnd);
    });
    EXPECT_EQ(result, IDOK);
    const std::string written = ReadWholeFile(kPasswordFilePath).value_or("");
    EXPECT_EQ(written, std::string(DigestOf("n3w pass")) + "\r\n");
    EXPECT_EQ(written.size(), 34u);
    // Nobody but SYSTEM and Administrators reads the digest to crack it offline (to be seen where
    // files keep an access list: not under Wine 8).
    if (AccessListsAreKept())
        EXPECT_EQ(AccessListOf(kPasswordFilePath), kAdministratorsOnly);
    EXPECT_EQ(DataFiles(), std::vector<std::string>{"password.txt"}) << "no temporary file stays";
    const auto shown = boxes.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, kSavedText);
    EXPECT_EQ(shown[0].caption, "Veltrix");
    EXPECT_EQ(shown[0].icon, BoxIcon::Information);
    EXPECT_EQ(shown[0].owner, dialog);
    // The next start's login reads the new password.
    EXPECT_EQ(CLoginDlg().m_strStoredDigest, DigestOf("n3w pass"));
    EXPECT_EQ(DetailsOf(events.m_events, "win_password.exe"),
              (std::vector<AuditEventSeen>{{MSG_PASSWORD_CHANGED, EVENTLOG_INFORMATION_TYPE, {}}}));
}

TEST_F(ChangePasswordDlgTest, TypingAndDeletingACharacterStoresTheEmptyPassword)
{
    MessageBoxCatcher boxes;
    CChangePasswordDlg dlg;
    bool enabled = false;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        TypeText(::GetDlgItem(hWnd, IDC_CONFIRM_PASSWORD), "x\b");
        enabled = OkEnabled(hWnd);
        ClickOk(hWnd);
    });
    EXPECT_TRUE(enabled);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(ReadWholeFile(kPasswordFilePath), std::string(DigestOf("")) + "\r\n");
}

// Runs the dialog to an accepted change that cannot be saved: the user is told so, the dialog
// ends cancelled and no temporary file is left in .\data.
void ExpectSaveRefused()
{
    MessageBoxCatcher boxes;
    CChangePasswordDlg dlg;
    HWND dialog = nullptr;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        dialog = hWnd;
        TypeText(::GetDlgItem(hWnd, IDC_NEW_PASSWORD), "n3w");
        TypeText(::GetDlgItem(hWnd, IDC_CONFIRM_PASSWORD), "n3w");
        ClickOk(hWnd);
    });
    EXPECT_EQ(result, IDCANCEL);
    const auto shown = boxes.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, kNotSavedText);
    EXPECT_EQ(shown[0].caption, "Veltrix");
    EXPECT_EQ(shown[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(shown[0].owner, dialog);
}

TEST_F(ChangePasswordDlgTest, SaveThatFailsIsReportedAndKeepsTheOldPassword)
{
    const std::string old = std::string(DigestOf("old")) + "\r\n";
    CAuditRecorder events;
    {
        SCOPED_TRACE("password file held open without delete sharing");
        ASSERT_TRUE(WriteWholeFile(kPasswordFilePath, old));
        {
            OpenElsewhere holder(kPasswordFilePath, FILE_SHARE_READ | FILE_SHARE_WRITE);
            ASSERT_TRUE(holder.IsOpen());
            ExpectSaveRefused();
        }
        EXPECT_EQ(ReadWholeFile(kPasswordFilePath), old);
        EXPECT_EQ(DataFiles(), std::vector<std::string>{"password.txt"});
        ASSERT_TRUE(::DeleteFileA(kPasswordFilePath));
    }
    {
        SCOPED_TRACE("a folder in the password file's place");
        ASSERT_TRUE(::CreateDirectoryA(kPasswordFilePath, nullptr));
        ExpectSaveRefused();
        EXPECT_EQ(::GetFileAttributesA(kPasswordFilePath) & FILE_ATTRIBUTE_DIRECTORY, DWORD{FILE_ATTRIBUTE_DIRECTORY});
        EXPECT_EQ(DataFiles(), std::vector<std::string>{"password.txt"});
        ASSERT_TRUE(::RemoveDirectoryA(kPasswordFilePath));
    }
    {
        SCOPED_TRACE("no data folder");
        ASSERT_TRUE(::RemoveDirectoryA(".\\data"));
        ExpectSaveRefused();
        EXPECT_EQ(::GetFileAttributesA(".\\data"), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_TRUE(events.m_events.empty()) << "no change, no event";
}

TEST_F(ChangePasswordDlgTest, ReadOnlyPasswordFileIsNotReplaced)
{
    if (!ReadOnlyIsEnforced())
        GTEST_SKIP() << "the read-only attribute does not stop a writer here (Wine as root)";
    const std::string old = std::string(DigestOf("old")) + "\r\n";
    ASSERT_TRUE(WriteWholeFile(kPasswordFilePath, old));
    ASSERT_TRUE(::SetFileAttributesA(kPasswordFilePath, FILE_ATTRIBUTE_READONLY));
    ExpectSaveRefused();
    EXPECT_EQ(ReadWholeFile(kPasswordFilePath), old);
    EXPECT_EQ(DataFiles(), std::vector<std::string>{"password.txt"});
}

}  // namespace
