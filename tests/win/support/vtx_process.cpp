#include "vtx_process.h"

#include <gtest/gtest.h>

#include "support/file_bytes.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr DWORD kPollInterval = 10;
// A live program answers a message at once; one that does not within this is hung.
constexpr UINT kSendTimeout = 5000;
constexpr DWORD kProcessAccess =
    PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE | SYNCHRONIZE;

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    ::EnumChildWindows(parent, &CollectWindow, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::vector<HWND> TopLevelWindowsOf(DWORD dwId)
{
    std::vector<HWND> all;
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&all));
    std::vector<HWND> own;
    for (HWND hWnd : all) {
        DWORD dwOwner = 0;
        ::GetWindowThreadProcessId(hWnd, &dwOwner);
        if (dwOwner == dwId)
            own.push_back(hWnd);
    }
    return own;
}

// A file of the temporary folder that a child may inherit as one of its standard handles,
// deleted when closed.
HANDLE InheritableTempFile()
{
    char folder[MAX_PATH];
    char path[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    ::GetTempFileNameA(folder, "vtx", 0, path);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

std::wstring Widen(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    wide.resize(units > 0 ? units - 1 : 0);
    return wide;
}

std::string ReadFromStart(HANDLE hFile)
{
    ::SetFilePointer(hFile, 0, nullptr, FILE_BEGIN);
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(hFile, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

// The Unix path of a Windows path, as Wine maps it.
std::string UnixPath(const std::string& dosPath)
{
    using UnixFileName = char*(CDECL*)(const WCHAR*);
    const auto toUnix = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = toUnix ? toUnix(Widen(dosPath).c_str()) : nullptr;
    const std::string path = unix ? unix : "";
    if (unix)
        ::HeapFree(::GetProcessHeap(), 0, unix);
    return path;
}

std::string ReadAndDelete(const std::string& path)
{
    std::string bytes;
    const HANDLE hFile = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (hFile != INVALID_HANDLE_VALUE) {
        bytes = ReadFromStart(hFile);
        ::CloseHandle(hFile);
    }
    return bytes;
}

}  // namespace

ConsoleRun RunTracedConsoleProgram(const std::string& program, const std::vector<std::string>& args,
                                   const std::string& input, const char* currentDir, const char* wineDebug)
{
    ConsoleRun run;
    char folder[MAX_PATH];
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    ::GetTempFileNameA(folder, "vtx", 0, base);
    const std::string files[4] = {std::string(base) + ".in", std::string(base) + ".out", std::string(base) + ".err",
                                  std::string(base) + ".rc"};
    WriteWholeFile(files[0], input);
    const auto quoted = [](const std::string& text) {
        EXPECT_EQ(text.find_first_of("'\""), std::string::npos) << text << " cannot be passed";
        return "'" + text + "'";
    };
    std::string script = "cd " + quoted(UnixPath(currentDir)) + " && WINEDEBUG=" + wineDebug + " " +
                         quoted(VTX_WINE_RUN) + " " + quoted(program);
    for (const std::string& arg : args)
        script += " " + quoted(arg);
    script += " <" + quoted(UnixPath(files[0])) + " >" + quoted(UnixPath(files[1])) + " 2>" +
              quoted(UnixPath(files[2])) + "; echo $? >" + quoted(UnixPath(files[3]));
    std::string commandLine = "Z:\\bin\\sh -c \"" + script + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Wine starts a Unix program without a handle to wait on: the file of its exit code says it ended.
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        ADD_FAILURE() << "cannot start " << commandLine;
    } else {
        if (process.hThread)
            ::CloseHandle(process.hThread);
        if (process.hProcess)
            ::CloseHandle(process.hProcess);
        const bool ended = PollUntil([&] { return ReadWholeFile(files[3]).value_or("").find('\n') != std::string::npos; });
        EXPECT_TRUE(ended) << "a console program did not end in time";
    }
    run.dwExitCode = std::strtoul(ReadAndDelete(files[3]).c_str(), nullptr, 10);
    run.strOut = ReadAndDelete(files[1]);
    run.strErr = ReadAndDelete(files[2]);
    ReadAndDelete(files[0]);
    ::DeleteFileA(base);
    return run;
}

ConsoleRun RunConsoleProgram(const std::string& commandLine, const std::string& input, const char* currentDir,
                             DWORD dwMilliseconds, ConsoleOutput output, const std::function<bool()>& killWhen)
{
    return RunConsoleProgram(Widen(commandLine), input, currentDir, dwMilliseconds, output, killWhen);
}

namespace {
// The writing end of a pipe that nobody reads any more.
HANDLE InheritableClosedPipe()
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    if (!::CreatePipe(&reader, &writer, &inherit, 0))
        return INVALID_HANDLE_VALUE;
    ::CloseHandle(reader);
    return writer;
}
}  // namespace

ConsoleRun RunConsoleProgram(const std::wstring& commandLine, const std::string& input, const char* currentDir,
                             DWORD dwMilliseconds, ConsoleOutput output, const std::function<bool()>& killWhen)
{
    ConsoleRun run;
    // Files rather than pipes: nothing to drain while the program runs.
    HANDLE files[3] = {InheritableTempFile(),
                       output == ConsoleOutput::File ? InheritableTempFile() : InheritableClosedPipe(),
                       InheritableTempFile()};
    const auto closeFiles = [&files] {
        for (HANDLE hFile : files)
            if (hFile != INVALID_HANDLE_VALUE)
                ::CloseHandle(hFile);
    };
    for (HANDLE hFile : files)
        if (hFile == INVALID_HANDLE_VALUE) {
            ADD_FAILURE() << "no temporary file for the standard handles";
            closeFiles();
            return run;
        }
    DWORD written = 0;
    ::WriteFile(files[0], input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    ::SetFilePointer(files[0], 0, nullptr, FILE_BEGIN);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = files[0];
    startup.hStdOutput = files[1];
    startup.hStdError = files[2];
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    const std::wstring folder = currentDir ? Widen(currentDir) : std::wstring();
    if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                         currentDir ? folder.c_str() : nullptr, &startup, &process)) {
        ::CloseHandle(process.hThread);
        if (killWhen && PollUntil([&] { return ::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0 || killWhen(); },
                                  dwMilliseconds))
            ::TerminateProcess(process.hProcess, kKilledExitCode);
        if (::WaitForSingleObject(process.hProcess, dwMilliseconds) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "a console program did not end in time";
            ::TerminateProcess(process.hProcess, 1);
            ::WaitForSingleObject(process.hProcess, INFINITE);
        }
        ::GetExitCodeProcess(process.hProcess, &run.dwExitCode);
        ::CloseHandle(process.hProcess);
        if (output == ConsoleOutput::File)
            run.strOut = ReadFromStart(files[1]);
        run.strErr = ReadFromStart(files[2]);
    } else {
        ADD_FAILURE() << "a console program could not be started: error " << ::GetLastError();
    }
    closeFiles();
    return run;
}

