#include "ctl/core/command_line.h"

#include <cstddef>
#include <string_view>

namespace {

struct Verb {
    std::string_view name;
    CtlAction action;
    bool trusted;
};
constexpr Verb kVerbs[] = {
    {"status", CtlAction::Status, false}, {"list", CtlAction::List, false},
    {"lock", CtlAction::Add, false},      {"unlock", CtlAction::Remove, false},
    {"trust", CtlAction::Add, true},      {"untrust", CtlAction::Remove, true},
    {"export", CtlAction::Export, false}, {"import", CtlAction::Import, false},
    {"audit", CtlAction::Audit, false},
};

}  // namespace

bool ParseCtlCommand(const std::vector<std::string>& args, CtlCommand& command)
{
    command = CtlCommand{};
    std::vector<std::string> words;
    bool help = false;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--")
            optionsEnded = true;
        else if (!optionsEnded && (arg == "--help" || arg == "-h" || arg == "/?"))
            help = true;
        else if (!optionsEnded && arg == "--password-stdin")
            command.passwordFromStdin = true;
        else if (!optionsEnded && arg == "--json")
            command.json = true;
        else if (!optionsEnded && (arg == "-q" || arg == "--quiet"))
            command.quiet = true;
        else if (!optionsEnded && arg == "--dry-run")
            command.dryRun = true;
        else if (!optionsEnded && arg == "--check")
            command.dryRun = command.check = true;
        else if (!optionsEnded && arg == "--replace")
            command.replace = true;
        else if (!optionsEnded && arg.size() > 1 && arg[0] == '-')
            return false;
        else
            words.push_back(arg);
    }
    if (help)
        return true;
    if (words.empty())
        return false;

    const Verb* verb = nullptr;
    for (const Verb& candidate : kVerbs)
        if (words[0] == candidate.name)
            verb = &candidate;
    if (!verb)
        return false;
    command.action = verb->action;
    command.trusted = verb->trusted;
    command.verb = words[0];
    // Nothing printed but errors leaves nothing to print as JSON.
    if (command.quiet && command.json)
        return false;
    const bool changes = command.action == CtlAction::Add || command.action == CtlAction::Remove ||
                         command.action == CtlAction::Import;
    if ((command.json && command.action == CtlAction::Export) || (command.dryRun && !changes) ||
        (command.replace && command.action != CtlAction::Import))
        return false;
    command.operands.assign(words.begin() + 1, words.end());

    const size_t count = command.operands.size();
    switch (command.action) {
    case CtlAction::Status:
        return count == 0;
    case CtlAction::List:
        if (count != 1 || (command.operands[0] != "locked" && command.operands[0] != "trusted"))
            return false;
        command.trusted = command.operands[0] == "trusted";
        command.operands.clear();
        return true;
    case CtlAction::Export:
    case CtlAction::Import:
        return count == 1;
    case CtlAction::Audit:
        command.auditOn = count == 1 && command.operands[0] == "on";
        return count == 1 && (command.auditOn || command.operands[0] == "off");
    default:
        return count > 0;
    }
}
