#include "lists/file_list_ctrl.h"

const MessageMap CFileListCtrl::messageMap{&CListCtrl::messageMap};

CFileListCtrl::CFileListCtrl(BOOL bTrusted) : m_dropTarget(this, bTrusted) {}

CFileListCtrl::~CFileListCtrl() = default;

BOOL CFileListCtrl::RegisterDropTarget()
{
    m_dropTarget.Register(this);
    return TRUE;
}
