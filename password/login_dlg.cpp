#include "password/login_dlg.h"

#include "audit/audit_trail.h"
#include "password/core/md5.h"
#include "password/core/password_file.h"
#include "password/password_store.h"
#include "res/resource.h"

int g_nLoginAttempts = 4;

namespace {
CString DigestOf(const CString& strText)
{
    return MD5HexDigest(strText, static_cast<uint32_t>(strText.GetLength()));
}
}  // namespace

const MessageEntry CLoginDlg::messageEntries[] = {
    OnControl<&CLoginDlg::OnChangePassword>(EN_CHANGE, IDC_PASSWORD),
};
const MessageMap CLoginDlg::messageMap{&CDialog::messageMap, messageEntries};

CLoginDlg::CLoginDlg(CWnd* pParent) : CDialog(IDD_LOGIN, pParent)
{
    m_strPassword = "";
    LoadStoredDigest();
}

CLoginDlg::~CLoginDlg() = default;

void CLoginDlg::LoadStoredDigest()
{
    // A password file that exists but cannot be read opens the gate to no password: the empty
    // text is no digest.
    m_strStoredDigest = ReadStoredDigest(kPasswordFilePath).value_or(CString());
}

void CLoginDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_PASSWORD, m_editPassword);
    DDX_Text(pDX, IDC_PASSWORD, m_strPassword);
}

// Reads the control itself, not m_strPassword: the typed text is exchanged only on OK.
void CLoginDlg::OnChangePassword()
{
    CString strText;
    m_editPassword.GetWindowText(strText);
    ::EnableWindow(GetDlgItem(IDOK), DigestOf(strText) == m_strStoredDigest);
}

// OK may come from anywhere (Enter, a posted command), so the text is checked again here.
void CLoginDlg::OnOK()
{
    UpdateData(TRUE);
    if (DigestOf(m_strPassword) == m_strStoredDigest) {
        CDialog::OnOK();
        return;
    }
    MessageBox("Password error!", "Veltrix", MB_OK | MB_ICONEXCLAMATION);
    const int nAttemptsLeft = g_nLoginAttempts--;
    if (nAttemptsLeft != 0) {
        m_editPassword.SetSel(0, -1);
        m_editPassword.ScrollCaret();
        m_editPassword.SetFocus();
    } else {
        WriteAuditEvent(MSG_LOGIN_REFUSED);
        CDialog::OnCancel();
    }
}
