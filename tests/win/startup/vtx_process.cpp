#include "vtx_process.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kProcessAccess =
    PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE | SYNCHRONIZE;

std::string WindowText(HWND hWnd)
{
    char text[512] = "";
    ::GetWindowTextA(hWnd, text, sizeof text);
    return text;
}

std::string ClassOf(HWND hWnd)
{
    char name[256] = "";
    ::GetClassNameA(hWnd, name, sizeof name);
    return name;
}

struct WindowSearch {
    DWORD dwId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowOf(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD dwOwner = 0;
    ::GetWindowThreadProcessId(hWnd, &dwOwner);
    if (dwOwner == search->dwId)
        search->found.push_back(hWnd);
    return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD dwId)
{
    WindowSearch search{dwId, {}};
    ::EnumWindows(CollectWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CollectStaticText(HWND hWnd, LPARAM lParam)
{
    if (_stricmp(ClassOf(hWnd).c_str(), "Static") == 0)
        reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(WindowText(hWnd));
    return TRUE;
}

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

std::string DosPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

CVtxProcess::~CVtxProcess()
{
    Kill();
    if (m_hProcess)
        ::CloseHandle(m_hProcess);
}

bool CVtxProcess::Start()
{
    char windowsDir[MAX_PATH] = "";
    ::GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    std::string commandLine = "\"" + DosPath(VTX_EXE_FILE) + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          windowsDir, &startup, &process))
        return false;
    ::CloseHandle(process.hThread);
    m_hProcess = process.hProcess;
    m_dwId = process.dwProcessId;
    return true;
}

bool CVtxProcess::StartTraced(const std::string& traceFile)
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
    return PollUntil(30000, [&] {
        for (DWORD dwId : RunningVtxIds())
            if (std::find(before.begin(), before.end(), dwId) == before.end() && Adopt(dwId))
                return true;
        return false;
    });
}

// Wine's 32-bit loader, given a 64-bit program from Unix, bears the program's name for a moment
// before it becomes start.exe and starts the program as its child; the program itself has the
// test's own bitness.
bool CVtxProcess::Adopt(DWORD dwId)
{
    HANDLE hProcess = ::OpenProcess(kProcessAccess, FALSE, dwId);
    BOOL bWow64 = FALSE;
    BOOL bOwnWow64 = FALSE;
    if (!hProcess || !::IsWow64Process(hProcess, &bWow64) ||
        !::IsWow64Process(::GetCurrentProcess(), &bOwnWow64) || bWow64 != bOwnWow64) {
        if (hProcess)
            ::CloseHandle(hProcess);
        return false;
    }
    m_hProcess = hProcess;
    m_dwId = dwId;
    return true;
}

bool CVtxProcess::HasEnded() const
{
    return EndsWithin(0);
}

bool CVtxProcess::EndsWithin(DWORD dwMilliseconds) const
{
    return m_hProcess && ::WaitForSingleObject(m_hProcess, dwMilliseconds) == WAIT_OBJECT_0;
}

DWORD CVtxProcess::ExitCode() const
{
    DWORD dwCode = STILL_ACTIVE;
    if (m_hProcess)
        ::GetExitCodeProcess(m_hProcess, &dwCode);
    return dwCode;
}

void CVtxProcess::Kill()
{
    if (m_hProcess && !HasEnded()) {
        ::TerminateProcess(m_hProcess, 1);
        ::WaitForSingleObject(m_hProcess, 5000);
    }
}

HWND FindWindowOf(DWORD dwId, const char* caption)
{
    for (HWND hWnd : TopLevelWindowsOf(dwId))
        if (WindowText(hWnd) == caption)
            return hWnd;
    return nullptr;
}

std::vector<std::string> VisibleWindowsOf(DWORD dwId)
{
    std::vector<std::string> windows;
    for (HWND hWnd : TopLevelWindowsOf(dwId))
        if (::IsWindowVisible(hWnd))
            windows.push_back(ClassOf(hWnd) + " '" + WindowText(hWnd) + "'");
    return windows;
}

std::vector<std::string> StaticTextsOf(HWND hDlg)
{
    std::vector<std::string> texts;
    ::EnumChildWindows(hDlg, CollectStaticText, reinterpret_cast<LPARAM>(&texts));
    return texts;
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
