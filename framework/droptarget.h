// COleDropTarget: makes a window an OLE drop target. The object is the target itself (its
// IDropTarget is a part of it, not a separate heap object) and lives as long as its owner;
// OLE's references keep nothing alive and free nothing.
#pragma once

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
    // A drop handled in one step; (DROPEFFECT)-1 to let OnDrop handle it.
    virtual DROPEFFECT OnDropEx(CWnd* pWnd, IDataObject* pDataObject, DROPEFFECT dropDefault,
                                DROPEFFECT dropList, POINT point);
    virtual BOOL OnDrop(CWnd* pWnd, IDataObject* pDataObject, DROPEFFECT dropEffect, POINT point);
    virtual void OnDragLeave(CWnd* pWnd);
    // A chance to scroll the window while the cursor rests near its edge; an effect with
    // DROPEFFECT_SCROLL answers the drag by itself.
    virtual DROPEFFECT OnDragScroll(CWnd* pWnd, DWORD dwKeyState, POINT point);

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
    // The data object of the drag in progress, held from DragEnter until DragLeave or Drop.
    void HoldDataObject(IDataObject* pDataObject);

    XDropTarget m_xDropTarget;
    CWnd* m_pWnd = nullptr;
    HWND m_hWndRegistered = nullptr;
    IDataObject* m_pDataObject = nullptr;
};
