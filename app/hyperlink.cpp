#include "app/hyperlink.h"

#include "framework/app.h"
#include "res/resource.h"

#include <shellapi.h>

namespace {

// The underlined copy of a font. A window without a font of its own (WM_GETFONT yields none,
// or WM_SETFONT passes none) gets the default GUI font as its base.
BOOL CreateUnderlinedFont(CFont& font, HFONT hBase)
{
    if (!hBase)
        hBase = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA logFont{};
    if (!::GetObjectA(hBase, sizeof logFont, &logFont))
        return FALSE;
    logFont.lfWidth = 0;
    logFont.lfQuality = PROOF_QUALITY;
    logFont.lfUnderline = TRUE;
    return font.CreateFontIndirect(&logFont);
}

bool IsEmpty(const RECT& rect)
{
    return rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0;
}

}  // namespace

const MessageEntry CHyperLink::messageEntries[] = {
    OnWm<WM_SIZE, &CHyperLink::OnSize>(),
    OnMessage<&CHyperLink::OnSetFont>(WM_SETFONT),
    OnMessage<&CHyperLink::OnSetText>(WM_SETTEXT),
    OnWm<WM_PAINT, &CHyperLink::OnPaint>(),
    OnWm<WM_SETCURSOR, &CHyperLink::OnSetCursor>(),
    OnWm<WM_NCHITTEST, &CHyperLink::OnNcHitTest>(),
    OnWm<WM_SETFOCUS, &CHyperLink::OnSetFocus>(),
    OnWm<WM_KILLFOCUS, &CHyperLink::OnKillFocus>(),
    OnWm<WM_LBUTTONDOWN, &CHyperLink::OnLButtonDown>(),
    OnWm<WM_LBUTTONUP, &CHyperLink::OnLButtonUp>(),
    OnWm<WM_KEYDOWN, &CHyperLink::OnKeyDown>(),
    OnWm<WM_CANCELMODE, &CHyperLink::OnCancelMode>(),
    OnWm<WM_GETDLGCODE, &CHyperLink::OnGetDlgCode>(),
};
const MessageMap CHyperLink::messageMap{&CWnd::messageMap, messageEntries};

CFont* CHyperLink::GetLinkFont()
{
    if (m_font.m_hObject)
        return &m_font;
    HWND hParent = GetParent();
    if (!hParent)
        return &m_font;
    HFONT hParentFont = reinterpret_cast<HFONT>(::SendMessageA(hParent, WM_GETFONT, 0, 0));
    CreateUnderlinedFont(m_font, hParentFont);
    return &m_font;
}

void CHyperLink::RecalcTextRect(BOOL bInvalidate)
{
    CClientDC dc(m_hWnd);
    const DWORD style = GetStyle();
    CSelectObject font(dc.Get(), *GetLinkFont());
    RECT client;
    GetClientRect(&client);
    CString text;
    GetWindowText(text);

    SIZE extent{0, 0};
    ::GetTextExtentPoint32A(dc.Get(), text, text.GetLength(), &extent);

    LONG left, right;
    if (style & SS_CENTER) {
        const LONG mid = (client.right - client.left) / 2;
        const LONG half = extent.cx / 2;
        left = mid - half;
        right = mid + half;
    } else if (style & SS_RIGHT) {
        right = client.right;
        left = right - extent.cx;
    } else {
        left = 0;
        right = extent.cx;
    }
    m_rcText = {left, 0, right, extent.cy};

    if (bInvalidate)
        InvalidateRect(nullptr, TRUE);
}

