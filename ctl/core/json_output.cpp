#include "ctl/core/json_output.h"

#include "ctl/core/change_plan.h"

#include <nlohmann/json.hpp>

namespace {

// Keys in the order written, for a reader.
using json = nlohmann::ordered_json;

// Indented for a reader; the replacement of invalid UTF-8 keeps dump() from throwing. ASCII
// only, each other character as \uXXXX: Windows PowerShell reads a program's output in the
// console's code page, which would turn UTF-8 into other characters.
std::string Text(const json& document)
{
    return document.dump(2, ' ', true, json::error_handler_t::replace) + "\n";
}

json Paths(const std::vector<std::string>& paths, const ToUtf8& toUtf8)
{
    json array = json::array();
    for (const std::string& path : paths)
        array.push_back(toUtf8(path));
    return array;
}

}  // namespace

std::string StatusJson(bool running, std::string_view installDir, bool auditTrailOn,
                       const std::vector<CtlListCount>& lists, const ToUtf8& toUtf8)
{
    json counts = json::object();
    for (const CtlListCount& list : lists)
        counts[list.name] = {{"entries", list.entries ? json(*list.entries) : json(nullptr)},
                             {"complete", list.complete}};
    return Text({{"service", running ? "running" : "not running"},
                 {"installationFolder", toUtf8(installDir)},
                 {"auditTrail", auditTrailOn ? "on" : "off"},
                 {"lists", counts}});
}

std::string AuditJson(bool on, bool changed)
{
    return Text({{"command", "audit"}, {"auditTrail", on ? "on" : "off"}, {"changed", changed}});
}

std::string ListJson(std::string_view name, const std::vector<std::string>& paths, bool complete,
                     const ToUtf8& toUtf8)
{
    return Text({{"list", name}, {"complete", complete}, {"entries", Paths(paths, toUtf8)}});
}

std::string ChangesJson(std::string_view command, bool dryRun, const std::vector<CtlChange>& changes,
                        const ToUtf8& toUtf8)
{
    static const char* const kResults[] = {"added", "removed", "unchanged", "refused", "failed"};
    json array = json::array();
    for (const CtlChange& change : changes) {
        json entry = {{"list", change.list},
                      {"path", toUtf8(change.path)},
                      {"result", kResults[static_cast<int>(change.result)]}};
        if (!change.refusal.empty())
            entry["refusal"] = toUtf8(change.refusal);
        array.push_back(entry);
    }
    const CtlCounts counts = CountChanges(changes);
    return Text({{"command", command},
                 {"dryRun", dryRun},
                 {"changes", array},
                 {"counts", {{"added", counts.added}, {"removed", counts.removed}, {"refused", counts.refused}}}});
}
