#include "startup_probe.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>

namespace {

// The head of RTL_USER_PROCESS_PARAMETERS up to the current directory; natural alignment puts
// every field where the system has it in both the 32-bit and the 64-bit layout.
struct ProcessParametersHead {
    ULONG MaximumLength;
    ULONG Length;
    ULONG Flags;
    ULONG DebugFlags;
    HANDLE ConsoleHandle;
    ULONG ConsoleFlags;
    HANDLE StandardInput;
    HANDLE StandardOutput;
    HANDLE StandardError;
    UNICODE_STRING CurrentDirectoryDosPath;
};

bool ReadFrom(HANDLE hProcess, const void* address, void* buffer, size_t size)
{
    SIZE_T read = 0;
    return ::ReadProcessMemory(hProcess, address, buffer, size, &read) && read == size;
}

} // namespace

bool StartFromWindowsFolder(CVtxProcess& vtx)
{
    char windowsDir[MAX_PATH] = "";
    ::GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    return vtx.Start(DosPath(VTX_EXE_FILE), windowsDir);
}

bool StartTraced(CVtxProcess& vtx, const std::string& traceFile)
{
    const std::vector<DWORD> before = RunningVtxIds();
    // Wine runs a Unix program without giving the caller a handle to it. Standard output goes
    // nowhere: a copy that outlived a failed test must not hold the test's own output open.
    std::string commandLine = "Z:\\bin\\sh -c \"WINEDEBUG=+reg exec '" VTX_WINE_RUN "' '" VTX_EXE_FILE
                              "' </dev/null >/dev/null 2>'" + traceFile + "'\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process))
        return false;
    if (process.hThread)
        ::CloseHandle(process.hThread);
    if (process.hProcess)
        ::CloseHandle(process.hProcess);
    return PollUntil([&] {
        for (DWORD dwId : RunningVtxIds())
            if (std::find(before.begin(), before.end(), dwId) == before.end() && vtx.Adopt(dwId))
                return true;
        return false;
    }, 30000);
}

std::vector<DWORD> RunningVtxIds()
{
    std::vector<DWORD> ids;
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL bMore = ::Process32First(hSnapshot, &entry); bMore;
         bMore = ::Process32Next(hSnapshot, &entry)) {
        if (_stricmp(entry.szExeFile, "vtx.exe") == 0)
            ids.push_back(entry.th32ProcessID);
    }
    ::CloseHandle(hSnapshot);
    return ids;
}

std::wstring CurrentDirectoryOf(HANDLE hProcess)
{
    PROCESS_BASIC_INFORMATION basic{};
    if (::NtQueryInformationProcess(hProcess, ProcessBasicInformation, &basic, sizeof basic,
                                    nullptr) != 0)
        return std::wstring();
    PEB peb{};
    ProcessParametersHead parameters{};
    if (!ReadFrom(hProcess, basic.PebBaseAddress, &peb, sizeof peb) ||
        !ReadFrom(hProcess, peb.ProcessParameters, &parameters, sizeof parameters))
        return std::wstring();
    const UNICODE_STRING& dosPath = parameters.CurrentDirectoryDosPath;
    std::wstring folder(dosPath.Length / sizeof(WCHAR), L'\0');
    if (!ReadFrom(hProcess, dosPath.Buffer, folder.data(), dosPath.Length))
        return std::wstring();
    return folder;
}
