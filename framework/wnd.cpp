#include "framework/wnd.h"

#include "framework/app.h"
#include "framework/droptarget.h"

namespace {
const char kWndProperty[] = "CWndObject";
}

const MessageMap CWnd::messageMap{nullptr};

CWnd::~CWnd()
{
    if (m_pDropTarget)
        m_pDropTarget->Revoke();
    // A wrapper does not own its window: it only gives the window back its own procedure.
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd ? static_cast<CWnd*>(::GetPropA(hWnd, kWndProperty)) : nullptr;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!hWnd || m_hWnd || FromHandlePermanent(hWnd))
        return FALSE;
    if (!::SetPropA(hWnd, kWndProperty, this))
        return FALSE;
    m_hWnd = hWnd;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    return TRUE;
}

void CWnd::Detach()
{
    ::RemovePropA(m_hWnd, kWndProperty);
    m_hWnd = nullptr;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

void CWnd::GetWindowText(CString& text) const
{
    const int length = ::GetWindowTextLengthA(m_hWnd);
    const int copied = ::GetWindowTextA(m_hWnd, text.GetBuffer(length + 1), length + 1);
    text.ReleaseBuffer(copied > 0 ? copied : 0);
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add)
{
    const DWORD style = GetStyle();
    const DWORD changed = (style & ~remove) | add;
    if (style == changed)
        return FALSE;
    ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(changed));
    return TRUE;
}

LRESULT CWnd::Default()
{
    return ::CallWindowProcA(m_pfnSuper, m_hWnd, m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (const MessageEntry* entry = GetMessageMap()->Find(message, wParam, lParam))
        return entry->call(*this, wParam, lParam);
    // A command from a menu or an accelerator (no control) goes on to the application.
    if (message == WM_COMMAND && lParam == 0 && AfxGetApp() && AfxGetApp()->OnCmdMsg(LOWORD(wParam)))
        return 0;
    return Default();
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* self = FromHandlePermanent(hWnd);
    if (!self)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);

    // Handlers may send messages to their own window: keep the outer message for Default().
    const CurrentMessage outer = self->m_current;
    self->m_current = {message, wParam, lParam};
    LRESULT result = 0;
    // No exception may unwind through user32.
    try {
        result = self->WindowProc(message, wParam, lParam);
    } catch (...) {
        result = 0;
    }
    self->m_current = outer;

    if (message == WM_NCDESTROY) {
        // OLE keeps a registered target until it is revoked, also past the window's end.
        if (self->m_pDropTarget)
            self->m_pDropTarget->Revoke();
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->m_pfnSuper));
        self->Detach();
    }
    return result;
}
