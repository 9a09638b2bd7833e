// The login dialog under Wine: the stored digest it reads, OK enabled exactly on a match, and
// the wrong entries that end it.
#include "password/login_dlg.h"

#include "password/core/md5.h"
#include "password/core/password_file.h"
#include "password_test_support.h"
#include "res/resource.h"
#include "support/audit_events.h"
#include "support/modal.h"

#include <string>

namespace {

CString DigestOf(const char* text)
{
    return MD5HexDigest(text, static_cast<uint32_t>(lstrlenA(text)));
}

// The value the program starts with; each test begins there.
class LoginDlgTest : public InstallFolderTest {
protected:
    void SetUp() override
    {
        InstallFolderTest::SetUp();
        g_nLoginAttempts = 4;
    }
};

bool OkEnabled(HWND dialog)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE;
}

// The default password applies only where no password file exists. An existing one is read
// for reading alone, so that a read-only file or one another program holds open for reading is
// read all the same; one that cannot be read at all opens the gate to no password: the stored
// digest is then the empty text, which no digest equals, and OK stays disabled.
TEST_F(LoginDlgTest, StoredDigestComesFromAnExistingPasswordFileAndTheDefaultOnlyFromNone)
{
    const CString secret = DigestOf("s3cret");
    for (const char* end : {"\r\n", "\n", ""}) {
        ASSERT_TRUE(WriteWholeFile(kPasswordFilePath, std::string(secret) + end));
        EXPECT_EQ(CLoginDlg().m_strStoredDigest, secret) << "line end of " << lstrlenA(end);
    }
    for (const DWORD share : {DWORD(FILE_SHARE_READ), DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)}) {
        OpenElsewhere reader(kPasswordFilePath, share);
        ASSERT_TRUE(reader.IsOpen());
        EXPECT_EQ(CLoginDlg().m_strStoredDigest, secret) << "held with sharing " << share;
    }
    ASSERT_TRUE(::SetFileAttributesA(kPasswordFilePath, FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(CLoginDlg().m_strStoredDigest, secret) << "read-only";
    ASSERT_TRUE(::SetFileAttributesA(kPasswordFilePath, FILE_ATTRIBUTE_NORMAL));
    {
        OpenElsewhere holder(kPasswordFilePath, 0);
        ASSERT_TRUE(holder.IsOpen());
        CLoginDlg dlg;
        EXPECT_EQ(dlg.m_strStoredDigest, "") << "held without sharing";
        RunModal(dlg, [&](HWND hWnd) {
            for (const char* typed : {"quimbly", "s3cret", "x", ""}) {
                ::SetDlgItemTextA(hWnd, IDC_PASSWORD, typed);
                EXPECT_FALSE(OkEnabled(hWnd)) << typed;
            }
            dlg.EndDialog(IDCANCEL);
        });
    }
    ASSERT_TRUE(WriteWholeFile(kPasswordFilePath, ""));
    EXPECT_EQ(CLoginDlg().m_strStoredDigest, "") << "an empty file";
    ASSERT_TRUE(::DeleteFileA(kPasswordFilePath));
    EXPECT_EQ(CLoginDlg().m_strStoredDigest, DigestOf("quimbly"));
}

TEST_F(LoginDlgTest, OkIsEnabledExactlyWhileTheTypedTextMatches)
{
    MessageBoxCatcher boxes;  // none expected
    CLoginDlg dlg;
    std::string trace;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        HWND edit = ::GetDlgItem(hWnd, IDC_PASSWORD);
        EXPECT_EQ(::GetFocus(), edit);
        auto note = [&] { trace += OkEnabled(hWnd) ? '+' : '-'; };
        note();
        TypeText(edit, "Quimbly");  // Q-u-i-m-b-l-y: the first letter's case differs
        note();
        ::SetWindowTextA(edit, "quimbl");
        note();
        AppendText(edit, "y");
        note();
        AppendText(edit, "y");
        note();
        AppendText(edit, "\b");
        note();
        ::SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(hWnd, IDOK)));
    });
    EXPECT_EQ(trace, "---+-+");
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_strPassword, "quimbly");
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(g_nLoginAttempts, 4);
}