HINSTANCE CHyperLink::OpenLink()
{
    CString text;
    GetWindowText(text);
    return ::ShellExecuteA(m_hWnd, "open", text, nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT CHyperLink::NotifyParent(UINT nID, UINT nCode)
{
    return ::SendMessageA(GetParent(), WM_COMMAND, MAKEWPARAM(nID, nCode), reinterpret_cast<LPARAM>(m_hWnd));
}

void CHyperLink::OnSize(UINT, int, int)
{
    Default();
    RecalcTextRect(TRUE);
}

LRESULT CHyperLink::OnSetFont(WPARAM wParam, LPARAM)
{
    // The static control keeps the font as its own too.
    Default();
    m_font.DeleteObject();
    CreateUnderlinedFont(m_font, reinterpret_cast<HFONT>(wParam));
    RecalcTextRect(TRUE);
    return 0;
}

LRESULT CHyperLink::OnSetText(WPARAM, LPARAM)
{
    const LRESULT result = Default();
    RecalcTextRect(TRUE);
    return result;
}

void CHyperLink::OnPaint()
{
    CPaintDC dc(m_hWnd);
    if (IsEmpty(m_rcText))
        RecalcTextRect(FALSE);

    CString text;
    GetWindowText(text);
    RECT client;
    GetClientRect(&client);
    {
        CSelectObject font(dc.Get(), *GetLinkFont());
        const COLORREF oldBk = ::SetBkColor(dc.Get(), ::GetSysColor(COLOR_BTNFACE));
        const COLORREF oldText = ::SetTextColor(dc.Get(), m_crLinkColor);
        ::FillRect(dc.Get(), &client, ::GetSysColorBrush(COLOR_BTNFACE));
        RECT textRect = m_rcText;
        ::DrawTextA(dc.Get(), text, text.GetLength(), &textRect, DT_SINGLELINE | DT_NOPREFIX);
        ::SetTextColor(dc.Get(), oldText);
        ::SetBkColor(dc.Get(), oldBk);
    }
    if (::GetFocus() == m_hWnd)
        ::DrawFocusRect(dc.Get(), &m_rcText);
}

BOOL CHyperLink::OnSetCursor(HWND hWnd, UINT, UINT)
{
    POINT point;
    ::GetCursorPos(&point);
    ScreenToClient(&point);
    if (hWnd == m_hWnd && ::PtInRect(&m_rcText, point)) {
        // An unshared copy, so that its owner may destroy it.
        if (!m_hLinkCursor)
            m_hLinkCursor.Attach(static_cast<HCURSOR>(::LoadImageA(
                AfxGetResourceHandle(), MAKEINTRESOURCEA(IDC_LINK_CURSOR), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)));
        if (m_hLinkCursor) {
            ::SetCursor(m_hLinkCursor.Get());
            return TRUE;
        }
    }
    return static_cast<BOOL>(Default());
}

LRESULT CHyperLink::OnNcHitTest(POINT point)
{
    // A plain static is transparent to the mouse; the link wants its clicks.
    ScreenToClient(&point);
    RECT client;
    GetClientRect(&client);
    if (::PtInRect(&client, point))
        return HTCLIENT;
    return Default();
}

void CHyperLink::ToggleFocusRect()
{
    // Drawn by inversion: the same call draws the rectangle and takes it away.
    CClientDC dc(m_hWnd);
    ::DrawFocusRect(dc.Get(), &m_rcText);
}

void CHyperLink::OnSetFocus(HWND)
{
    ToggleFocusRect();
}

void CHyperLink::OnKillFocus(HWND)
{
    ToggleFocusRect();
}

void CHyperLink::OnLButtonDown(UINT, POINT point)
{
    if (!::PtInRect(&m_rcText, point))
        return;
    if (::GetFocus() != m_hWnd && (GetStyle() & WS_TABSTOP))
        SetFocus();
    ::SetCapture(m_hWnd);
}

void CHyperLink::OnLButtonUp(UINT, POINT point)
{
    if (::GetCapture() != m_hWnd)
        return;
    ::ReleaseCapture();
    if (::PtInRect(&m_rcText, point)) {
        OpenLink();
        NotifyParent(GetDlgCtrlID(), 1);
    }
}

void CHyperLink::OnKeyDown(UINT nChar, UINT, UINT)
{
    switch (nChar) {
    case VK_RETURN:
        OpenLink();
        NotifyParent(GetDlgCtrlID(), 1);
        break;
    case VK_ESCAPE:
        NotifyParent(IDCANCEL, 0);
        break;
    case VK_TAB:
        MoveFocusToSibling(::GetKeyState(VK_SHIFT) < 0);
        break;
    default:
        Default();
        break;
    }
}

void CHyperLink::MoveFocusToSibling(BOOL bBackwards)
{
    const UINT step = bBackwards ? GW_HWNDPREV : GW_HWNDNEXT;
    const UINT wrap = bBackwards ? GW_HWNDLAST : GW_HWNDFIRST;
    // Stops at the first enabled tab stop, or back at this control after a full round.
    HWND hWnd = m_hWnd;
    do {
        HWND hNext = ::GetWindow(hWnd, step);
        hWnd = hNext ? hNext : ::GetWindow(hWnd, wrap);
    } while (hWnd && hWnd != m_hWnd &&
             !(::IsWindowEnabled(hWnd) && (::GetWindowLongA(hWnd, GWL_STYLE) & WS_TABSTOP)));
    if (hWnd)
        ::SetFocus(hWnd);
}

void CHyperLink::OnCancelMode()
{
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    Default();
}

UINT CHyperLink::OnGetDlgCode()
{
    return DLGC_WANTALLKEYS;
}
