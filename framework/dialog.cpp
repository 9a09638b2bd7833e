#include "framework/dialog.h"

#include "framework/app.h"

#include <algorithm>

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (!rControl.m_hWnd)
        rControl.SubclassWindow(pDX->m_pDlgWnd->GetDlgItem(nIDC));
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND control = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (pDX->m_bSaveAndValidate) {
        const int length = ::GetWindowTextLengthA(control);
        const int copied = ::GetWindowTextA(control, value.GetBuffer(length + 1), length + 1);
        value.ReleaseBuffer(copied > 0 ? copied : 0);
    } else {
        // As MFC does, a text that is already there is not set again: the control then sends no
        // EN_CHANGE for it, so a dialog's change handlers see only real changes.
        CString current;
        const int length = ::GetWindowTextLengthA(control);
        const int copied = ::GetWindowTextA(control, current.GetBuffer(length + 1), length + 1);
        current.ReleaseBuffer(copied > 0 ? copied : 0);
        if (current != value)
            ::SetWindowTextA(control, value);
    }
}

const MessageEntry CDialog::messageEntries[] = {
    OnCommand<&CDialog::OnOK>(IDOK),
    OnCommand<&CDialog::OnCancel>(IDCANCEL),
    OnMessage<&CDialog::OnHelpInfo>(WM_HELP),
};
const MessageMap CDialog::messageMap{&CWnd::messageMap, messageEntries};

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog()
{
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

LRESULT CDialog::OnHelpInfo(WPARAM, LPARAM)
{
    // F1 asks for help: the standard command, which the application answers.
    SendMessage(WM_COMMAND, ID_HELP);
    return TRUE;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    m_bModalEnded = true;
    // Wake the modal loop, which may be waiting in GetMessage.
    if (m_hWnd)
        PostMessage(WM_NULL);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if ((pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) ||
        (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST))
        return ::IsDialogMessageA(m_hWnd, pMsg);
    return FALSE;
}

HWND CDialog::OwnerForModal() const
{
    if (m_pParentWnd)
        return m_pParentWnd->m_hWnd;
    // Without a parent, the application's main window owns the dialog while it exists.
    CWnd* main = AfxGetMainWnd();
    return main && main != this ? main->m_hWnd : nullptr;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;  // every later message reaches the object through its subclass procedure
    CDialog* self = reinterpret_cast<CDialog*>(lParam);
    try {
        self->SubclassWindow(hWnd);
        ::GetWindowRect(hWnd, &self->m_rectBeforeInit);
        return self->OnInitDialog();
    } catch (...) {
        return FALSE;
    }
}

void CDialog::CenterIfUnplaced() const
{
    // The dialog manager shows a window whose template has WS_VISIBLE before CreateDialogParam
    // returns: such a window, one that OnInitDialog showed or moved, and a child stay put.
    const DWORD style = GetStyle();
    if (style & (WS_VISIBLE | WS_CHILD))
        return;
    RECT rect;
    ::GetWindowRect(m_hWnd, &rect);
    if (rect.left != m_rectBeforeInit.left || rect.top != m_rectBeforeInit.top)
        return;
    // Only a modal run: no owner, or an owner that the run disabled.
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner && ::IsWindowEnabled(owner))
        return;
    // A hidden or minimised owner has no place on the screen to centre over.
    if (owner && (!::IsWindowVisible(owner) || ::IsIconic(owner)))
        owner = nullptr;

    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(::MonitorFromWindow(owner ? owner : m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor))
        return;
    const RECT area = monitor.rcWork;
    RECT over = area;
    if (owner)
        ::GetWindowRect(owner, &over);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    int left = (over.left + over.right) / 2 - width / 2;
    int top = (over.top + over.bottom) / 2 - height / 2;
    // Kept inside the work area; a dialog larger than it keeps its caption on the screen.
    left = std::max<int>(std::min<int>(left, area.right - width), area.left);
    top = std::max<int>(std::min<int>(top, area.bottom - height), area.top);
    ::SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CDialog::DoModal()
{
    HWND owner = OwnerForModal();
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner)
        ::EnableWindow(owner, FALSE);

    m_bModalEnded = false;
    m_nModalResult = -1;
    HWND hWnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDHelp), owner,
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (hWnd) {
        if (!m_bModalEnded) {
            CenterIfUnplaced();
            if (!::IsWindowVisible(hWnd))
                ::ShowWindow(hWnd, SW_SHOWNORMAL);
        }
        MSG msg;
        while (!m_bModalEnded) {
            const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
            if (got <= 0) {
                if (got == 0)
                    ::PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            const bool ours = msg.hwnd == hWnd || ::IsChild(hWnd, msg.hwnd);
            if (!(ours && PreTranslateMessage(&msg))) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
    }
    // Enable the owner before the dialog goes, so that activation returns to it.
    if (disableOwner)
        ::EnableWindow(owner, TRUE);
    if (owner && hWnd && ::GetActiveWindow() == hWnd)
        ::SetActiveWindow(owner);
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    return m_nModalResult;
}
