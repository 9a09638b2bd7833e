// The events of the audit trail as a test sees them. In-process, a recorder takes the place of
// the Application log; a child program's real ReportEvent calls show in Wine's trace of them
// (WINEDEBUG=+eventlog), since Wine keeps no log to read back.
#pragma once

#include "audit/audit_trail.h"

#include <optional>
#include <string>
#include <vector>

// Records the process's events, with the trail turned on while it lives.
class CAuditRecorder : public IAuditSink {
public:
    CAuditRecorder() { SetAuditTrailOn(true); }
    ~CAuditRecorder() { SetAuditTrailOn(m_bWasOn); }
    void Write(const CAuditEvent& event) override { m_events.push_back(event); }
    std::vector<CAuditEvent> m_events;

private:
    const bool m_bWasOn = IsAuditTrailOn();
    CAuditSinkOverride m_override{*this};
};

// The audit trail's switch in the service's key (vtxaudit), which the programs read at their
// start: set for a test, and put back as it was (missing too) when the object goes.
class CAuditSwitch {
public:
    explicit CAuditSwitch(bool on);
    ~CAuditSwitch();
    CAuditSwitch(const CAuditSwitch&) = delete;
    CAuditSwitch& operator=(const CAuditSwitch&) = delete;

    // The value, or nothing when it is missing.
    static std::optional<DWORD> Read();

private:
    std::optional<DWORD> m_previous = Read();
};

// What a test compares: the id, the type and the event's own strings (after program and user).
struct AuditEventSeen {
    DWORD dwEventID;
    WORD wType;
    std::vector<std::string> details;
    friend bool operator==(const AuditEventSeen&, const AuditEventSeen&) = default;
};
std::ostream& operator<<(std::ostream& out, const AuditEventSeen& event);

// The events with the program and user strings checked and left out: program must be the
// file name of the writing program, the user account "DOMAIN\name" of this user.
std::vector<AuditEventSeen> DetailsOf(const std::vector<CAuditEvent>& events, const std::string& program);

// The events that Wine's trace shows a child writing; the trace's other lines are passed over.
std::vector<CAuditEvent> EventsInWineTrace(const std::string& trace);
// The text without Wine's trace lines.
std::string WithoutWineTrace(const std::string& text);
