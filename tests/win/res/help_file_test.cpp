// VeltrixHelp.chm beside the built vtx.exe, opened with the system's own compiled-help storage:
// every page that the contents file names is in it.
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <regex>
#include <string>

// The compiled-help storage of itss.dll; the methods up to the one used, in their slot order.
// Declared outside the anonymous namespace: there the compiler may conclude that no object can
// implement it and drop the calls.
struct IITStorage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) = 0;
};

namespace {

const CLSID kClsidITStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID kIidITStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

template <class T> struct Released {
    T* p = nullptr;
    ~Released()
    {
        if (p)
            p->Release();
    }
};

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// The whole of one stream of the storage; empty when it is missing.
std::string ReadStream(IStorage* storage, const std::string& name)
{
    Released<IStream> stream;
    if (FAILED(storage->OpenStream(Wide(name).c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream.p)))
        return {};
    std::string content;
    char buffer[4096];
    ULONG read = 0;
    while (SUCCEEDED(stream.p->Read(buffer, sizeof buffer, &read)) && read > 0)
        content.append(buffer, read);
    return content;
}

TEST(HelpFile, HoldsEveryPageOfItsContents)
{
    Released<IITStorage> its;
    ASSERT_EQ(::CoCreateInstance(kClsidITStorage, nullptr, CLSCTX_INPROC_SERVER, kIidITStorage,
                                 reinterpret_cast<void**>(&its.p)),
              S_OK);
    Released<IStorage> chm;
    ASSERT_EQ(its.p->StgOpenStorage(Wide(VTX_HELP_PATH).c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr,
                                    0, &chm.p),
              S_OK)
        << VTX_HELP_PATH;

    const std::string contents = ReadStream(chm.p, "VeltrixHelp.hhc");
    ASSERT_FALSE(contents.empty());
    const std::regex local("name=\"Local\" value=\"([^\"]+)\"");
    int pages = 0;
    for (std::sregex_iterator it(contents.begin(), contents.end(), local), end; it != end; ++it) {
        const std::string page = ReadStream(chm.p, (*it)[1].str());
        EXPECT_NE(page.find("<h1>"), std::string::npos) << (*it)[1].str();
        ++pages;
    }
    EXPECT_EQ(pages, 6) << "the start page and the five topics";
    EXPECT_NE(ReadStream(chm.p, "index.htm").find("<title>Veltrix Help</title>"), std::string::npos);
}

}  // namespace
