#include "lists/file_drop_target.h"

#include "framework/codepage.h"
#include "framework/handle.h"
#include "lists/core/dropped_files.h"
#include "lists/protection_list.h"

#include <shellapi.h>

#include <cstddef>

static_assert(sizeof(DROPFILES) == kDropFilesHeaderSize);
static_assert(offsetof(DROPFILES, pFiles) == kDropFilesListOffsetField);
static_assert(offsetof(DROPFILES, fWide) == kDropFilesWideField);


namespace {

// Every medium a format can come in: data that offers the private format in any of them is
// refused.
constexpr DWORD kAnyMedium = TYMED_HGLOBAL | TYMED_FILE | TYMED_ISTREAM | TYMED_ISTORAGE | TYMED_GDI |
                             TYMED_MFPICT | TYMED_ENHMF;

BOOL OffersFormat(IDataObject* pDataObject, UINT cf, DWORD tymed)
{
    FORMATETC format{static_cast<CLIPFORMAT>(cf), nullptr, DVASPECT_CONTENT, -1, tymed};
    return pDataObject->QueryGetData(&format) == S_OK;
}

// The same for both lists and whatever keys are held: a copy of a shell file list, or nothing.
DROPEFFECT FileDropEffect(IDataObject* pDataObject)
{
    if (OffersFormat(pDataObject, g_cfPrivateFormat, kAnyMedium))
        return DROPEFFECT_NONE;
    return OffersFormat(pDataObject, CF_HDROP, TYMED_HGLOBAL) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

// The k-th dropped path in the ANSI code page. FALSE for a path that would not come out as
// itself: longer than a path buffer holds, or with characters the code page lacks. Such a
// path is skipped rather than cut or changed into another path.
BOOL ReadDroppedPath(HDROP hDrop, UINT k, char (&path)[MAX_PATH])
{
    const UINT length = ::DragQueryFileW(hDrop, k, nullptr, 0);
    if (length == 0 || length >= MAX_PATH)
        return FALSE;
    WCHAR wide[MAX_PATH];
    if (::DragQueryFileW(hDrop, k, wide, MAX_PATH) != length)
        return FALSE;
    return WideToCodePage(::GetACP(), wide, -1, path, MAX_PATH) > 0;
}

}  // namespace

CFileDropTarget::CFileDropTarget(CProtectionList& list) : m_pList(&list), m_bHelper(false)
{
    // Without the helper drops work the same, only without drag images.
    m_bHelper = SUCCEEDED(::CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IDropTargetHelper, reinterpret_cast<void**>(&m_pDropHelper))) &&
                m_pDropHelper;
}

CFileDropTarget::~CFileDropTarget() = default;

DROPEFFECT CFileDropTarget::OnDragEnter(CWnd*, IDataObject* pDataObject, DWORD, POINT point)
{
    const DROPEFFECT effect = FileDropEffect(pDataObject);
    if (m_bHelper) {
        POINT screen = ToScreen(point);
        m_pDropHelper->DragEnter(m_pList->View().m_hWnd, pDataObject, &screen, effect);
    }
    return effect;
}

DROPEFFECT CFileDropTarget::OnDragOver(CWnd*, IDataObject* pDataObject, DWORD, POINT point)
{
    const DROPEFFECT effect = FileDropEffect(pDataObject);
    if (m_bHelper) {
        POINT screen = ToScreen(point);
        m_pDropHelper->DragOver(&screen, effect);
    }
    return effect;
}

BOOL CFileDropTarget::OnDrop(CWnd*, IDataObject* pDataObject, DROPEFFECT dropEffect, POINT point)
{
    // The whole drop, driver requests included, comes before the helper hears of it.
    const BOOL bAdded = AddDroppedFiles(pDataObject);
    if (m_bHelper) {
        POINT screen = ToScreen(point);
        m_pDropHelper->Drop(pDataObject, &screen, dropEffect);
    }
    return bAdded;
}

void CFileDropTarget::OnDragLeave(CWnd*)
{
    if (m_bHelper)
        m_pDropHelper->DragLeave();
}

BOOL CFileDropTarget::AddDroppedFiles(IDataObject* pDataObject)
{
    CFileListCtrl& list = m_pList->View();
    int last = list.GetItemCount() - 1;
    {
        CStorageMedium medium;
        FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        if (FAILED(pDataObject->GetData(&format, medium.Put())) || medium.Get().tymed != TYMED_HGLOBAL)
            return FALSE;
        const HGLOBAL hGlobal = medium.Get().hGlobal;
        const CGlobalLock lock(hGlobal);
        const auto* data = static_cast<const unsigned char*>(lock.Get());
        if (!data || !IsReadableFileList(data, ::GlobalSize(hGlobal)))
            return FALSE;

        const HDROP hDrop = static_cast<HDROP>(hGlobal);
        const UINT nDropped = ::DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
        for (UINT k = 0; k < nDropped; ++k) {
            char path[MAX_PATH];
            if (!ReadDroppedPath(hDrop, k, path))
                continue;
            // The list's own rules; what they refuse is skipped without a word.
            const ListChange change = m_pList->Model().PlanAdd(path, PathSource::Dropped);
            if (change.kind == ListChange::Add)
                last = m_pList->Append(change.path);
        }
    }
    list.EnsureVisible(last, FALSE);
    return TRUE;
}

POINT CFileDropTarget::ToScreen(POINT point) const
{
    m_pList->View().ClientToScreen(&point);
    return point;
}
