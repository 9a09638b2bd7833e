// Winsock's headers must come before <windows.h>, which the admission header includes.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include "lists/admission.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "framework/codepage.h"
#include "framework/comptr.h"
#include "framework/handle.h"

namespace {

// An unreadable directory stays empty, and the empty folder leads every path: the rules then
// refuse rather than admit.
std::string SystemDirectory()
{
    char buffer[MAX_PATH] = "";
    if (::GetSystemDirectoryA(buffer, MAX_PATH) >= MAX_PATH)
        buffer[0] = '\0';
    return buffer;
}

std::string CurrentDirectory()
{
    char buffer[MAX_PATH] = "";
    if (::GetCurrentDirectoryA(MAX_PATH, buffer) >= MAX_PATH)
        buffer[0] = '\0';
    return buffer;
}

// The 32-bit system directory beside the 64-bit one; 32-bit Windows has none and fails the call.
std::string SystemWow64Directory()
{
    char buffer[MAX_PATH] = "";
    const UINT length = ::GetSystemWow64DirectoryA(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        buffer[0] = '\0';
    return buffer;
}

bool IsAnsiLeadByte(unsigned char byte)
{
    return ::IsDBCSLeadByte(byte) != FALSE;
}

// The system's own upper case of a single-byte character (also accented letters of the code
// page), as CharUpper gives it.
unsigned char AnsiUpper(unsigned char byte)
{
    if (::IsDBCSLeadByte(byte))
        return byte;
    char text[2] = {static_cast<char>(byte), '\0'};
    ::CharUpperBuffA(text, 1);
    return static_cast<unsigned char>(text[0]);
}

const AnsiCodePage kSystemCodePage{&IsAnsiLeadByte, &AnsiUpper};

// Whether host is one of the addresses of this machine's network adapters: an IPv4 address in any
// form inet_addr takes, or an IPv6 one ("fe80::1", or as a UNC host "fe80--1.ipv6-literal.net").
bool IsOwnAddress(const std::string& host)
{
    const std::optional<uint32_t> v4 = ParseIpv4(host);
    std::string v6text = host;
    const std::string literal = ".ipv6-literal.net";
    if (v6text.size() > literal.size() &&
        ::lstrcmpiA(v6text.c_str() + v6text.size() - literal.size(), literal.c_str()) == 0) {
        v6text.resize(v6text.size() - literal.size());
        std::replace(v6text.begin(), v6text.end(), '-', ':');
        std::replace(v6text.begin(), v6text.end(), 's', '%');
    }
    IN6_ADDR v6{};
    const bool isV6 = !v4 && ::inet_pton(AF_INET6, v6text.substr(0, v6text.find('%')).c_str(), &v6) == 1;
    if (!v4 && !isV6)
        return false;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result = ::GetAdaptersAddresses(AF_UNSPEC, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
                                        nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result != NO_ERROR)
        return false;
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter; adapter = adapter->Next) {
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
            const SOCKADDR* address = unicast->Address.lpSockaddr;
            if (v4 && address->sa_family == AF_INET &&
                ntohl(reinterpret_cast<const SOCKADDR_IN*>(address)->sin_addr.s_addr) == *v4)
                return true;
            if (isV6 && address->sa_family == AF_INET6 &&
                std::memcmp(&reinterpret_cast<const SOCKADDR_IN6*>(address)->sin6_addr, &v6, sizeof v6) == 0)
                return true;
        }
    }
    return false;
}

std::string WindowsDirectory()
{
    char buffer[MAX_PATH] = "";
    if (::GetWindowsDirectoryA(buffer, MAX_PATH) >= MAX_PATH)
        buffer[0] = '\0';
    return buffer;
}

}  // namespace

// The system's own names for the rules: the list model's, with this machine's facts.
int CheckLockPath(const char* path)
{
    CPathFacts facts;
    return JudgeLockPath(path ? path : "", facts);
}

BOOL IsInProgramFolder(const char* path)
{
    CPathFacts facts;
    return JudgeInProgramFolder(path ? path : "", facts);
}

HRESULT ResolveShortcut(const char* path, char* out, DWORD resolveFlags)
{
    out[0] = '\0';

    CComPtr<IShellLinkA> link;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    reinterpret_cast<void**>(&link));
    if (FAILED(hr))
        return hr;
    CComPtr<IPersistFile> file;
    hr = link.QueryInterface(IID_IPersistFile, file);
    if (FAILED(hr))
        return hr;

    // A path that does not fit would leave the wide buffer without its terminator.
    WCHAR widePath[MAX_PATH];
    if (!::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, widePath, MAX_PATH))
        return HRESULT_FROM_WIN32(::GetLastError());

    hr = file->Load(widePath, STGM_READ);
    if (FAILED(hr))
        return hr;
    hr = link->Resolve(nullptr, resolveFlags);
    if (FAILED(hr))
        return hr;
    // The raw path keeps the stored text; only %SystemRoot% is expanded below. It is read in
    // UTF-16: the ANSI form would give a character the code page lacks as a look-alike or "?".
    CComPtr<IShellLinkW> wideLink;
    hr = link.QueryInterface(IID_IShellLinkW, wideLink);
    if (FAILED(hr))
        return hr;
    WCHAR wideTarget[MAX_PATH] = L"";
    WIN32_FIND_DATAW findData{};
    hr = wideLink->GetPath(wideTarget, MAX_PATH, &findData, SLGP_RAWPATH);
    if (FAILED(hr))
        return hr;
    // A link to something that is not a file (S_FALSE) has no target to report.
    if (hr != S_OK || wideTarget[0] == L'\0')
        return S_FALSE;
    char target[MAX_PATH];
    if (!WideToCodePage(::GetACP(), wideTarget, -1, target, MAX_PATH))
        return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);

    CopyCut(ExpandSystemRoot(target, WindowsDirectory()), out, MAX_PATH);
    return S_OK;
}

