// A program of the test's prefix run as a user meets it: its process, and its windows found and
// driven from outside by window messages only. Every wait has a deadline; whatever happens, a
// program started here does not outlive the test.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Long enough for a cold Wine to start the program or open a shell dialog; a step that takes
// longer has failed.
constexpr DWORD kStepTimeout = 20000;

// Calls done() every 10 ms until it holds (then true) or dwMilliseconds have passed (then false).
bool PollUntil(const std::function<bool()>& done, DWORD dwMilliseconds = kStepTimeout);

// The Windows path of a Unix path of the build (Wine's drive Z: is the Unix root).
std::string DosPath(std::string path);

// Window messages to another process, each bounded: a program that hangs fails the step instead
// of the whole run. Send waits for the answer; Post does not (for commands that open a modal
// window, whose loop would hold a sent message until it ends).
LRESULT Send(HWND hWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
void Post(HWND hWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// The text as the control answers for it (an edit box's contents); the system carries the text
// of these two across processes.
std::string WindowText(HWND hWnd);
void SetWindowTextTo(HWND hWnd, const char* text);
// The text the system keeps for a window (a caption, a static's text), read without a message:
// a program busy elsewhere does not hold the reader up.
std::string Caption(HWND hWnd);
// A button pressed as a click would press it; posted, since a click can open a modal window.
void Click(HWND button);
bool IsEnabled(HWND hWnd);
std::string ClassName(HWND hWnd);
// The first child (at any depth) of that window class, or NULL.
HWND FindChildOfClass(HWND parent, const char* className);
// The texts of a dialog's static controls that have one, in order: a message box's message.
std::vector<std::string> StaticTextsOf(HWND hDlg);

// A console program run to its end with the given standard input; what it wrote to standard
// output and standard error, and its exit code. A program still running after dwMilliseconds is
// killed, and the run fails the test.
struct ConsoleRun {
    DWORD dwExitCode = 0;
    std::string strOut;
    std::string strErr;
};
// Standard output: a file read back afterwards, or a pipe whose reader has gone (a script that
// stopped reading), which fails every write.
enum class ConsoleOutput { File, ClosedPipe };
// The command line in UTF-16 carries what no ANSI code page holds. killWhen, when given, is asked
// every few milliseconds while the program runs: once it holds, the program is killed by
// TerminateProcess, with exit code kKilledExitCode.
constexpr DWORD kKilledExitCode = 0xDEAD;
ConsoleRun RunConsoleProgram(const std::wstring& commandLine, const std::string& input = "",
                             const char* currentDir = nullptr, DWORD dwMilliseconds = kStepTimeout,
                             ConsoleOutput output = ConsoleOutput::File,
                             const std::function<bool()>& killWhen = nullptr);
// The command line in the ANSI code page.
ConsoleRun RunConsoleProgram(const std::string& commandLine, const std::string& input = "",
                             const char* currentDir = nullptr, DWORD dwMilliseconds = kStepTimeout,
                             ConsoleOutput output = ConsoleOutput::File,
                             const std::function<bool()>& killWhen = nullptr);

// A program of this build (a Unix path) run to its end from a Unix shell under Wine's trace
// channels wineDebug, in currentDir (a Windows path): what Wine traces goes to the standard error
// of the process itself only there (a child of a Windows process traces into its parent's).
// The arguments are passed one by one, without a quote of their own.
ConsoleRun RunTracedConsoleProgram(const std::string& program, const std::vector<std::string>& args,
                                   const std::string& input, const char* currentDir, const char* wineDebug);

// One running program. A process still running when the object goes is killed.
class CVtxProcess {
public:
    CVtxProcess();
    ~CVtxProcess() { Kill(); }

    // Starts executable (a Windows path) with no arguments, as a shortcut starts it, in
    // currentDir (nullptr: the test's own); false when it could not be started.
    bool Start(const std::string& executable, const char* currentDir = nullptr);
    // Takes over process dwId, started by someone else; false unless it has the test's own
    // bitness.
    bool Adopt(DWORD dwId);

    DWORD Id() const { return m_dwId; }
    HANDLE Handle() const { return m_hProcess.get(); }
    bool HasEnded() const;
    bool EndsWithin(DWORD dwMilliseconds = kStepTimeout) const;
    DWORD ExitCode() const;
    void Kill();

    // The first top-level window of the process, visible or not, that satisfies match; nullptr
    // when there is none.
    HWND FindTopLevel(const std::function<bool(HWND)>& match) const;
    // Waits for such a window; nullptr when none came in time or the process ended first.
    HWND WaitForTopLevel(const std::function<bool(HWND)>& match, DWORD dwMilliseconds = kStepTimeout) const;
    // The visible top-level windows, each as "class 'caption'".
    std::vector<std::string> VisibleWindows() const;

private:
    struct CHandleCloser {
        void operator()(HANDLE hHandle) const { ::CloseHandle(hHandle); }
    };
    using CHandleOwner = std::unique_ptr<void, CHandleCloser>;

    // Ends a started program with the test too, should the test itself be killed.
    CHandleOwner m_hJob;
    CHandleOwner m_hProcess;
    DWORD m_dwId = 0;
};
