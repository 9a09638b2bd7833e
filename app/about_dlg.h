// CAboutDlg: the about box of the main window's system menu, with the maker's link.
#pragma once

#include "app/hyperlink.h"
#include "framework/dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    ~CAboutDlg() override = default;

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    CHyperLink m_link;
};
