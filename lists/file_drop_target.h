// CFileDropTarget: takes files and folders dropped from the shell onto one protection list.
// Each path is admitted by its list's rules, appended and sent to the driver; a shortcut dropped
// onto the trusted list stands for the program it points to. Refusals are silent.
#pragma once

#include "framework/comptr.h"
#include "framework/droptarget.h"

#include <shlobj.h>

class CProtectionList;

// The clipboard format whose data no drop target takes, whatever else the data offers. It is
// registered among the program's static objects, in the start-up file.
extern UINT g_cfPrivateFormat;

class CFileDropTarget : public COleDropTarget {
public:
    explicit CFileDropTarget(CProtectionList& list);
    ~CFileDropTarget() override;

    DROPEFFECT OnDragEnter(CWnd* pWnd, IDataObject* pDataObject, DWORD dwKeyState, POINT point) override;
    DROPEFFECT OnDragOver(CWnd* pWnd, IDataObject* pDataObject, DWORD dwKeyState, POINT point) override;
    BOOL OnDrop(CWnd* pWnd, IDataObject* pDataObject, DROPEFFECT dropEffect, POINT point) override;
    void OnDragLeave(CWnd* pWnd) override;

    // Adds every admitted path of the data's file list to the list, in drop order. FALSE when
    // the data holds no file list that can be read; nothing changes then.
    BOOL AddDroppedFiles(IDataObject* pDataObject);

private:
    POINT ToScreen(POINT point) const;

    CProtectionList* m_pList;                 // the owner, not owned
    CComPtr<IDropTargetHelper> m_pDropHelper;  // the drag images; null without the helper
    bool m_bHelper;
};
