// What a change command of vtxctl does, or in a dry run would do, path by path: the plan of an
// import --replace, the lines of a dry run and the closing counts. The JSON of --json is in
// json_output.h.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

enum class CtlResult {
    Added,      // sent to the driver (dry run: would be)
    Removed,
    Unchanged,  // already listed, or listed twice in the file
    Refused,    // by a rule, as the window would refuse it; nothing sent
    Failed,     // the driver did not take it
};

struct CtlChange {
    std::string list;     // "locked" or "trusted"
    std::string path;
    CtlResult result = CtlResult::Unchanged;
    std::string refusal;  // Refused and Failed: the text reported
};

struct CtlCounts {
    size_t added = 0;
    size_t removed = 0;
    size_t refused = 0;  // refused or failed
};
CtlCounts CountChanges(const std::vector<CtlChange>& changes);

using SamePath = std::function<bool(const std::string&, const std::string&)>;

// Makes listed the wanted list: what it lacks, in the order wanted gives, and what wanted does
// not hold, in the list's order. An entry both hold keeps its place: it is never taken away only
// to be put back, which would leave it unprotected meanwhile. A path wanted twice is added once.
struct CtlReplacePlan {
    std::vector<std::string> add;
    std::vector<std::string> remove;
};
CtlReplacePlan PlanReplace(const std::vector<std::string>& listed, const std::vector<std::string>& wanted,
                           const SamePath& same);

// "+ locked C:\Data" for an entry a dry run would add, "- trusted C:\Tools\old.exe" for one it
// would remove; empty for the rest (refusals are reported as the real run reports them).
std::string DryRunLine(const CtlChange& change);
// The exit code of a change command: a refusal or failure (or a file not written) is 1; else,
// with --check, 6 when anything would be added or removed; else 0.
int ChangeExitCode(const CtlCounts& counts, bool saved, bool check);
// "2 to add, 1 to remove, 1 refused; nothing changed (dry run)", or "2 added, 1 removed, 1 refused".
std::string CountsLine(const CtlCounts& counts, bool dryRun);
