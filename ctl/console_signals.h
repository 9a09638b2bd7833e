// vtxctl's answer to the console's control signals: a change of the driver's lists is never cut
// short between its requests and its list files (ctl/core/change_guard.h).
#pragma once

#include "ctl/core/change_guard.h"

// The one guard of the run: the main flow begins and finishes each change with it, and a change
// asks it between its requests whether to stop sending.
extern CChangeGuard g_changeGuard;

// Installs the console control handler that answers through g_changeGuard.
void InstallConsoleSignalHandler();