std::string CPathFacts::SystemDir() { return SystemDirectory(); }
std::string CPathFacts::SystemDir32() { return SystemWow64Directory(); }
std::string CPathFacts::InstallDir() { return CurrentDirectory(); }

std::string CPathFacts::WindowsDir()
{
    // The shared one, which ADMIN$ names (GetWindowsDirectory may be a user's own on a terminal server).
    char buffer[MAX_PATH] = "";
    if (::GetSystemWindowsDirectoryA(buffer, MAX_PATH) >= MAX_PATH)
        buffer[0] = '\0';
    return buffer;
}
const AnsiCodePage& CPathFacts::CodePage() { return kSystemCodePage; }

bool CPathFacts::IsSameEntry(const std::string& a, const std::string& b)
{
    // The list view's LVFI_STRING search: the whole texts, without regard to case.
    return ::lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::string CPathFacts::EntryKey(const std::string& path)
{
    // Texts that the case-blind comparison finds alike have the same case-blind sort key.
    WCHAR wide[MAX_PATH];
    if (::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) <= 0)
        return {};
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int size = ::LCMapStringW(LOCALE_USER_DEFAULT, flags, wide, -1, nullptr, 0);
    if (size <= 0)
        return {};
    std::string key(static_cast<size_t>(size), '\0');
    ::LCMapStringW(LOCALE_USER_DEFAULT, flags, wide, -1, reinterpret_cast<WCHAR*>(key.data()), size);
    return key;
}

std::optional<std::string> CPathFacts::ShortcutTarget(const std::string& path)
{
    SHFILEINFOA info{};
    if (!::SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ATTRIBUTES) || !(info.dwAttributes & SFGAO_LINK))
        return std::nullopt;
    char target[MAX_PATH];
    if (ResolveShortcut(path.c_str(), target, m_resolveFlags) != S_OK)
        return std::string();
    return std::string(target);
}

bool CPathFacts::IsProgram(const std::string& path)
{
    SHFILEINFOA info{};
    return ::SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_EXETYPE) != 0;
}

std::string CPathFacts::FullPath(const std::string& path)
{
    std::string full(MAX_PATH, '\0');
    DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, full.data(), nullptr);
    // However long: the length rule refuses what no list can hold.
    if (length >= MAX_PATH) {
        full.assign(length, '\0');
        length = ::GetFullPathNameA(path.c_str(), length, full.data(), nullptr);
    }
    if (length == 0 || length >= full.size())
        return path;
    full.resize(length);
    return full;
}

std::string CPathFacts::LongPath(const std::string& path)
{
    // A name that does not exist yet keeps its text; the part of it that does is made long.
    std::string rest;
    std::string existing = path;
    for (;;) {
        char buffer[MAX_PATH];
        const DWORD length = ::GetLongPathNameA(existing.c_str(), buffer, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            return buffer + rest;
        const size_t separator = existing.find_last_of('\\');
        if (separator == std::string::npos || separator < 3 || separator + 1 == existing.size())
            return path;
        rest = existing.substr(separator) + rest;
        existing.resize(separator);
    }
}

bool CPathFacts::IsThisMachine(const std::string& host)
{
    for (const COMPUTER_NAME_FORMAT format : {ComputerNameNetBIOS, ComputerNameDnsHostname, ComputerNameDnsFullyQualified}) {
        char name[256];
        DWORD size = sizeof name;
        if (::GetComputerNameExA(format, name, &size) && size > 0 && ::lstrcmpiA(host.c_str(), name) == 0)
            return true;
    }
    return IsOwnAddress(host);
}

std::optional<std::string> CPathFacts::FinalPath(const std::string& path)
{
    // No access asked for: only the name is read. Folders open with backup semantics.
    const CHandle file(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file)
        return std::nullopt;
    std::wstring wide(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(file.Get(), wide.data(), MAX_PATH, VOLUME_NAME_DOS);
    if (length >= MAX_PATH) {
        wide.assign(length, L'\0');
        length = ::GetFinalPathNameByHandleW(file.Get(), wide.data(), length, VOLUME_NAME_DOS);
    }
    if (length == 0 || length >= wide.size())
        return std::nullopt;
    // A name the code page cannot hold is judged by the other spellings.
    return WideToCodePage(::GetACP(), wide.c_str());
}

CPathFacts& MachinePathFacts()
{
    static CPathFacts facts(kUnattendedResolveFlags);
    return facts;
}
