// The rules by which the driver's service is brought to a state and waited for, written against a
// small service-manager interface so that the ten-second cases run at once in native tests.
#pragma once

#include <cstdint>
#include "driver/core/function_ref.h"

// The two values of SERVICE_STATUS.dwCurrentState that anything here looks at.
constexpr uint32_t kServiceStopped = 1;
constexpr uint32_t kServiceRunning = 4;

// A start or stop request is followed by at most this many polls, each after one pause.
constexpr int kServicePolls = 10;
constexpr uint32_t kServicePollPauseMs = 1000;

// The calls on the service manager that the routines make. Each open has its close; the rules
// close the service before the manager.
class IServiceManager {
public:
    virtual ~IServiceManager() = default;
    virtual bool OpenManager() = 0;
    virtual bool OpenDriverService() = 0;
    // SERVICE_CONTROL_INTERROGATE. Returns the call's own success; state always receives the
    // state of the status record, which starts zeroed, so a record the call did not fill gives 0:
    // neither running nor stopped.
    virtual bool Interrogate(uint32_t& state) = 0;
    virtual bool Start() = 0;
    // SERVICE_CONTROL_STOP.
    virtual bool Stop() = 0;
    virtual void CloseDriverService() = 0;
    virtual void CloseManager() = 0;
};

using SleepFunction = CFunctionRef<void(uint32_t milliseconds)>;

// Opens the manager and then the service, runs job, closes the service and then the manager, and
// returns job's result. false, without running job, when either cannot be opened.
bool RunOnDriverService(IServiceManager& manager, CFunctionRef<bool()> job);

// true when the service is running at return: at once when it already was, else after a start
// request and a poll that found it running.
bool StartServiceAndWait(IServiceManager& manager, SleepFunction sleep);

// true when this call stopped the service. A service found already stopped gives false.
bool StopServiceAndWait(IServiceManager& manager, SleepFunction sleep);

// One interrogation, no waiting: true when the state received is state.
bool IsServiceInState(IServiceManager& manager, uint32_t state);
