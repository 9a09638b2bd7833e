#include "password/change_password_dlg.h"

#include "password/core/md5.h"
#include "password/core/password_file.h"
#include "res/resource.h"

#include <io.h>

#include <cstdio>

namespace {

constexpr char kDataFolder[] = ".\\data";

// A C stream that is closed on every path.
class CStdioStream {
public:
    CStdioStream(const char* pszPath, const char* pszMode) : m_pFile(std::fopen(pszPath, pszMode)) {}
    ~CStdioStream() { Close(); }
    CStdioStream(const CStdioStream&) = delete;
    CStdioStream& operator=(const CStdioStream&) = delete;

    std::FILE* Get() const { return m_pFile; }
    // FALSE when the last buffered bytes could not be written.
    BOOL Close()
    {
        std::FILE* pFile = m_pFile;
        m_pFile = nullptr;
        return pFile && std::fclose(pFile) == 0;
    }

private:
    std::FILE* m_pFile;
};

// Writes the line to a new file beside the password file, on the disk before anything else
// happens, then swaps it in with one rename: a crash or a full disk leaves either the old file
// or the new one, never an empty or half-written file.
BOOL ReplacePasswordFile(const CString& strDigest)
{
    char szTempPath[MAX_PATH];
    if (!::GetTempFileNameA(kDataFolder, "pwd", 0, szTempPath))
        return FALSE;
    CStdioStream file(szTempPath, "w");
    BOOL bWritten = file.Get() && WriteDigestLine(file.Get(), strDigest) &&
                    ::FlushFileBuffers(reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file.Get()))));
    bWritten = file.Close() && bWritten;
    if (bWritten &&
        ::MoveFileExA(szTempPath, kPasswordFilePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return TRUE;
    ::DeleteFileA(szTempPath);
    return FALSE;
}

}  // namespace

const MessageEntry CChangePasswordDlg::messageEntries[] = {
    OnControl<&CChangePasswordDlg::OnChangePasswordText>(EN_CHANGE, IDC_CONFIRM_PASSWORD),
    OnControl<&CChangePasswordDlg::OnChangePasswordText>(EN_CHANGE, IDC_NEW_PASSWORD),
};
const MessageMap CChangePasswordDlg::messageMap{&CDialog::messageMap, messageEntries};

CChangePasswordDlg::CChangePasswordDlg(CWnd* pParent) : CDialog(IDD_CHANGE_PASSWORD, pParent)
{
    m_strNewPassword = "";
    m_strConfirmPassword = "";
}

CChangePasswordDlg::~CChangePasswordDlg() = default;

void CChangePasswordDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_NEW_PASSWORD, m_editNewPassword);
    DDX_Text(pDX, IDC_NEW_PASSWORD, m_strNewPassword);
    DDX_Text(pDX, IDC_CONFIRM_PASSWORD, m_strConfirmPassword);
}

void CChangePasswordDlg::OnChangePasswordText()
{
    UpdateData(TRUE);
    ::EnableWindow(GetDlgItem(IDOK), m_strNewPassword == m_strConfirmPassword);
}

BOOL CChangePasswordDlg::SavePasswordDigest()
{
    const CString strDigest = MD5HexDigest(m_strNewPassword, static_cast<uint32_t>(m_strNewPassword.GetLength()));
    return ReplacePasswordFile(strDigest);
}

// OK may come from anywhere (Enter, a posted command), so the texts are compared again here.
// A change that could not be saved is told as such and ends the dialog as cancelled.
void CChangePasswordDlg::OnOK()
{
    UpdateData(TRUE);
    if (m_strNewPassword != m_strConfirmPassword) {
        MessageBox("New password and confirm password are not same!", "Veltrix", MB_OK | MB_ICONEXCLAMATION);
        m_editNewPassword.SetSel(0, -1);
        m_editNewPassword.ScrollCaret();
        m_editNewPassword.SetFocus();
        return;
    }
    if (!SavePasswordDigest()) {
        MessageBox("The new password could not be saved. The old password stays in force.", "Veltrix",
                   MB_OK | MB_ICONEXCLAMATION);
        CDialog::OnCancel();
        return;
    }
    CDialog::OnOK();
    MessageBox("The password has changed successfully!", "Veltrix", MB_OK | MB_ICONINFORMATION);
}
