#include "ctl/core/change_plan.h"
#include "ctl/core/command_line.h"
#include "ctl/core/json_output.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

namespace {

using Paths = std::vector<std::string>;

TEST(ChangeReport, DryRunLinesCountsAndJsonTellEachPathsResult)
{
    const std::vector<CtlChange> changes = {
        {"locked", "C:\\Data", CtlResult::Added, ""},
        {"trusted", "C:\\Tools\\old.exe", CtlResult::Removed, ""},
        {"locked", "C:\\Windows", CtlResult::Refused, "Can't lock Windows System Directory"},
        {"locked", "C:\\Listed", CtlResult::Unchanged, ""},
        {"locked", "C:\\Lost", CtlResult::Failed, "The driver did not take"},
    };
    Paths lines;
    for (const CtlChange& change : changes)
        lines.push_back(DryRunLine(change));
    EXPECT_EQ(lines, (Paths{"+ locked C:\\Data", "- trusted C:\\Tools\\old.exe", "", "", ""}));
    EXPECT_EQ(CountsLine(CountChanges(changes), true), "1 to add, 1 to remove, 2 refused; nothing changed (dry run)");
    EXPECT_EQ(CountsLine(CountChanges(changes), false), "1 added, 1 removed, 2 refused");

    const auto json = nlohmann::json::parse(ChangesJson("import", true, changes, [](std::string_view text) {
        return std::string(text);
    }));
    EXPECT_EQ(json["command"], "import");
    EXPECT_EQ(json["dryRun"], true);
    ASSERT_EQ(json["changes"].size(), changes.size());
    EXPECT_EQ(json["changes"][2], nlohmann::json::parse(R"({"list": "locked", "path": "C:\\Windows",
        "result": "refused", "refusal": "Can't lock Windows System Directory"})"));
    EXPECT_EQ(json["changes"][3]["result"], "unchanged");
    EXPECT_FALSE(json["changes"][3].contains("refusal"));
    EXPECT_EQ(json["changes"][4]["result"], "failed");
    EXPECT_EQ(json["counts"], nlohmann::json::parse(R"({"added": 1, "removed": 1, "refused": 2})"));
}

// A remediation's detection script reads the exit code: a refusal or an unwritten file wins over
// "would change", which --check alone gives.
TEST(ChangeReport, ExitCodeIsOneForARefusalElseSixForACheckThatWouldChange)
{
    const struct {
        CtlCounts counts;
        bool saved;
        bool check;
        int code;
    } cases[] = {
        {{0, 0, 0}, true, true, kCtlDone},        {{1, 0, 0}, true, true, kCtlWouldChange},
        {{0, 2, 0}, true, true, kCtlWouldChange}, {{1, 0, 1}, true, true, kCtlFailed},
        {{1, 0, 0}, true, false, kCtlDone},       {{0, 0, 0}, false, false, kCtlFailed},
        {{0, 0, 1}, true, false, kCtlFailed},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChangeExitCode(c.counts, c.saved, c.check), c.code)
            << c.counts.added << "/" << c.counts.removed << "/" << c.counts.refused << " check " << c.check;
}

// An echoed import line shows its control characters; the rest of it, code page bytes too, as is.
TEST(ChangeReport, EchoedTextShowsControlCharactersEscaped)
{
    EXPECT_EQ(EscapeControlCharacters("C:\\a\tb\x1b[2J\r\nC:\\Windows\x7f\x01"),
              "C:\\a\\x09b\\x1B[2J\\x0D\\x0AC:\\Windows\\x7F\\x01");
    EXPECT_EQ(EscapeControlCharacters("C:\\Donn\xe9\x80\xff"), "C:\\Donn\xe9\x80\xff");
    EXPECT_EQ(EscapeControlCharacters(std::string_view("a\0b", 3)), "a\\x00b");
}

}  // namespace
