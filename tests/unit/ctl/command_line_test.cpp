#include "ctl/core/command_line.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

TEST(CtlCommandLine, ReadsEachCommandWithItsListAndOperands)
{
    const struct {
        Args args;
        CtlAction action;
        bool trusted;
        Args operands;
    } cases[] = {
        {{"status"}, CtlAction::Status, false, {}},
        {{"list", "locked"}, CtlAction::List, false, {}},
        {{"list", "trusted"}, CtlAction::List, true, {}},
        {{"lock", "C:\\A", "C:\\B"}, CtlAction::Add, false, {"C:\\A", "C:\\B"}},
        {{"unlock", "C:\\A"}, CtlAction::Remove, false, {"C:\\A"}},
        {{"trust", "C:\\T.exe"}, CtlAction::Add, true, {"C:\\T.exe"}},
        {{"untrust", "C:\\T.exe"}, CtlAction::Remove, true, {"C:\\T.exe"}},
        {{"export", "f.txt"}, CtlAction::Export, false, {"f.txt"}},
        {{"import", "f.txt"}, CtlAction::Import, false, {"f.txt"}},
        {{"lock", "--", "-odd name"}, CtlAction::Add, false, {"-odd name"}},
        {{"lock", "C:\\A", "--help"}, CtlAction::Help, false, {}},
    };
    for (const auto& c : cases) {
        CtlCommand command;
        ASSERT_TRUE(ParseCtlCommand(c.args, command)) << c.args[0];
        EXPECT_EQ(command.action, c.action) << c.args[0];
        EXPECT_EQ(command.trusted, c.trusted) << c.args[0];
        EXPECT_EQ(command.operands, c.operands) << c.args[0];
    }
}

TEST(CtlCommandLine, PasswordFromStandardInputIsAnOptionAnywhere)
{
    CtlCommand command;
    ASSERT_TRUE(ParseCtlCommand({"--password-stdin", "lock", "C:\\A"}, command));
    EXPECT_TRUE(command.passwordFromStdin);
    ASSERT_TRUE(ParseCtlCommand({"lock", "C:\\A"}, command));
    EXPECT_FALSE(command.passwordFromStdin);
}

TEST(CtlCommandLine, RefusesUnknownCommandsOptionsAndWrongOperandCounts)
{
    for (const Args& args : {Args{}, Args{"LOCK", "C:\\A"}, Args{"frob"}, Args{"status", "x"}, Args{"list"},
                             Args{"list", "both"}, Args{"list", "locked", "trusted"}, Args{"lock"},
                             Args{"untrust"}, Args{"export"}, Args{"import", "a", "b"},
                             Args{"--verbose", "status"}, Args{"--password-stdin"}}) {
        CtlCommand command;
        EXPECT_FALSE(ParseCtlCommand(args, command)) << (args.empty() ? "(none)" : args[0]);
    }
}

}  // namespace
