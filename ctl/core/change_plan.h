// What a change command of vtxctl does, or in a dry run would do, path by path: the lines of a
// dry run and the closing counts. The plan of an import is in import_plan.h, the JSON of --json
// in json_output.h.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
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

// "+ locked C:\Data" for an entry a dry run would add, "- trusted C:\Tools\old.exe" for one it
// would remove; empty for the rest (refusals are reported as the real run reports them).
std::string DryRunLine(const CtlChange& change);
// The exit code of a change command: a refusal or failure (or a file not written) is 1; else,
// with --check, 6 when anything would be added or removed; else 0.
int ChangeExitCode(const CtlCounts& counts, bool saved, bool check);
// "2 to add, 1 to remove, 1 refused; nothing changed (dry run)", or "2 added, 1 removed, 1 refused".
std::string CountsLine(const CtlCounts& counts, bool dryRun);

// The text with each control character (below 0x20, and DEL) written as \xHH: a line echoed
// from a file can then neither move the console's cursor nor forge a line of output.
std::string EscapeControlCharacters(std::string_view text);
