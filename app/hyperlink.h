// CHyperLink: a static control, subclassed, that draws its own text underlined in blue, shows a
// hand cursor over the text and, on a click (or Enter when it has the focus), hands the text to
// the shell's "open" verb and tells its parent.
#pragma once

#include "framework/gdi.h"
#include "framework/handle.h"
#include "framework/wnd.h"

class CHyperLink : public CWnd {
public:
    CHyperLink() = default;

    // The underlined font the text is drawn in, made from the parent's font on first use.
    CFont* GetLinkFont();
    // Measures the text into m_rcText; repaints the control when bInvalidate is TRUE.
    void RecalcTextRect(BOOL bInvalidate);
    // Opens the control's own text with the shell; the result is the shell's.
    HINSTANCE OpenLink();
    // WM_COMMAND to the parent: nID in the low word, nCode in the high word, this control as lParam.
    LRESULT NotifyParent(UINT nID, UINT nCode);

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

protected:
    void OnSize(UINT nType, int cx, int cy);
    LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    void OnPaint();
    BOOL OnSetCursor(HWND hWnd, UINT nHitTest, UINT message);
    LRESULT OnNcHitTest(POINT point);
    void OnSetFocus(HWND hOldWnd);
    void OnKillFocus(HWND hNewWnd);
    void OnLButtonDown(UINT nFlags, POINT point);
    void OnLButtonUp(UINT nFlags, POINT point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnCancelMode();
    UINT OnGetDlgCode();

    COLORREF m_crLinkColor = RGB(0, 0, 255);
    CFont m_font;
    RECT m_rcText = {0, 0, 0, 0};  // client coordinates; all zero until first measured
    // Declared last: the cursor goes first, then the font, before the CWnd base lets go.
    CCursorHandle m_hLinkCursor;  // the hand cursor, loaded on first use

private:
    void ToggleFocusRect();
    void MoveFocusToSibling(BOOL bBackwards);

    static const MessageEntry messageEntries[];
};
