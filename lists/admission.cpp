#include "lists/admission.h"

#include <shlobj.h>

#include <string>

#include "framework/comptr.h"

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

std::string WindowsDirectory()
{
    char buffer[MAX_PATH] = "";
    if (::GetWindowsDirectoryA(buffer, MAX_PATH) >= MAX_PATH)
        buffer[0] = '\0';
    return buffer;
}

}  // namespace

int CheckLockPath(const char* path)
{
    return DecideLockPath(path, SystemDirectory().c_str(), CurrentDirectory().c_str());
}

BOOL IsInProgramFolder(const char* path)
{
    return DecideInProgramFolder(path, CurrentDirectory().c_str());
}

HRESULT ResolveShortcut(const char* path, char* out)
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
    if (!::MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH))
        return HRESULT_FROM_WIN32(::GetLastError());

    hr = file->Load(widePath, STGM_READ);
    if (FAILED(hr))
        return hr;
    hr = link->Resolve(nullptr, SLR_UPDATE);
    if (FAILED(hr))
        return hr;
    // The raw path keeps the stored text; only %SystemRoot% is expanded below.
    char target[MAX_PATH] = "";
    WIN32_FIND_DATAA findData{};
    hr = link->GetPath(target, MAX_PATH, &findData, SLGP_RAWPATH);
    if (FAILED(hr))
        return hr;
    // A link to something that is not a file (S_FALSE) has no target to report.
    if (hr != S_OK || target[0] == '\0')
        return S_FALSE;

    CopyCut(ExpandSystemRoot(target, WindowsDirectory()), out, MAX_PATH);
    return S_OK;
}
