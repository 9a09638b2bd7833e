#include "framework/droptarget.h"

#include "framework/wnd.h"

namespace {

// A target answers with one of the effects that the source allows, or none.
DROPEFFECT AllowedEffect(DROPEFFECT effect, DWORD dwAllowed)
{
    const DROPEFFECT wanted = effect & ~DROPEFFECT_SCROLL;
    return (wanted & dwAllowed) == wanted ? effect : DROPEFFECT_NONE;
}

// No exception may unwind into OLE: an entry point whose handler throws fails the call with no
// effect, and the drag's data object is let go as at the drag's end.
template <class Call>
HRESULT Guarded(CComPtr<IDataObject>& dataObject, DWORD* pdwEffect, Call&& call) noexcept
{
    try {
        return call();
    } catch (...) {
        dataObject.Release();
        if (pdwEffect)
            *pdwEffect = DROPEFFECT_NONE;
        return E_UNEXPECTED;
    }
}

}  // namespace

COleDropTarget::COleDropTarget() : m_xDropTarget(*this) {}

COleDropTarget::~COleDropTarget()
{
    Revoke();
}

BOOL COleDropTarget::Register(CWnd* pWnd)
{
    if (m_hWndRegistered || !pWnd || !pWnd->m_hWnd || pWnd->m_pDropTarget)
        return FALSE;
    if (FAILED(::RegisterDragDrop(pWnd->m_hWnd, &m_xDropTarget)))
        return FALSE;
    m_pWnd = pWnd;
    m_hWndRegistered = pWnd->m_hWnd;
    pWnd->m_pDropTarget = this;
    return TRUE;
}

void COleDropTarget::Revoke()
{
    m_pDataObject.Release();
    if (!m_hWndRegistered)
        return;
    // OLE lets go of its references to the interface here.
    ::RevokeDragDrop(m_hWndRegistered);
    if (m_pWnd->m_pDropTarget == this)
        m_pWnd->m_pDropTarget = nullptr;
    m_pWnd = nullptr;
    m_hWndRegistered = nullptr;
}

DROPEFFECT COleDropTarget::OnDragEnter(CWnd*, IDataObject*, DWORD, POINT)
{
    return DROPEFFECT_NONE;
}

DROPEFFECT COleDropTarget::OnDragOver(CWnd*, IDataObject*, DWORD, POINT)
{
    return DROPEFFECT_NONE;
}

BOOL COleDropTarget::OnDrop(CWnd*, IDataObject*, DROPEFFECT, POINT)
{
    return FALSE;
}

void COleDropTarget::OnDragLeave(CWnd*) {}

POINT COleDropTarget::ToClient(POINTL pt) const
{
    POINT point{pt.x, pt.y};
    ::ScreenToClient(m_hWndRegistered, &point);
    return point;
}

HRESULT COleDropTarget::XDropTarget::QueryInterface(REFIID iid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *ppv = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

// The count only tells how many references OLE holds; the owner decides the object's life.
ULONG COleDropTarget::XDropTarget::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_cRef));
}

ULONG COleDropTarget::XDropTarget::Release()
{
    return static_cast<ULONG>(::InterlockedDecrement(&m_cRef));
}

HRESULT COleDropTarget::XDropTarget::DragEnter(IDataObject* pDataObject, DWORD grfKeyState, POINTL pt,
                                               DWORD* pdwEffect)
{
    if (!pdwEffect || !pDataObject)
        return E_INVALIDARG;
    return Guarded(m_owner.m_pDataObject, pdwEffect, [&] {
        m_owner.m_pDataObject = pDataObject;
        const DROPEFFECT effect =
            m_owner.OnDragEnter(m_owner.m_pWnd, pDataObject, grfKeyState, m_owner.ToClient(pt));
        *pdwEffect = AllowedEffect(effect, *pdwEffect);
        return S_OK;
    });
}

HRESULT COleDropTarget::XDropTarget::DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect)
{
    if (!pdwEffect)
        return E_INVALIDARG;
    if (!m_owner.m_pDataObject) {
        *pdwEffect = DROPEFFECT_NONE;
        return S_OK;
    }
    return Guarded(m_owner.m_pDataObject, pdwEffect, [&] {
        const DROPEFFECT effect =
            m_owner.OnDragOver(m_owner.m_pWnd, m_owner.m_pDataObject, grfKeyState, m_owner.ToClient(pt));
        *pdwEffect = AllowedEffect(effect, *pdwEffect);
        return S_OK;
    });
}

HRESULT COleDropTarget::XDropTarget::DragLeave()
{
    return Guarded(m_owner.m_pDataObject, nullptr, [&] {
        m_owner.OnDragLeave(m_owner.m_pWnd);
        m_owner.m_pDataObject.Release();
        return S_OK;
    });
}

HRESULT COleDropTarget::XDropTarget::Drop(IDataObject* pDataObject, DWORD grfKeyState, POINTL pt,
                                          DWORD* pdwEffect)
{
    if (!pdwEffect || !pDataObject)
        return E_INVALIDARG;
    return Guarded(m_owner.m_pDataObject, pdwEffect, [&] {
        const POINT point = m_owner.ToClient(pt);
        CWnd* pWnd = m_owner.m_pWnd;
        // The drop is asked once more whether it is wanted, so that a drop the target refuses
        // never reaches OnDrop.
        DROPEFFECT effect = AllowedEffect(m_owner.OnDragOver(pWnd, pDataObject, grfKeyState, point), *pdwEffect);
        if (effect != DROPEFFECT_NONE) {
            if (!m_owner.OnDrop(pWnd, pDataObject, effect, point))
                effect = DROPEFFECT_NONE;
        } else {
            m_owner.OnDragLeave(pWnd);
        }
        m_owner.m_pDataObject.Release();
        *pdwEffect = effect;
        return S_OK;
    });
}
