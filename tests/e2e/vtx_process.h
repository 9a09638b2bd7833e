// The installed vtx.exe as a user meets it: a process started from its installation folder, and
// its windows found and driven from outside by window messages only. Every wait has a deadline;
// whatever happens, the process does not outlive its owner.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Long enough for a cold Wine to start the program or open a shell dialog; a step that takes
// longer has failed.
constexpr DWORD kStepTimeout = 20000;

// Polls done() until it holds or timeout milliseconds have passed; the last result.
bool WaitUntil(const std::function<bool()>& done, DWORD timeout = kStepTimeout);

// Window messages to another process, each bounded: a program that hangs fails the step instead
// of the whole run. Send waits for the answer; Post does not (for commands that open a modal
// window, whose loop would hold a sent message until it ends).
LRESULT Send(HWND hWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
void Post(HWND hWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// The system carries the text of these two across processes.
std::string WindowText(HWND hWnd);
void SetWindowTextTo(HWND hWnd, const char* text);
// A button pressed as a click would press it; posted, since a click can open a modal window.
void Click(HWND button);
bool IsEnabled(HWND hWnd);
std::string ClassName(HWND hWnd);
// The first child (at any depth) of that window class, or NULL.
HWND FindChildOfClass(HWND parent, const char* className);
// The text of the first static child: a message box's message.
std::string StaticText(HWND dialog);

class CVtxProcess {
public:
    static const char kExecutable[];

    CVtxProcess();
    // Ends the program if it still runs, so that a failed test leaves nothing behind.
    ~CVtxProcess();
    CVtxProcess(const CVtxProcess&) = delete;
    CVtxProcess& operator=(const CVtxProcess&) = delete;

    // Starts the program; FALSE when it could not be started.
    BOOL Start();
    HANDLE Handle() const { return m_info.hProcess; }
    BOOL IsRunning() const;
    BOOL WaitForExit(DWORD timeout = kStepTimeout);
    void Kill();

    // A visible top-level dialog of this process that satisfies match, or NULL.
    HWND FindDialog(const std::function<bool(HWND)>& match) const;
    HWND WaitForDialog(const std::function<bool(HWND)>& match, DWORD timeout = kStepTimeout) const;
    // How many visible top-level windows the process shows.
    int CountVisibleWindows() const;

private:
    PROCESS_INFORMATION m_info{};
    // Ends the program with this process too, should the test itself be killed.
    HANDLE m_hJob;
};

// The program's windows, told apart by what they hold.
bool IsLoginDialog(HWND hWnd);
bool IsMainWindow(HWND hWnd);
// A message box of the program: caption "Veltrix", a static message and no list.
bool IsMessageBox(HWND hWnd);
bool IsFolderBrowser(HWND hWnd);
bool IsOpenFileDialog(HWND hWnd);
