// A data object as a drag source offers it: formats in global memory, among them the shell's
// file list (CF_HDROP). It counts what a drop target takes and gives back, so that tests can
// see that every medium was released and unlocked.
#pragma once

#include <ole2.h>

#include <string>
#include <vector>

class TestDataObject : public IDataObject {
public:
    TestDataObject() = default;
    ~TestDataObject();
    TestDataObject(const TestDataObject&) = delete;
    TestDataObject& operator=(const TestDataObject&) = delete;

    // A CF_HDROP block (DROPFILES) with the paths in order, UTF-16 or ANSI.
    void AddFileList(const std::vector<std::string>& paths, bool bWide = true);
    void AddWideFileList(const std::vector<std::wstring>& paths);
    // Any bytes under a format, in global memory.
    void AddFormat(UINT cf, const std::vector<unsigned char>& bytes);
    // The format is offered (QueryGetData) but GetData fails, as with a source gone away.
    void OfferWithoutData(UINT cf);

    // References held by others (the object itself lives on the stack).
    LONG References() const { return m_cRef; }
    // Media handed out by GetData and not yet released.
    int MediaOut() const { return m_mediaOut; }
    // TRUE when none of the object's memory blocks is still locked.
    bool AllUnlocked() const;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* pFormat, STGMEDIUM* pMedium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* pFormat) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pOut) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override
    {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    struct Entry {
        UINT cf;
        HGLOBAL hGlobal;  // null: offered without data
    };
    // Given out as pUnkForRelease: ReleaseStgMedium calls its Release instead of freeing the
    // memory, which stays the data object's.
    class MediumRelease : public IUnknown {
    public:
        explicit MediumRelease(TestDataObject& owner) : m_owner(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_owner.m_mediaOut); }
        ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--m_owner.m_mediaOut); }

    private:
        TestDataObject& m_owner;
    };

    const Entry* Find(const FORMATETC* pFormat) const;

    std::vector<Entry> m_entries;
    LONG m_cRef = 0;
    int m_mediaOut = 0;
    MediumRelease m_release{*this};
};
