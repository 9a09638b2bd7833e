// What vtxctl prints with --json, for scripts: one JSON document, in ASCII (every other character
// escaped, "\u00e9"), so that it reads the same in any code page. Paths come in the ANSI
// code page; the conversion is handed in, as the code page is the platform's.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using ToUtf8 = std::function<std::string(std::string_view ansi)>;

struct CtlListCount {
    std::string name;               // "locked" or "trusted"
    std::optional<size_t> entries;  // none: the driver cannot be reached
    bool complete = false;          // the driver gave the list whole
};

// {"service": "running", "installationFolder": ..., "auditTrail": "off", "lists": {"locked":
// {"entries": 2, "complete": true}, ...}}
std::string StatusJson(bool running, std::string_view installDir, bool auditTrailOn,
                       const std::vector<CtlListCount>& lists, const ToUtf8& toUtf8);

// {"command": "audit", "auditTrail": "on", "changed": true}
std::string AuditJson(bool on, bool changed);

// {"list": "locked", "complete": true, "entries": [...]}
std::string ListJson(std::string_view name, const std::vector<std::string>& paths, bool complete,
                     const ToUtf8& toUtf8);

struct CtlChange;
// {"command": "import", "dryRun": false, "changes": [{"list": "locked", "path": ...,
// "result": "added"}, {..., "result": "refused", "refusal": "Can't lock Windows System
// Directory"}], "counts": {"added": 1, "removed": 0, "refused": 1}}
std::string ChangesJson(std::string_view command, bool dryRun, const std::vector<CtlChange>& changes,
                        const ToUtf8& toUtf8);
