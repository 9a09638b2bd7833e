// CWnd: a non-owning wrapper of a window handle, and the one window procedure that dispatches
// a subclassed window's messages through its class's message map.
#pragma once

#include "framework/cstring.h"
#include "framework/messagemap.h"

class COleDropTarget;

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    // The drop target registered for this window, revoked when the window is destroyed.
    COleDropTarget* m_pDropTarget = nullptr;

    operator HWND() const { return m_hWnd; }

    // The wrapper object that subclassed this window, if any.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Routes the window's messages through this object's message map; the window's previous
    // procedure becomes the default. Undone when the window is destroyed.
    BOOL SubclassWindow(HWND hWnd);

    // Keyboard and mouse messages pass here before they are dispatched; TRUE means handled.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    void GetWindowText(CString& text) const;
    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    BOOL ModifyStyle(DWORD remove, DWORD add);
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void ClientToScreen(POINT* point) const { ::ClientToScreen(m_hWnd, point); }
    void ScreenToClient(POINT* point) const { ::ScreenToClient(m_hWnd, point); }
    BOOL InvalidateRect(const RECT* rect, BOOL bErase = TRUE) { return ::InvalidateRect(m_hWnd, rect, bErase); }
    HMENU GetSystemMenu(BOOL bRevert) const { return ::GetSystemMenu(m_hWnd, bRevert); }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon)
    {
        return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                                   reinterpret_cast<LPARAM>(hIcon)));
    }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr); }
    int MessageBox(const char* text, const char* caption, UINT type) const
    {
        return ::MessageBoxA(m_hWnd, text, caption, type);
    }

    static const MessageMap messageMap;
    virtual const MessageMap* GetMessageMap() const { return &messageMap; }

protected:
    // The window's previous procedure for the message being handled.
    LRESULT Default();

    // Dispatches one message: the map's handler, or else the previous procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Detach();

    struct CurrentMessage {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    WNDPROC m_pfnSuper = nullptr;
    CurrentMessage m_current;
};