bool PollUntil(const std::function<bool()>& done, DWORD dwMilliseconds)
{
    const ULONGLONG end = ::GetTickCount64() + dwMilliseconds;
    while (!done()) {
        if (::GetTickCount64() >= end)
            return false;
        ::Sleep(kPollInterval);
    }
    return true;
}

std::string DosPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

LRESULT Send(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    // A window that went meanwhile (a dialog ending) is no failure; one that does not answer is.
    if (!::SendMessageTimeoutA(hWnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeout, &result) &&
        ::IsWindow(hWnd))
        ADD_FAILURE() << "message 0x" << std::hex << message << " to window " << hWnd << " got no answer";
    return static_cast<LRESULT>(result);
}

void Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!::PostMessageA(hWnd, message, wParam, lParam))
        ADD_FAILURE() << "message 0x" << std::hex << message << " could not be posted to window " << hWnd;
}

std::string WindowText(HWND hWnd)
{
    char text[512] = {};
    Send(hWnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

void SetWindowTextTo(HWND hWnd, const char* text)
{
    Send(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

std::string Caption(HWND hWnd)
{
    char text[512] = {};
    ::GetWindowTextA(hWnd, text, sizeof text);
    return text;
}

void Click(HWND button)
{
    Post(button, BM_CLICK);
}

bool IsEnabled(HWND hWnd)
{
    return hWnd && ::IsWindowEnabled(hWnd);
}

std::string ClassName(HWND hWnd)
{
    char name[256] = {};
    ::GetClassNameA(hWnd, name, sizeof name);
    return name;
}

HWND FindChildOfClass(HWND parent, const char* className)
{
    for (HWND child : Children(parent))
        if (lstrcmpiA(ClassName(child).c_str(), className) == 0)
            return child;
    return nullptr;
}

std::vector<std::string> StaticTextsOf(HWND hDlg)
{
    std::vector<std::string> texts;
    for (HWND child : Children(hDlg)) {
        if (lstrcmpiA(ClassName(child).c_str(), "Static") != 0)
            continue;
        const std::string text = Caption(child);
        if (!text.empty())
            texts.push_back(text);
    }
    return texts;
}

CVtxProcess::CVtxProcess() : m_hJob(::CreateJobObjectA(nullptr, nullptr))
{
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (m_hJob)
        ::SetInformationJobObject(m_hJob.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
}

bool CVtxProcess::Start(const std::string& executable, const char* currentDir)
{
    std::string commandLine = "\"" + executable + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                          nullptr, currentDir, &startup, &process))
        return false;
    m_hProcess.reset(process.hProcess);
    m_dwId = process.dwProcessId;
    if (m_hJob)
        ::AssignProcessToJobObject(m_hJob.get(), process.hProcess);
    ::ResumeThread(process.hThread);
    ::CloseHandle(process.hThread);
    return true;
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
    m_hProcess.reset(hProcess);
    m_dwId = dwId;
    return true;
}

bool CVtxProcess::HasEnded() const
{
    return EndsWithin(0);
}

bool CVtxProcess::EndsWithin(DWORD dwMilliseconds) const
{
    return m_hProcess && ::WaitForSingleObject(m_hProcess.get(), dwMilliseconds) == WAIT_OBJECT_0;
}

DWORD CVtxProcess::ExitCode() const
{
    DWORD dwCode = STILL_ACTIVE;
    if (m_hProcess)
        ::GetExitCodeProcess(m_hProcess.get(), &dwCode);
    return dwCode;
}

void CVtxProcess::Kill()
{
    if (m_hProcess && !HasEnded()) {
        ::TerminateProcess(m_hProcess.get(), 1);
        ::WaitForSingleObject(m_hProcess.get(), kStepTimeout);
    }
}

HWND CVtxProcess::FindTopLevel(const std::function<bool(HWND)>& match) const
{
    for (HWND hWnd : TopLevelWindowsOf(m_dwId))
        if (match(hWnd))
            return hWnd;
    return nullptr;
}

HWND CVtxProcess::WaitForTopLevel(const std::function<bool(HWND)>& match, DWORD dwMilliseconds) const
{
    HWND found = nullptr;
    PollUntil([&] { return (found = FindTopLevel(match)) != nullptr || HasEnded(); }, dwMilliseconds);
    return found;
}

std::vector<std::string> CVtxProcess::VisibleWindows() const
{
    std::vector<std::string> windows;
    for (HWND hWnd : TopLevelWindowsOf(m_dwId))
        if (::IsWindowVisible(hWnd))
            windows.push_back(ClassName(hWnd) + " '" + Caption(hWnd) + "'");
    return windows;
}
