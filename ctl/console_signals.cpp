#include "ctl/console_signals.h"

#include <atomic>

CChangeGuard g_changeGuard;

namespace {

// The console input whose mode an unechoed read changed, and that mode; nullptr when none.
std::atomic<HANDLE> g_unechoedInput{nullptr};
DWORD g_echoedMode = 0;

void RestoreEcho()
{
    if (const HANDLE input = g_unechoedInput.exchange(nullptr))
        ::SetConsoleMode(input, g_echoedMode);
}

// A signal not handled ends the process as by default: the console gets its echo back first.
BOOL Answer(bool handled)
{
    if (!handled)
        RestoreEcho();
    return handled;
}

// Windows ends a process about five seconds after a close signal; the files are written well
// before that unless the disk hangs.
constexpr std::chrono::milliseconds kEndWait{4500};

BOOL WINAPI OnConsoleSignal(DWORD type)
{
    switch (type) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        return Answer(g_changeGuard.OnSignal(CChangeGuard::Signal::Interrupt, kEndWait));
    case CTRL_LOGOFF_EVENT: {
        // Every console process hears any user's logoff. One of session 0 (a service's, a
        // scheduled task's) belongs to nobody who logs off: it goes on.
        DWORD session = 0;
        if (::ProcessIdToSessionId(::GetCurrentProcessId(), &session) && session == 0)
            return TRUE;
        return Answer(g_changeGuard.OnSignal(CChangeGuard::Signal::End, kEndWait));
    }
    default:  // close, shutdown
        return Answer(g_changeGuard.OnSignal(CChangeGuard::Signal::End, kEndWait));
    }
}

}  // namespace

void InstallConsoleSignalHandler()
{
    ::SetConsoleCtrlHandler(OnConsoleSignal, TRUE);
}

CUnechoedInput::CUnechoedInput(HANDLE input, DWORD mode)
{
    g_echoedMode = mode;
    g_unechoedInput = input;
    ::SetConsoleMode(input, (mode | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) & ~ENABLE_ECHO_INPUT);
}

CUnechoedInput::~CUnechoedInput()
{
    RestoreEcho();
}
