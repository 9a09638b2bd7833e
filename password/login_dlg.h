// CLoginDlg: the password check before the main window exists. OK is enabled only while the
// typed text's digest equals the stored one; the fifth wrong entry of the run ends it cancelled.
#pragma once

#include "framework/controls.h"
#include "framework/dialog.h"

// Wrong entries left before the login dialog gives up. Process-wide, never reset: the dialog
// runs once per start.
extern int g_nLoginAttempts;

class CLoginDlg : public CDialog {
public:
    explicit CLoginDlg(CWnd* pParent = nullptr);
    ~CLoginDlg() override;

    CEdit m_editPassword;
    CString m_strPassword;
    CString m_strStoredDigest;

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnChangePassword();

    // Reads the stored digest from ".\data\password.txt", or takes the default password's.
    void LoadStoredDigest();

private:
    static const MessageEntry messageEntries[];
};
