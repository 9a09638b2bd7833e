// CChangePasswordDlg: a new password typed twice; on OK its digest replaces the password file.
// The login dialog keeps the digest it read at start: the new password counts from the next run.
#pragma once

#include "framework/controls.h"
#include "framework/dialog.h"

class CChangePasswordDlg : public CDialog {
public:
    explicit CChangePasswordDlg(CWnd* pParent = nullptr);
    ~CChangePasswordDlg() override;

    CEdit m_editNewPassword;
    CString m_strNewPassword;
    CString m_strConfirmPassword;

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnChangePasswordText();

    // Replaces ".\data\password.txt" with the digest of m_strNewPassword. FALSE when the file
    // could not be replaced; the old file then stays as it was.
    BOOL SavePasswordDigest();

private:
    static const MessageEntry messageEntries[];
};
