// The events of the audit trail as a test sees them. In-process, a recorder takes the place of
// the Application log; a child program's real ReportEvent calls show in Wine's trace of them
// (WINEDEBUG=+eventlog), since Wine keeps no log to read back.
#pragma once

#include "audit/audit_trail.h"

#include <string>
#include <vector>

class CAuditRecorder : public IAuditSink {
public:
    void Write(const CAuditEvent& event) override { m_events.push_back(event); }
    std::vector<CAuditEvent> m_events;

private:
    CAuditSinkOverride m_override{*this};
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
