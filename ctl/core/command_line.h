// What vtxctl is asked to do, read from its arguments (the program's name left out).
#pragma once

#include <string>
#include <vector>

enum class CtlAction { Help, Status, List, Add, Remove, Export, Import, Audit };

// The exit codes, as --help and the README state them.
enum CtlExit {
    kCtlDone = 0,
    kCtlFailed = 1,      // something was refused or failed; each is reported
    kCtlUsage = 2,
    kCtlWrongPassword = 3,
    kCtlRunning = 4,     // another Veltrix holds the lists
    kCtlNoDriver = 5,
    kCtlWouldChange = 6,  // --check: the lists are not yet what the command would make them
};
inline constexpr char kCtlNoDriverMessage[] = "The driver cannot be reached.";

struct CtlCommand {
    CtlAction action = CtlAction::Help;
    bool trusted = false;          // List, Add, Remove: the trusted list, else the locked list
    bool auditOn = false;          // Audit: on, else off
    bool passwordFromStdin = false;
    bool json = false;     // --json: the output as one JSON document (all but export)
    bool quiet = false;    // -q, --quiet: errors only
    bool dryRun = false;   // --dry-run: what a change would do, nothing sent or written
    bool check = false;    // --check: a dry run whose exit code says whether anything would change
    bool replace = false;  // import --replace: the lists the file names become exactly its lists
    std::string verb;    // the command's word ("lock"), as the audit trail names it
    std::vector<std::string> operands;  // the paths, or the one file of Export and Import
};

// false on a usage error (an unknown command or option, a missing or extra operand). Options may
// stand anywhere; "--" ends them.
bool ParseCtlCommand(const std::vector<std::string>& args, CtlCommand& command);
