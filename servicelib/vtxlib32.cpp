// The exports of vtxlib32.dll. Each one opens what it needs, does one job, closes every handle
// (the service before the manager) and returns; nothing is kept between calls.
#include "servicelib/vtxlib32.h"

#include "driver/core/names.h"
#include "driver/service_manager.h"
#include "driver/service_routines.h"
#include "servicelib/core/image_path.h"

#include <windows.h>

namespace {

// Creates the service unless it exists: 1 when it existed, 0 otherwise, also after creating it.
int CreateDriverService(const char* loadOrderGroup)
{
    CServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return 0;
    CServiceHandle existing(::OpenServiceA(manager.Get(), VTX_SERVICE_NAME, SERVICE_ALL_ACCESS));
    if (existing)
        return 1;

    // A return as large as the buffer means the folder did not fit and the buffer is not filled.
    char systemDir[kImagePathBufferSize];
    const UINT systemLength = ::GetSystemDirectoryA(systemDir, sizeof systemDir);
    if (systemLength == 0 || systemLength >= sizeof systemDir)
        return 0;
    char windowsDir[kImagePathBufferSize];
    const UINT windowsLength = ::GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    if (windowsLength == 0 || windowsLength >= sizeof windowsDir)
        return 0;
    char imagePath[kImagePathBufferSize];
    if (!FormatDriverImagePath({systemDir, systemLength}, {windowsDir, windowsLength},
                               VTX_SERVICE_NAME, imagePath))
        return 0;

    // The tag the manager assigns and the new service's handle are not needed; the owner closes
    // the handle. Whether the creation succeeded, the result is 0: only an existing service gives 1.
    DWORD tag = 0;
    CServiceHandle created(::CreateServiceA(
        manager.Get(), VTX_SERVICE_NAME, VTX_SERVICE_NAME, SERVICE_ALL_ACCESS,
        SERVICE_FILE_SYSTEM_DRIVER, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, imagePath,
        loadOrderGroup, &tag, nullptr, nullptr, nullptr));
    return 0;
}

int IsDriverServiceIn(uint32_t state)
{
    CServiceManager manager;
    return IsServiceInState(manager, state) ? 1 : 0;
}

} // namespace

extern "C" {

int vtxCreate(void)
{
    return CreateDriverService("FSFilter Activity Monitor");
}

int vtxCreate2k(void)
{
    return CreateDriverService("filter");
}

int vtxStart(void)
{
    CServiceManager manager;
    return StartDriverService(manager);
}

int vtxStop(void)
{
    CServiceManager manager;
    return StopDriverService(manager);
}

int vtxIsStarted(void)
{
    return IsDriverServiceIn(kServiceRunning);
}

int vtxIsStopped(void)
{
    return IsDriverServiceIn(kServiceStopped);
}

int vtxDelete(void)
{
    CServiceManager manager;
    return RunOnDriverService(manager, [&] {
        return ::DeleteService(manager.GetDriverService()) != FALSE;
    }) ? 1 : 0;
}

} // extern "C"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
