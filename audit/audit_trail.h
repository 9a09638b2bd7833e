// The audit trail: each change of the protection lists, each changed password, each refused way
// in and a service that would not start, as an event of the source "Veltrix" in the Application
// log. Its texts are the message table compiled from veltrix_events.mc into vtx.exe; its ids are
// the MSG_ constants of the header generated from it.
#pragma once

#include "audit/veltrix_events.h"

#include <windows.h>

#include <string>
#include <vector>

struct CAuditEvent {
    DWORD dwEventID;                   // as the message table numbers it, severity bits included
    WORD wType;                        // EVENTLOG_INFORMATION_TYPE, _WARNING_TYPE or _ERROR_TYPE
    std::vector<std::string> strings;  // %1 the program, %2 the user account, then the event's own
};

// Where the events go: the Application log, unless a CAuditSinkOverride lives. Tests record
// them there, since Wine's ReportEvent keeps no log.
class IAuditSink {
public:
    virtual void Write(const CAuditEvent& event) = 0;

protected:
    ~IAuditSink() = default;
};

class CAuditSinkOverride {
public:
    explicit CAuditSinkOverride(IAuditSink& sink);
    ~CAuditSinkOverride();
    CAuditSinkOverride(const CAuditSinkOverride&) = delete;
    CAuditSinkOverride& operator=(const CAuditSinkOverride&) = delete;

private:
    IAuditSink* m_pPrevious;
};

// The trail is off unless an administrator turned it on (the service key's switch, which each
// program reads at its start and hands in here): off, no event is written, to any sink.
void SetAuditTrailOn(bool on) noexcept;
bool IsAuditTrailOn() noexcept;

// Writes the event, while the trail is on, with the program's file name and the user account
// before the details. It never fails or holds up the action it records: a log that cannot be
// written is passed over.
void WriteAuditEvent(DWORD dwEventID, const std::vector<std::string>& details = {}) noexcept;