TEST_F(LoginDlgTest, PasswordFromTheFileIsAcceptedAndTheDefaultIsNot)
{
    ASSERT_TRUE(WriteWholeFile(kPasswordFilePath, std::string(DigestOf("s3cret")) + "\r\n"));
    CLoginDlg dlg;
    bool defaultEnabled = true, secretEnabled = false;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        HWND edit = ::GetDlgItem(hWnd, IDC_PASSWORD);
        TypeText(edit, "quimbly");
        defaultEnabled = OkEnabled(hWnd);
        ::SetWindowTextA(edit, "s3cret");
        secretEnabled = OkEnabled(hWnd);
        ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
    });
    EXPECT_FALSE(defaultEnabled);
    EXPECT_TRUE(secretEnabled);
    EXPECT_EQ(result, IDOK);
}

TEST_F(LoginDlgTest, EmptyStoredPasswordEnablesOkOnlyAfterAChange)
{
    ASSERT_TRUE(WriteWholeFile(kPasswordFilePath, std::string(DigestOf("")) + "\r\n"));
    CLoginDlg dlg;
    bool atOpen = true, afterTyping = true, afterDeleting = false;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        HWND edit = ::GetDlgItem(hWnd, IDC_PASSWORD);
        atOpen = OkEnabled(hWnd);
        TypeText(edit, "a");
        afterTyping = OkEnabled(hWnd);
        TypeText(edit, "\b");
        afterDeleting = OkEnabled(hWnd);
        ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
    });
    EXPECT_FALSE(atOpen);
    EXPECT_FALSE(afterTyping);
    EXPECT_TRUE(afterDeleting);
    EXPECT_EQ(result, IDOK);
}

TEST_F(LoginDlgTest, FifthWrongEntryEndsTheDialogCancelled)
{
    CAuditRecorder events;
    MessageBoxCatcher boxes;
    CLoginDlg dlg;
    HWND dialog = nullptr;
    std::vector<std::string> afterEach;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        dialog = hWnd;
        HWND edit = ::GetDlgItem(hWnd, IDC_PASSWORD);
        TypeText(edit, "wrong");
        for (int entry = 1; entry <= 5 && !dlg.IsEnding(); ++entry) {
            ::SendMessageA(edit, EM_SETSEL, 5, 5);
            ::SetFocus(::GetDlgItem(hWnd, IDCANCEL));
            // An OK command, whether or not the button is enabled, is checked again.
            ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
            std::string state = std::to_string(g_nLoginAttempts);
            if (dlg.IsEnding()) {
                state += " ended";
            } else {
                const auto selection = SelectionOf(edit);
                state += " sel " + std::to_string(selection.first) + "-" + std::to_string(selection.second);
                state += ::GetFocus() == edit ? " focus" : " elsewhere";
            }
            afterEach.push_back(state);
        }
    });
    EXPECT_EQ(result, IDCANCEL);
    const std::vector<std::string> expected = {
        "3 sel 0-5 focus", "2 sel 0-5 focus", "1 sel 0-5 focus", "0 sel 0-5 focus", "-1 ended",
    };
    EXPECT_EQ(afterEach, expected);
    const auto shown = boxes.Shown();
    ASSERT_EQ(shown.size(), 5u);
    for (const auto& box : shown) {
        EXPECT_EQ(box.text, "Password error!");
        EXPECT_EQ(box.caption, "Veltrix");
        EXPECT_EQ(box.icon, BoxIcon::Exclamation);
        EXPECT_EQ(box.owner, dialog);
    }
    EXPECT_EQ(DetailsOf(events.m_events, "win_password.exe"),
              (std::vector<AuditEventSeen>{{MSG_LOGIN_REFUSED, EVENTLOG_WARNING_TYPE, {}}}));
}

TEST_F(LoginDlgTest, CancelEndsAtOnceWithoutAMessage)
{
    MessageBoxCatcher boxes;
    CLoginDlg dlg;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        TypeText(::GetDlgItem(hWnd, IDC_PASSWORD), "quimbly");
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(g_nLoginAttempts, 4);
}

}  // namespace
