// COleDropTarget: makes a window an OLE drop target. The object is the target itself (its
// IDropTarget is a part of it, not a separate heap object) and lives as long as its owner;
// OLE's references keep nothing alive and free nothing.
#pragma once

#include "framework/comptr.h"

#include <ole2.h>

class CWnd;

// A set of DROPEFFECT_ flags.
typedef DWORD DROPEFFECT;

class COleDropTarget {
public:
    COleDropTarget();
    virtual ~COleDropTarget();
    COleDropTarget(const COleDropTarget&) = delete;
    COleDropTarget& operator=(const COleDropTarget&) = delete;

    // RegisterDragDrop for the window. The registration ends with Revoke, when the window is
    // destroyed, or when this object goes, whichever comes first.
    BOOL Register(CWnd* pWnd);
    void Revoke();

    // The interface that OLE calls; points reach the handlers in the client coordinates of the
    // registered window.
    IDropTarget* GetInterface() { return &m_xDropTarget; }

    virtual DROPEFFECT OnDragEnter(CWnd* pWnd, IDataObject* pDataObject, DWORD dwKeyState, POINT point);
    virtual DROPEFFECT OnDragOver(CWnd* pWnd, IDataObject* pDataObject, DWORD dwKeyState, POINT point);
    virtual BOOL OnDrop(CWnd* pWnd, IDataObject* pDataObject, DROPEFFECT dropEffect, POINT point);
    virtual void OnDragLeave(CWnd* pWnd);

private:
    class XDropTarget : public IDropTarget {
    public:
        explicit XDropTarget(COleDropTarget& owner) : m_owner(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* pDataObject, DWORD grfKeyState, POINTL pt,
                                            DWORD* pdwEffect) override;
        HRESULT STDMETHODCALLTYPE DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
        HRESULT STDMETHODCALLTYPE DragLeave() override;
        HRESULT STDMETHODCALLTYPE Drop(IDataObject* pDataObject, DWORD grfKeyState, POINTL pt,
                                       DWORD* pdwEffect) override;

    private:
        COleDropTarget& m_owner;
        LONG m_cRef = 0;
    };

    POINT ToClient(POINTL pt) const;

    XDropTarget m_xDropTarget;
    CWnd* m_pWnd = nullptr;
    HWND m_hWndRegistered = nullptr;
    // The data object of the drag in progress, held from DragEnter until DragLeave or Drop.
    CComPtr<IDataObject> m_pDataObject;
};
