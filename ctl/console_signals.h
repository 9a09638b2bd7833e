// vtxctl's answer to the console's control signals: a change of the driver's lists is never cut
// short between its requests and its list files (ctl/core/change_guard.h).
#pragma once

#include "ctl/core/change_guard.h"

#include <windows.h>

// The one guard of the run: the main flow begins and finishes each change with it, and a change
// asks it between its requests whether to stop sending.
extern CChangeGuard g_changeGuard;

// Installs the console control handler that answers through g_changeGuard.
void InstallConsoleSignalHandler();

// A password typed unechoed: the console input's mode without echo while the object lives. The
// mode it had comes back when the object goes, and before a signal ends the process (Ctrl+C at
// the prompt), so that the console echoes again.
class CUnechoedInput {
public:
    CUnechoedInput(HANDLE input, DWORD mode);
    ~CUnechoedInput();
    CUnechoedInput(const CUnechoedInput&) = delete;
    CUnechoedInput& operator=(const CUnechoedInput&) = delete;
};
