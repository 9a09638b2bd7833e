#include "app/about_dlg.h"

#include "res/resource.h"

// No entries of its own: OK, Escape and the close box end it the base dialog's way.
const MessageMap CAboutDlg::messageMap{&CDialog::messageMap};

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX, nullptr) {}

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_LINK, m_link);
}
