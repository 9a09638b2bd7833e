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
    default:
        return count > 0;
    }
}
