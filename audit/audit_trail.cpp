#include "audit/audit_trail.h"

#include "driver/core/names.h"
#include "framework/handle.h"

#include <memory>

namespace {

struct EventSourcePolicy {
    using Handle = HANDLE;
    static bool IsValid(HANDLE h) { return h != nullptr; }
    static BOOL Close(HANDLE h) { return ::DeregisterEventSource(h); }
};

// The program's file name, as Event Viewer's reader knows it ("vtx.exe", "vtxctl.exe").
std::string ProgramName()
{
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path, length < MAX_PATH ? length : 0);
    const size_t slash = full.find_last_of("\\/");
    return slash == std::string::npos ? full : full.substr(slash + 1);
}

// The user that the process runs as: its SID for the record's user field and "DOMAIN\name" for
// the text, where the account can be looked up.
class CProcessUser {
public:
    CProcessUser()
    {
        CHandleOwner<handle_policy::Kernel> token;
        DWORD size = 0;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put()))
            return;
        ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
        m_buffer = std::make_unique<BYTE[]>(size ? size : 1);
        if (!size || !::GetTokenInformation(token.Get(), TokenUser, m_buffer.get(), size, &size))
            return;
        m_pSid = reinterpret_cast<TOKEN_USER*>(m_buffer.get())->User.Sid;
        char name[256] = {};
        char domain[256] = {};
        DWORD nameSize = sizeof name;
        DWORD domainSize = sizeof domain;
        SID_NAME_USE use;
        if (::LookupAccountSidA(nullptr, m_pSid, name, &nameSize, domain, &domainSize, &use))
            m_strAccount = domain[0] ? std::string(domain) + "\\" + name : name;
    }
    PSID Sid() const { return m_pSid; }
    const std::string& Account() const { return m_strAccount; }

private:
    std::unique_ptr<BYTE[]> m_buffer;
    PSID m_pSid = nullptr;
    std::string m_strAccount = "(unknown)";
};

// The Application log under the audit trail's source, registered once for the process.
// ReportEvent hands the record to the event log service and returns; no reader is waited for.
class CApplicationLog : public IAuditSink {
public:
    CApplicationLog() : m_source(::RegisterEventSourceA(nullptr, VTX_EVENT_SOURCE)) {}
    void Write(const CAuditEvent& event) override
    {
        if (!m_source)
            return;
        std::vector<const char*> strings;
        for (const std::string& text : event.strings)
            strings.push_back(text.c_str());
        ::ReportEventA(m_source.Get(), event.wType, 0, event.dwEventID, m_user.Sid(),
                       static_cast<WORD>(strings.size()), 0, strings.data(), nullptr);
    }
    const CProcessUser& User() const { return m_user; }

private:
    CHandleOwner<EventSourcePolicy> m_source;
    CProcessUser m_user;
};

CApplicationLog& ApplicationLog()
{
    static CApplicationLog log;
    return log;
}

IAuditSink* g_pAuditSink = nullptr;
bool g_bAuditTrailOn = false;

// The record's type from the severity in the id's two top bits.
WORD EventType(DWORD dwEventID)
{
    switch (dwEventID >> 30) {
    case STATUS_SEVERITY_ERROR:
        return EVENTLOG_ERROR_TYPE;
    case STATUS_SEVERITY_WARNING:
        return EVENTLOG_WARNING_TYPE;
    default:
        return EVENTLOG_INFORMATION_TYPE;
    }
}

}  // namespace

CAuditSinkOverride::CAuditSinkOverride(IAuditSink& sink) : m_pPrevious(g_pAuditSink)
{
    g_pAuditSink = &sink;
}

CAuditSinkOverride::~CAuditSinkOverride()
{
    g_pAuditSink = m_pPrevious;
}

void SetAuditTrailOn(bool on) noexcept
{
    g_bAuditTrailOn = on;
}

bool IsAuditTrailOn() noexcept
{
    return g_bAuditTrailOn;
}

void WriteAuditEvent(DWORD dwEventID, const std::vector<std::string>& details) noexcept
{
    if (!g_bAuditTrailOn)
        return;
    try {
        static const std::string program = ProgramName();
        CApplicationLog& log = ApplicationLog();
        CAuditEvent event{dwEventID, EventType(dwEventID), {program, log.User().Account()}};
        event.strings.insert(event.strings.end(), details.begin(), details.end());
        (g_pAuditSink ? *g_pAuditSink : static_cast<IAuditSink&>(log)).Write(event);
    } catch (...) {
        // Out of memory: the action goes on without its record.
    }
}
