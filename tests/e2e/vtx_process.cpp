#include "vtx_process.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <dlgs.h>

#include <vector>

namespace {

constexpr DWORD kPollInterval = 50;
// A live program answers a message at once; one that does not within this is hung.
constexpr UINT kSendTimeout = 5000;
const char kDialogClass[] = "#32770";

}  // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD timeout)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeout;
    while (!done()) {
        if (::GetTickCount64() >= deadline)
            return done();
        ::Sleep(kPollInterval);
    }
    return true;
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
    char name[64] = {};
    ::GetClassNameA(hWnd, name, sizeof name);
    return name;
}

namespace {

BOOL CALLBACK CollectChild(HWND child, LPARAM context)
{
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(child);
    return TRUE;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    ::EnumChildWindows(parent, &CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

}  // namespace

HWND FindChildOfClass(HWND parent, const char* className)
{
    for (HWND child : Children(parent))
        if (lstrcmpiA(ClassName(child).c_str(), className) == 0)
            return child;
    return nullptr;
}

std::string StaticText(HWND dialog)
{
    for (HWND child : Children(dialog)) {
        if (lstrcmpiA(ClassName(child).c_str(), "Static") != 0)
            continue;
        const std::string text = WindowText(child);
        if (!text.empty())
            return text;
    }
    return std::string();
}

const char CVtxProcess::kExecutable[] = "C:\\Program Files\\Veltrix\\vtx.exe";

CVtxProcess::CVtxProcess() : m_hJob(::CreateJobObjectA(nullptr, nullptr))
{
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (m_hJob)
        ::SetInformationJobObject(m_hJob, JobObjectExtendedLimitInformation, &limits, sizeof limits);
}

CVtxProcess::~CVtxProcess()
{
    Kill();
    if (m_info.hThread)
        ::CloseHandle(m_info.hThread);
    if (m_info.hProcess)
        ::CloseHandle(m_info.hProcess);
    if (m_hJob)
        ::CloseHandle(m_hJob);
}

BOOL CVtxProcess::Start()
{
    // As a shortcut starts it: no arguments, the program finds its folder itself.
    std::string commandLine = std::string("\"") + kExecutable + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!::CreateProcessA(kExecutable, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                          nullptr, nullptr, &startup, &m_info))
        return FALSE;
    if (m_hJob)
        ::AssignProcessToJobObject(m_hJob, m_info.hProcess);
    ::ResumeThread(m_info.hThread);
    return TRUE;
}

BOOL CVtxProcess::IsRunning() const
{
    return m_info.hProcess && ::WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

BOOL CVtxProcess::WaitForExit(DWORD timeout)
{
    return m_info.hProcess && ::WaitForSingleObject(m_info.hProcess, timeout) == WAIT_OBJECT_0;
}

void CVtxProcess::Kill()
{
    if (IsRunning()) {
        ::TerminateProcess(m_info.hProcess, 1);
        ::WaitForSingleObject(m_info.hProcess, kStepTimeout);
    }
}

namespace {

struct WindowSearch {
    DWORD dwProcessId;
    const std::function<bool(HWND)>* match;
    HWND found;
    int visible;
};

BOOL CALLBACK VisitTopLevel(HWND hWnd, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hWnd, &owner);
    if (owner != search->dwProcessId || !::IsWindowVisible(hWnd))
        return TRUE;
    ++search->visible;
    if (search->match && ClassName(hWnd) == kDialogClass && (*search->match)(hWnd)) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

bool HasCaption(HWND hWnd, const char* caption)
{
    return WindowText(hWnd) == caption;
}

}  // namespace

HWND CVtxProcess::FindDialog(const std::function<bool(HWND)>& match) const
{
    WindowSearch search{m_info.dwProcessId, &match, nullptr, 0};
    ::EnumWindows(&VisitTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND CVtxProcess::WaitForDialog(const std::function<bool(HWND)>& match, DWORD timeout) const
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(match)) != nullptr || !IsRunning(); }, timeout);
    return found;
}

int CVtxProcess::CountVisibleWindows() const
{
    WindowSearch search{m_info.dwProcessId, nullptr, nullptr, 0};
    ::EnumWindows(&VisitTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.visible;
}

bool IsLoginDialog(HWND hWnd)
{
    return ::GetDlgItem(hWnd, IDC_PASSWORD) && HasCaption(hWnd, "Login Veltrix ");
}

bool IsMainWindow(HWND hWnd)
{
    return ::GetDlgItem(hWnd, IDC_LOCKED_LIST) && HasCaption(hWnd, "Veltrix");
}

bool IsMessageBox(HWND hWnd)
{
    return !::GetDlgItem(hWnd, IDC_LOCKED_LIST) && HasCaption(hWnd, "Veltrix");
}

bool IsFolderBrowser(HWND hWnd)
{
    return FindChildOfClass(hWnd, "SysTreeView32") != nullptr;
}

bool IsOpenFileDialog(HWND hWnd)
{
    return ::GetDlgItem(hWnd, cmb13) || ::GetDlgItem(hWnd, edt1);
}
