// CDialog: a modal dialog from a template, with data exchange. DoModal runs its own message loop
// (as MFC does) so that PreTranslateMessage sees every keyboard message first, and opens a dialog
// that nothing else placed centred over its owner, or over the screen's work area.
#pragma once

#include "framework/wnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
};

// Binds a member wrapper to the dialog's control (once; later exchanges leave it bound).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// Copies a control's text to a string member, or back.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);

class CDialog : public CWnd {
public:
    CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // IDOK, IDCANCEL or whatever EndDialog was given; -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);
    // TRUE once EndDialog was called during the current modal run.
    BOOL IsEnding() const { return m_bModalEnded; }

    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

protected:
    virtual void DoDataExchange(CDataExchange*) {}
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // WM_HELP (F1): sends ID_HELP to the dialog, and from there to the application.
    LRESULT OnHelpInfo(WPARAM, LPARAM);

    UINT m_nIDHelp;  // the template id

private:
    static const MessageEntry messageEntries[];
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND OwnerForModal() const;
    void CenterIfUnplaced() const;

    CWnd* m_pParentWnd;
    bool m_bModalEnded = false;
    INT_PTR m_nModalResult = -1;
    RECT m_rectBeforeInit{};  // where the template put the window, before OnInitDialog
};
