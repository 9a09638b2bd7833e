#include "ctl/core/change_plan.h"

#include "ctl/core/command_line.h"

#include <algorithm>

CtlCounts CountChanges(const std::vector<CtlChange>& changes)
{
    CtlCounts counts;
    for (const CtlChange& change : changes) {
        switch (change.result) {
        case CtlResult::Added:
            ++counts.added;
            break;
        case CtlResult::Removed:
            ++counts.removed;
            break;
        case CtlResult::Refused:
        case CtlResult::Failed:
            ++counts.refused;
            break;
        case CtlResult::Unchanged:
            break;
        }
    }
    return counts;
}

int ChangeExitCode(const CtlCounts& counts, bool saved, bool check)
{
    if (counts.refused > 0 || !saved)
        return kCtlFailed;
    return check && counts.added + counts.removed > 0 ? kCtlWouldChange : kCtlDone;
}

CtlReplacePlan PlanReplace(const std::vector<std::string>& listed, const std::vector<std::string>& wanted,
                           const SamePath& same)
{
    const auto holds = [&same](const std::vector<std::string>& paths, const std::string& path) {
        return std::any_of(paths.begin(), paths.end(), [&](const std::string& p) { return same(p, path); });
    };
    CtlReplacePlan plan;
    for (const std::string& path : wanted)
        if (!holds(listed, path) && !holds(plan.add, path))
            plan.add.push_back(path);
    for (const std::string& path : listed)
        if (!holds(wanted, path))
            plan.remove.push_back(path);
    return plan;
}

std::string DryRunLine(const CtlChange& change)
{
    if (change.result == CtlResult::Added)
        return "+ " + change.list + " " + change.path;
    if (change.result == CtlResult::Removed)
        return "- " + change.list + " " + change.path;
    return std::string();
}

std::string CountsLine(const CtlCounts& counts, bool dryRun)
{
    const std::string refused = std::to_string(counts.refused) + " refused";
    if (dryRun)
        return std::to_string(counts.added) + " to add, " + std::to_string(counts.removed) + " to remove, " + refused +
               "; nothing changed (dry run)";
    return std::to_string(counts.added) + " added, " + std::to_string(counts.removed) + " removed, " + refused;
}
