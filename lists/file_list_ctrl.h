// CFileListCtrl: the list view of one protection list, with the drop target that admits what is
// dropped on it by that list's rules.
#pragma once

#include "framework/controls.h"
#include "lists/file_drop_target.h"

class CFileListCtrl : public CListCtrl {
public:
    explicit CFileListCtrl(CProtectionList& list);
    ~CFileListCtrl() override;

    // Makes the view accept files dropped from the shell. TRUE whatever the registration gives:
    // a view that takes no drops still takes the Add commands.
    virtual BOOL RegisterDropTarget();

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

private:
    CFileDropTarget m_dropTarget;
};
