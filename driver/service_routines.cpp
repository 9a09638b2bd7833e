#include "driver/service_routines.h"

namespace {

// The real pause between polls.
constexpr auto kSleep = [](uint32_t milliseconds) { ::Sleep(milliseconds); };

} // namespace

BOOL StartDriverService(IServiceManager& services)
{
    return StartServiceAndWait(services, kSleep) ? TRUE : FALSE;
}

BOOL StopDriverService(IServiceManager& services)
{
    return StopServiceAndWait(services, kSleep) ? TRUE : FALSE;
}
