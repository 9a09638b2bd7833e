#include "framework/droptarget.h"

#include "framework/wnd.h"

namespace {

// A target answers with one of the effects that the source allows, or none.
DROPEFFECT AllowedEffect(DROPEFFECT effect, DWORD dwAllowed)
{
    const DROPEFFECT wanted = effect & ~DROPEFFECT_SCROLL;
    return (wanted & dwAllowed) == wanted ? effect : DROPEFFECT_NONE;
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
    HoldDataObject(nullptr);
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

DROPEFFECT COleDropTarget::OnDropEx(CWnd*, IDataObject*, DROPEFFECT, DROPEFFECT, POINT)
{
    return static_cast<DROPEFFECT>(-1);
}

BOOL COleDropTarget::OnDrop(CWnd*, IDataObject*, DROPEFFECT, POINT)
{
    return FALSE;
}

void COleDropTarget::OnDragLeave(CWnd*) {}

DROPEFFECT COleDropTarget::OnDragScroll(CWnd*, DWORD, POINT)
{
    return DROPEFFECT_NONE;
}

POINT COleDropTarget::ToClient(POINTL pt) const
{
    POINT point{pt.x, pt.y};
    ::ScreenToClient(m_hWndRegistered, &point);
    return point;
}

void COleDropTarget::HoldDataObject(IDataObject* pDataObject)
{
    if (pDataObject)
        pDataObject->AddRef();
    if (m_pDataObject)
        m_pDataObject->Release();
    m_pDataObject = pDataObject;
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
    m_owner.HoldDataObject(pDataObject);
    const POINT point = m_owner.ToClient(pt);
    DROPEFFECT effect = m_owner.OnDragScroll(m_owner.m_pWnd, grfKeyState, point);
    if (!(effect & DROPEFFECT_SCROLL))
        effect = m_owner.OnDragEnter(m_owner.m_pWnd, pDataObject, grfKeyState, point);
    *pdwEffect = AllowedEffect(effect, *pdwEffect);
    return S_OK;
}

HRESULT COleDropTarget::XDropTarget::DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect)
{
    if (!pdwEffect)
        return E_INVALIDARG;
    if (!m_owner.m_pDataObject) {
        *pdwEffect = DROPEFFECT_NONE;
        return S_OK;
    }
    const POINT point = m_owner.ToClient(pt);
    DROPEFFECT effect = m_owner.OnDragScroll(m_owner.m_pWnd, grfKeyState, point);
    if (!(effect & DROPEFFECT_SCROLL))
        effect = m_owner.OnDragOver(m_owner.m_pWnd, m_owner.m_pDataObject, grfKeyState, point);
    *pdwEffect = AllowedEffect(effect, *pdwEffect);
    return S_OK;
}

HRESULT COleDropTarget::XDropTarget::DragLeave()
{
    m_owner.OnDragLeave(m_owner.m_pWnd);
    m_owner.HoldDataObject(nullptr);
    return S_OK;
}

HRESULT COleDropTarget::XDropTarget::Drop(IDataObject* pDataObject, DWORD grfKeyState, POINTL pt,
                                          DWORD* pdwEffect)
{
    if (!pdwEffect || !pDataObject)
        return E_INVALIDARG;
    const POINT point = m_owner.ToClient(pt);
    CWnd* pWnd = m_owner.m_pWnd;
    // The drop is asked once more whether it is wanted, so that a drop the target refuses never
    // reaches OnDrop.
    DROPEFFECT effect = AllowedEffect(m_owner.OnDragOver(pWnd, pDataObject, grfKeyState, point), *pdwEffect);
    const DROPEFFECT result = m_owner.OnDropEx(pWnd, pDataObject, effect, *pdwEffect, point);
    if (result != static_cast<DROPEFFECT>(-1)) {
        effect = result;
    } else if (effect != DROPEFFECT_NONE) {
        if (!m_owner.OnDrop(pWnd, pDataObject, effect, point))
            effect = DROPEFFECT_NONE;
    } else {
        m_owner.OnDragLeave(pWnd);
    }
    m_owner.HoldDataObject(nullptr);
    *pdwEffect = effect;
    return S_OK;
}
