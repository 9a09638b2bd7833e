// The real vtx.exe as a child of the test, watched from outside as a user or an administrator
// would: its process, its top-level windows, its current directory.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One running vtx.exe. A process still running when the object goes is killed.
class CVtxProcess {
public:
    CVtxProcess() = default;
    ~CVtxProcess();
    CVtxProcess(const CVtxProcess&) = delete;
    CVtxProcess& operator=(const CVtxProcess&) = delete;

    // Starts vtx.exe with the Windows folder as its first current directory.
    bool Start();
    // Starts vtx.exe with Wine's registry trace (WINEDEBUG=+reg) written to traceFile, a Unix
    // path. Wine hands a child only its standard input and output, never its standard error,
    // where the trace goes; so the program is started through the shell, which redirects it, and
    // its process is then found by name.
    bool StartTraced(const std::string& traceFile);

    DWORD Id() const { return m_dwId; }
    HANDLE Handle() const { return m_hProcess; }
    bool HasEnded() const;
    bool EndsWithin(DWORD dwMilliseconds) const;
    DWORD ExitCode() const;
    void Kill();

private:
    bool Adopt(DWORD dwId);

    HANDLE m_hProcess = nullptr;
    DWORD m_dwId = 0;
};

// Calls done() every 10 ms until it returns true (then true) or dwMilliseconds have passed.
template <class Done>
bool PollUntil(DWORD dwMilliseconds, Done done)
{
    const ULONGLONG end = ::GetTickCount64() + dwMilliseconds;
    for (;;) {
        if (done())
            return true;
        if (::GetTickCount64() >= end)
            return false;
        ::Sleep(10);
    }
}

// The processes of vtx.exe now running in the prefix.
std::vector<DWORD> RunningVtxIds();

// The Windows path of a Unix path of the build (Wine's drive Z: is the Unix root).
std::string DosPath(std::string path);

// The top-level window of process dwId with exactly this caption; nullptr when there is none.
HWND FindWindowOf(DWORD dwId, const char* caption);
// The visible top-level windows of process dwId, each as "class 'caption'".
std::vector<std::string> VisibleWindowsOf(DWORD dwId);
// The texts of the static controls of a dialog; a message box's text is one of them.
std::vector<std::string> StaticTextsOf(HWND hDlg);
// The current directory of another process of the test's own bitness, as its process
// parameters hold it (with the trailing backslash); empty when it cannot be read.
std::wstring CurrentDirectoryOf(HANDLE hProcess);
