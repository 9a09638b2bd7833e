// Bringing the driver's service to a state and waiting for it (up to about ten seconds). Shared
// by vtx and vtxlib32; no user interface, no state.
#pragma once

#include "driver/core/service_polling.h"

#include <windows.h>

// Non-zero when the service is running at return.
BOOL StartDriverService(IServiceManager& services);

// Non-zero when this call stopped the service; a service that was already stopped gives 0.
BOOL StopDriverService(IServiceManager& services);
