#include "support/shell_link_files.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "framework/comptr.h"

namespace {

class ByteWriter {
public:
    void U16(uint16_t v)
    {
        m_bytes.push_back(static_cast<unsigned char>(v));
        m_bytes.push_back(static_cast<unsigned char>(v >> 8));
    }
    void U32(uint32_t v)
    {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void Bytes(const void* data, size_t size)
    {
        const auto* p = static_cast<const unsigned char*>(data);
        m_bytes.insert(m_bytes.end(), p, p + size);
    }
    void Zeros(size_t size) { m_bytes.insert(m_bytes.end(), size, 0); }
    const std::vector<unsigned char>& Get() const { return m_bytes; }

private:
    std::vector<unsigned char> m_bytes;
};

// LinkFlags of the shell-link header.
const uint32_t kHasRelativePath = 0x00000008;
const uint32_t kIsUnicode = 0x00000080;
const uint32_t kForceNoLinkInfo = 0x00000100;
const uint32_t kHasExpString = 0x00000200;
const uint32_t kEnvironmentVariableBlock = 0xA0000001;
const uint32_t kEnvironmentVariableBlockSize = 0x314;

bool WriteBytes(const std::string& file, const std::vector<unsigned char>& bytes)
{
    FILE* f = std::fopen(file.c_str(), "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

bool SaveLink(IShellLinkA* link, const std::string& file)
{
    CComPtr<IPersistFile> persist;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))))
        return false;
    WCHAR wide[MAX_PATH];
    if (!::MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH))
        return false;
    return SUCCEEDED(persist->Save(wide, TRUE));
}

}  // namespace

bool WriteShortcut(const std::string& file, const std::string& target)
{
    CComPtr<IShellLinkA> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link))))
        return false;
    return SUCCEEDED(link->SetPath(target.c_str())) && SaveLink(link, file);
}

bool WriteRawTargetShortcut(const std::string& file, const std::string& target)
{
    if (target.size() >= MAX_PATH)
        return false;
    ByteWriter w;
    // ShellLinkHeader
    w.U32(0x4C);
    static const GUID kShellLink = CLSID_ShellLink;
    w.Bytes(&kShellLink, sizeof kShellLink);
    w.U32(kHasRelativePath | kIsUnicode | kForceNoLinkInfo | kHasExpString);
    w.U32(FILE_ATTRIBUTE_NORMAL);
    w.Zeros(3 * 8);  // creation, access and write times
    w.U32(0);        // file size
    w.U32(0);        // icon index
    w.U32(SW_SHOWNORMAL);
    w.U16(0);        // hot key
    w.Zeros(2 + 4 + 4);
    // StringData: RELATIVE_PATH, counted UTF-16 (the test targets are ASCII)
    w.U16(static_cast<uint16_t>(target.size()));
    for (char c : target)
        w.U16(static_cast<unsigned char>(c));
    // EnvironmentVariableDataBlock: the target as ANSI and as UTF-16, each in a fixed field.
    w.U32(kEnvironmentVariableBlockSize);
    w.U32(kEnvironmentVariableBlock);
    std::vector<unsigned char> ansi(MAX_PATH, 0), unicode(2 * MAX_PATH, 0);
    for (size_t i = 0; i < target.size(); ++i) {
        ansi[i] = static_cast<unsigned char>(target[i]);
        unicode[2 * i] = static_cast<unsigned char>(target[i]);
    }
    w.Bytes(ansi.data(), ansi.size());
    w.Bytes(unicode.data(), unicode.size());
    w.U32(0);  // TerminalBlock
    return WriteBytes(file, w.Get());
}

bool WriteComputerShortcut(const std::string& file)
{
    CComPtr<IShellLinkA> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link))))
        return false;
    PIDLIST_ABSOLUTE computer = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer)))
        return false;
    const bool set = SUCCEEDED(link->SetIDList(computer));
    ::CoTaskMemFree(computer);
    return set && SaveLink(link, file);
}
