#include "lists/file_list_ctrl.h"

const MessageMap CFileListCtrl::messageMap{&CListCtrl::messageMap};

CFileListCtrl::CFileListCtrl(CProtectionList& list) : m_dropTarget(list) {}

CFileListCtrl::~CFileListCtrl() = default;

BOOL CFileListCtrl::RegisterDropTarget()
{
    m_dropTarget.Register(this);
    return TRUE;
}
