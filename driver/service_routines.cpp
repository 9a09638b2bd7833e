#include "driver/service_routines.h"


namespace {

void SleepMs(uint32_t milliseconds)
{
    ::Sleep(milliseconds);
}

} // namespace

BOOL StartDriverService(IServiceManager& services)
{
    return StartServiceAndWait(services, SleepMs) ? TRUE : FALSE;
}

BOOL StopDriverService(IServiceManager& services)
{
    return StopServiceAndWait(services, SleepMs) ? TRUE : FALSE;
}
