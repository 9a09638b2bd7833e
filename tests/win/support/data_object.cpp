#include "support/data_object.h"

#include <shlobj.h>

#include <cstring>

TestDataObject::~TestDataObject()
{
    for (const Entry& entry : m_entries)
        if (entry.hGlobal)
            ::GlobalFree(entry.hGlobal);
}

void TestDataObject::AddFileList(const std::vector<std::string>& paths, bool bWide)
{
    if (bWide) {
        std::vector<std::wstring> wide;
        for (const std::string& path : paths) {
            WCHAR buffer[1024];
            const int n = ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, buffer, 1024);
            wide.emplace_back(buffer, n > 0 ? n - 1 : 0);
        }
        AddWideFileList(wide);
        return;
    }
    std::vector<unsigned char> bytes(sizeof(DROPFILES), 0);
    for (const std::string& path : paths)
        bytes.insert(bytes.end(), path.c_str(), path.c_str() + path.size() + 1);
    bytes.push_back(0);
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = FALSE;
    std::memcpy(bytes.data(), &header, sizeof header);
    AddFormat(CF_HDROP, bytes);
}

void TestDataObject::AddWideFileList(const std::vector<std::wstring>& paths)
{
    std::vector<unsigned char> bytes(sizeof(DROPFILES), 0);
    auto append = [&](const wchar_t* text, size_t count) {
        const auto* p = reinterpret_cast<const unsigned char*>(text);
        bytes.insert(bytes.end(), p, p + count * sizeof(wchar_t));
    };
    for (const std::wstring& path : paths)
        append(path.c_str(), path.size() + 1);
    append(L"", 1);
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(bytes.data(), &header, sizeof header);
    AddFormat(CF_HDROP, bytes);
}

void TestDataObject::AddFormat(UINT cf, const std::vector<unsigned char>& bytes)
{
    HGLOBAL hGlobal = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (void* p = ::GlobalLock(hGlobal)) {
        std::memcpy(p, bytes.data(), bytes.size());
        ::GlobalUnlock(hGlobal);
    }
    m_entries.push_back({cf, hGlobal});
}

void TestDataObject::OfferWithoutData(UINT cf)
{
    m_entries.push_back({cf, nullptr});
}

bool TestDataObject::AllUnlocked() const
{
    for (const Entry& entry : m_entries)
        if (entry.hGlobal && (::GlobalFlags(entry.hGlobal) & GMEM_LOCKCOUNT) != 0)
            return false;
    return true;
}

const TestDataObject::Entry* TestDataObject::Find(const FORMATETC* pFormat) const
{
    if (!pFormat || pFormat->dwAspect != DVASPECT_CONTENT || !(pFormat->tymed & TYMED_HGLOBAL))
        return nullptr;
    for (const Entry& entry : m_entries)
        if (entry.cf == pFormat->cfFormat)
            return &entry;
    return nullptr;
}

HRESULT TestDataObject::QueryInterface(REFIID iid, void** ppv)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
        *ppv = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG TestDataObject::AddRef()
{
    return static_cast<ULONG>(++m_cRef);
}

ULONG TestDataObject::Release()
{
    return static_cast<ULONG>(--m_cRef);
}

HRESULT TestDataObject::GetData(FORMATETC* pFormat, STGMEDIUM* pMedium)
{
    const Entry* entry = Find(pFormat);
    if (!entry)
        return DV_E_FORMATETC;
    if (!entry->hGlobal)
        return E_UNEXPECTED;
    pMedium->tymed = TYMED_HGLOBAL;
    pMedium->hGlobal = entry->hGlobal;
    pMedium->pUnkForRelease = &m_release;
    m_release.AddRef();
    return S_OK;
}

HRESULT TestDataObject::QueryGetData(FORMATETC* pFormat)
{
    return Find(pFormat) ? S_OK : DV_E_FORMATETC;
}

HRESULT TestDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pOut)
{
    if (pOut)
        pOut->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT TestDataObject::MediumRelease::QueryInterface(REFIID iid, void** ppv)
{
    if (IsEqualIID(iid, IID_IUnknown)) {
        *ppv = this;
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}
