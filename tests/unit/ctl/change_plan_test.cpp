#include "ctl/core/change_plan.h"
#include "ctl/core/command_line.h"
#include "ctl/core/json_output.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <strings.h>

namespace {

using Paths = std::vector<std::string>;

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

TEST(ReplacePlan, AddsWhatTheListLacksInTheFilesOrderAndRemovesWhatTheFileDoesNotHold)
{
    const struct {
        Paths listed;
        Paths wanted;
        Paths add;
        Paths remove;
    } cases[] = {
        {{"C:\\Old", "C:\\Keep"}, {"C:\\New2", "c:\\KEEP", "C:\\New1"}, {"C:\\New2", "C:\\New1"}, {"C:\\Old"}},
        {{"C:\\A", "C:\\B"}, {}, {}, {"C:\\A", "C:\\B"}},
        {{}, {"C:\\A", "c:\\a", "C:\\B"}, {"C:\\A", "C:\\B"}, {}},
        {{"C:\\B", "C:\\A"}, {"C:\\A", "C:\\B"}, {}, {}},
    };
    for (const auto& c : cases) {
        const CtlReplacePlan plan = PlanReplace(c.listed, c.wanted, SameIgnoringCase);
        EXPECT_EQ(plan.add, c.add);
        EXPECT_EQ(plan.remove, c.remove);
    }
}

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

}  // namespace
