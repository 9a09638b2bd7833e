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
        {{"audit", "on"}, CtlAction::Audit, false, {"on"}},
    };
    for (const auto& c : cases) {
        CtlCommand command;
        ASSERT_TRUE(ParseCtlCommand(c.args, command)) << c.args[0];
        EXPECT_EQ(command.action, c.action) << c.args[0];
        EXPECT_EQ(command.trusted, c.trusted) << c.args[0];
        EXPECT_EQ(command.operands, c.operands) << c.args[0];
    }
}

TEST(CtlCommandLine, OptionsStandAnywhere)
{
    CtlCommand command;
    ASSERT_TRUE(ParseCtlCommand({"--password-stdin", "lock", "C:\\A", "-q"}, command));
    EXPECT_TRUE(command.passwordFromStdin);
    EXPECT_TRUE(command.quiet);
    EXPECT_EQ(command.verb, "lock");
    ASSERT_TRUE(ParseCtlCommand({"lock", "--quiet", "C:\\A"}, command));
    EXPECT_FALSE(command.passwordFromStdin);
    EXPECT_TRUE(command.quiet);
    ASSERT_TRUE(ParseCtlCommand({"list", "--json", "trusted"}, command));
    EXPECT_TRUE(command.json);
    EXPECT_TRUE(command.trusted);
    ASSERT_TRUE(ParseCtlCommand({"import", "--replace", "f.txt", "--dry-run", "--json"}, command));
    EXPECT_TRUE(command.replace && command.dryRun && command.json);
    EXPECT_FALSE(command.check);
    EXPECT_EQ(command.operands, Args{"f.txt"});
}

// --check is a dry run wherever --dry-run is taken; audit takes on or off and no dry run.
TEST(CtlCommandLine, CheckIsADryRunOfTheChangeCommandsAndAuditTakesOnOrOff)
{
    CtlCommand command;
    for (const char* verb : {"lock", "unlock", "trust", "untrust", "import"}) {
        ASSERT_TRUE(ParseCtlCommand({verb, "--check", "C:\\A", "--json"}, command)) << verb;
        EXPECT_TRUE(command.check && command.dryRun && command.json) << verb;
    }
    for (const Args& args : {Args{"status", "--check"}, Args{"list", "locked", "--check"},
                             Args{"export", "f.txt", "--check"}, Args{"audit", "on", "--check"},
                             Args{"audit", "on", "--dry-run"}, Args{"audit"}, Args{"audit", "yes"},
                             Args{"audit", "on", "off"}, Args{"audit", "ON"}})
        EXPECT_FALSE(ParseCtlCommand(args, command)) << args.back();
    ASSERT_TRUE(ParseCtlCommand({"audit", "off", "--json"}, command));
    EXPECT_FALSE(command.auditOn);
    ASSERT_TRUE(ParseCtlCommand({"--password-stdin", "audit", "on"}, command));
    EXPECT_TRUE(command.auditOn && command.passwordFromStdin);
}

TEST(CtlCommandLine, RefusesUnknownCommandsOptionsAndWrongOperandCounts)
{
    for (const Args& args : {Args{}, Args{"LOCK", "C:\\A"}, Args{"frob"}, Args{"status", "x"}, Args{"list"},
                             Args{"list", "both"}, Args{"list", "locked", "trusted"}, Args{"lock"},
                             Args{"untrust"}, Args{"export"}, Args{"import", "a", "b"},
                             Args{"--verbose", "status"}, Args{"--password-stdin"},
                             Args{"export", "f.txt", "--json"}, Args{"status", "--json", "-q"},
                             Args{"list", "locked", "--dry-run"}, Args{"lock", "--replace", "C:\\A"}}) {
        CtlCommand command;
        EXPECT_FALSE(ParseCtlCommand(args, command)) << (args.empty() ? "(none)" : args[0]);
    }
}

}  // namespace
