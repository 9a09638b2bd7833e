#include "ctl/console_signals.h"

#include <windows.h>

CChangeGuard g_changeGuard;

namespace {

// Windows ends a process about five seconds after a close signal; the files are written well
// before that unless the disk hangs.
constexpr std::chrono::milliseconds kEndWait{4500};

BOOL WINAPI OnConsoleSignal(DWORD type)
{
    switch (type) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        return g_changeGuard.OnSignal(CChangeGuard::Signal::Interrupt, kEndWait);
    case CTRL_LOGOFF_EVENT: {
        // Every console process hears any user's logoff. One of session 0 (a service's, a
        // scheduled task's) belongs to nobody who logs off: it goes on.
        DWORD session = 0;
        if (::ProcessIdToSessionId(::GetCurrentProcessId(), &session) && session == 0)
            return TRUE;
        return g_changeGuard.OnSignal(CChangeGuard::Signal::End, kEndWait);
    }
    default:  // close, shutdown
        return g_changeGuard.OnSignal(CChangeGuard::Signal::End, kEndWait);
    }
}

}  // namespace

void InstallConsoleSignalHandler()
{
    ::SetConsoleCtrlHandler(OnConsoleSignal, TRUE);
}
