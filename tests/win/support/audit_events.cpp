#include "support/audit_events.h"

#include "driver/core/names.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <sstream>

namespace {

// A line of Wine's debug output: "0024:warn:eventlog:ReportEventW ...".
bool IsTraceLine(const std::string& line)
{
    return line.size() > 5 && line[4] == ':' && line.find_first_not_of("0123456789abcdef") == 4;
}

// The text of a debugstr_w: L"C:\\Data" -> C:\Data.
std::string Unquoted(const std::string& quoted)
{
    std::string text;
    const size_t begin = quoted.find("L\"");
    const size_t end = quoted.rfind('"');
    if (begin == std::string::npos || end <= begin + 1)
        return text;
    for (size_t i = begin + 2; i < end; ++i) {
        if (quoted[i] == '\\' && i + 1 < end)
            ++i;
        text += quoted[i];
    }
    return text;
}

std::string UserAccount()
{
    char name[256] = {};
    DWORD size = sizeof name;
    ::GetUserNameA(name, &size);
    return name;
}

}  // namespace

namespace {

void WriteSwitch(const std::optional<DWORD>& value)
{
    const LSTATUS status =
        value ? ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, VTX_AUDIT_SWITCH_VALUE, REG_DWORD, &*value,
                                  sizeof *value)
              : ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, VTX_AUDIT_SWITCH_VALUE);
    EXPECT_TRUE(status == ERROR_SUCCESS || (!value && status == ERROR_FILE_NOT_FOUND)) << "status " << status;
}

}  // namespace

CAuditSwitch::CAuditSwitch(bool on)
{
    WriteSwitch(on ? 1 : 0);
}

CAuditSwitch::~CAuditSwitch()
{
    WriteSwitch(m_previous);
}

std::optional<DWORD> CAuditSwitch::Read()
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, VTX_AUDIT_SWITCH_VALUE, RRF_RT_REG_DWORD, nullptr, &value,
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::ostream& operator<<(std::ostream& out, const AuditEventSeen& event)
{
    out << "{" << std::hex << event.dwEventID << std::dec << " type " << event.wType;
    for (const std::string& detail : event.details)
        out << " \"" << detail << "\"";
    return out << "}";
}

std::vector<AuditEventSeen> DetailsOf(const std::vector<CAuditEvent>& events, const std::string& program)
{
    std::vector<AuditEventSeen> seen;
    const std::string user = UserAccount();
    for (const CAuditEvent& event : events) {
        if (event.strings.size() < 2) {
            ADD_FAILURE() << "an event without program and user";
            continue;
        }
        EXPECT_EQ(event.strings[0], program);
        const std::string& account = event.strings[1];
        EXPECT_TRUE(account.size() > user.size() && account.compare(account.size() - user.size() - 1,
                                                                    std::string::npos, "\\" + user) == 0)
            << account << " is not DOMAIN\\" << user;
        seen.push_back({event.dwEventID, event.wType, {event.strings.begin() + 2, event.strings.end()}});
    }
    return seen;
}

std::vector<CAuditEvent> EventsInWineTrace(const std::string& trace)
{
    std::vector<CAuditEvent> events;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // "...:fixme:advapi:ReportEventW (handle,0xTYPE,0xCATEGORY,0xID,sid,...): stub"
        const size_t call = line.find(":advapi:ReportEventW (");
        if (call != std::string::npos) {
            std::istringstream fields(line.substr(line.find('(', call) + 1));
            std::string handle, type, category, id;
            std::getline(fields, handle, ',');
            std::getline(fields, type, ',');
            std::getline(fields, category, ',');
            std::getline(fields, id, ',');
            events.push_back({static_cast<DWORD>(std::strtoul(id.c_str(), nullptr, 16)),
                              static_cast<WORD>(std::strtoul(type.c_str(), nullptr, 16)),
                              {}});
        } else if (line.find(":eventlog:ReportEventW L\"") != std::string::npos && !events.empty()) {
            events.back().strings.push_back(Unquoted(line));
        }
    }
    return events;
}

std::string WithoutWineTrace(const std::string& text)
{
    std::string kept;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (!IsTraceLine(line))
            kept += line + "\n";
    return kept;
}
