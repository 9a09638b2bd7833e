#include "driver/service_routines.h"

#include "driver/service_manager.h"

namespace {

void SleepMs(uint32_t milliseconds)
{
    ::Sleep(milliseconds);
}

} // namespace

BOOL StartDriverService()
{
    CServiceManager manager;
    return StartServiceAndWait(manager, SleepMs) ? TRUE : FALSE;
}

BOOL StopDriverService()
{
    CServiceManager manager;
    return StopServiceAndWait(manager, SleepMs) ? TRUE : FALSE;
}
