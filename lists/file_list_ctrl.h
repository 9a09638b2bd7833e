// CFileListCtrl: the list view of one protection list. It knows which list it is, so that
// what is dropped on it is admitted by that list's rules.
#pragma once

#include "framework/controls.h"
#include "lists/file_drop_target.h"

class CFileListCtrl : public CListCtrl {
public:
    explicit CFileListCtrl(BOOL bTrusted);
    ~CFileListCtrl() override;

    // Makes the view accept files dropped from the shell. TRUE whatever the registration gives:
    // a view that takes no drops still takes the Add commands.
    virtual BOOL RegisterDropTarget();

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

private:
    CFileDropTarget m_dropTarget;  // admits drops by this list's rules
};
