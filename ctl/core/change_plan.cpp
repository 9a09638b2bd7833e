#include "ctl/core/change_plan.h"

#include "ctl/core/command_line.h"

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

std::string EscapeControlCharacters(std::string_view text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            escaped += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
        else
            escaped += c;
    }
    return escaped;
}
