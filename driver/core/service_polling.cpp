#include "driver/core/service_polling.h"

bool RunOnDriverService(IServiceManager& manager, CFunctionRef<bool()> job)
{
    if (!manager.OpenManager())
        return false;
    if (!manager.OpenDriverService()) {
        manager.CloseManager();
        return false;
    }
    const bool result = job();
    manager.CloseDriverService();
    manager.CloseManager();
    return result;
}

namespace {

// Up to kServicePolls times: pause, then interrogate; true as soon as reached() says so.
bool PollUntil(IServiceManager& manager, SleepFunction sleep,
               CFunctionRef<bool(bool answered, uint32_t state)> reached)
{
    for (int poll = 0; poll < kServicePolls; ++poll) {
        sleep(kServicePollPauseMs);
        uint32_t state = 0;
        const bool answered = manager.Interrogate(state);
        if (reached(answered, state))
            return true;
    }
    return false;
}

} // namespace

bool StartServiceAndWait(IServiceManager& manager, SleepFunction sleep)
{
    return RunOnDriverService(manager, [&] {
        // The first look ignores the call's success: only the state it reports counts.
        uint32_t state = 0;
        manager.Interrogate(state);
        if (state == kServiceRunning)
            return true;
        if (!manager.Start())
            return false;
        return PollUntil(manager, sleep, [](bool answered, uint32_t polled) {
            return answered && polled == kServiceRunning;
        });
    });
}

bool StopServiceAndWait(IServiceManager& manager, SleepFunction sleep)
{
    return RunOnDriverService(manager, [&] {
        uint32_t state = 0;
        manager.Interrogate(state);
        if (state == kServiceStopped)
            return false;
        if (!manager.Stop())
            return false;
        // Interrogating a stopped service fails (ERROR_SERVICE_NOT_ACTIVE), so a failed
        // interrogation counts as stopped.
        return PollUntil(manager, sleep, [](bool answered, uint32_t polled) {
            return !answered || polled == kServiceStopped;
        });
    });
}

bool IsServiceInState(IServiceManager& manager, uint32_t state)
{
    return RunOnDriverService(manager, [&] {
        uint32_t received = 0;
        manager.Interrogate(received);
        return received == state;
    });
}
