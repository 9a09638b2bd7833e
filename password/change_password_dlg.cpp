#include "password/change_password_dlg.h"

#include "audit/audit_trail.h"
#include "framework/file_replace.h"
#include "password/core/md5.h"
#include "password/core/password_file.h"
#include "res/resource.h"

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
    return ReplaceFileContent(kPasswordFilePath, DigestFileContent(strDigest), FileAccess::AdministratorsOnly);
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
    WriteAuditEvent(MSG_PASSWORD_CHANGED);
    CDialog::OnOK();
    MessageBox("The password has changed successfully!", "Veltrix", MB_OK | MB_ICONINFORMATION);
}
