// The plan of an import: the lines' variables, then the list model's rules, then the removals of
// --replace; all of it made before anything is sent.
#include "ctl/core/import_plan.h"
#include "ctl/core/variables.h"
#include "tests/unit/lists/played_path_facts.h"
#include "tests/unit/played_enumeration.h"

#include <gtest/gtest.h>

namespace {

using Paths = std::vector<std::string>;

const std::string kLong(200, 'x');

std::optional<std::string> TestVariable(const std::string& name)
{
    if (name == "SystemDrive")
        return "C:";
    if (name == "Empty")
        return "";
    if (name == "Long")
        return kLong;
    return std::nullopt;
}

std::string Expanded(const std::string& line, Expansion expected, size_t maxLength = kMaxPathLength)
{
    std::string expanded = "stale";
    std::string unknown;
    EXPECT_EQ(ExpandVariables(line, TestVariable, maxLength, expanded, unknown), expected) << line;
    return expected == Expansion::UnknownVariable ? UnknownVariableRefusal(unknown) : expanded;
}

TEST(ImportLineVariables, ExpandEachReferenceAndLeaveLonePercentSignsAlone)
{
    const struct {
        const char* line;
        const char* expanded;
    } cases[] = {
        {"%SystemDrive%\\Data", "C:\\Data"},
        {"%SystemDrive%\\%Empty%x%SystemDrive%", "C:\\xC:"},
        {"C:\\100% Data\\50% off", "C:\\100% Data\\50% off"},
        {"C:\\a%%b", "C:\\a%%b"},
        {"C:\\50%", "C:\\50%"},
        {"C:\\plain", "C:\\plain"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Expanded(c.line, Expansion::Done), c.expanded);
}

TEST(ImportLineVariables, AnUndefinedVariableOrAGrowthPastAPathStopsTheExpansion)
{
    for (const char* line : {"%NoSuch%\\Data", "%SystemDrive%\\%NoSuch%", "C:\\50% off\\%NoSuch%"})
        EXPECT_EQ(Expanded(line, Expansion::UnknownVariable), "Unknown variable %NoSuch%");
    // Up to the bound a value is taken; a value, or the text before it, beyond it is not.
    EXPECT_EQ(Expanded("C:\\%Long%", Expansion::Done), "C:\\" + kLong);
    EXPECT_EQ(Expanded("C:\\%Long%", Expansion::Done, 203), "C:\\" + kLong);
    Expanded("C:\\%Long%", Expansion::TooLong, 202);
    Expanded("%Long%\\%Long%", Expansion::TooLong);
    Expanded(std::string(300, 'y') + "%Empty%", Expansion::TooLong);
    // However many references a line holds, the expansion stops at the first past the bound.
    std::string many;
    for (int i = 0; i < 100000; ++i)
        many += "%Long%";
    Expanded(many, Expansion::TooLong);
}

class ImportPlan : public ::testing::Test {
protected:
    CtlImportPlan Plan(const Paths& listed, const Paths& lines, bool replace)
    {
        CListModel model(g_lockedList, m_facts);
        CPlayedEnumeration driver(listed);
        EXPECT_TRUE(model.Load(&driver));
        return PlanImport(model, lines, replace, TestVariable);
    }
    CPlayedFacts m_facts;
};

// Each line keeps its place in the file; the refusals are the plan's own texts.
TEST_F(ImportPlan, JudgesEachLineInTheFilesOrderWithItsRefusalsOwnText)
{
    const CtlImportPlan plan = Plan({"D:\\Kept"}, {"%SystemDrive%\\Data", "%NoSuch%\\X", "C:\\%Long%\\%Long%",
                                                   "d:\\KEPT", "C:\\Windows", "D:\\New"}, false);
    ASSERT_EQ(plan.changes.size(), 6u);
    const struct {
        ListChange::Kind kind;
        const char* path;
        const char* refusal;
    } expected[] = {
        {ListChange::Add, "C:\\Data", ""},
        {ListChange::Refused, "%NoSuch%\\X", "Unknown variable %NoSuch%"},
        {ListChange::Refused, "C:\\%Long%\\%Long%", kRefuseLength},
        {ListChange::Listed, "D:\\Kept", ""},
        {ListChange::Refused, "C:\\Windows", "Can't lock Windows System Directory"},
        {ListChange::Add, "D:\\New", ""},
    };
    for (size_t i = 0; i < plan.changes.size(); ++i) {
        EXPECT_EQ(plan.changes[i].kind, expected[i].kind) << i;
        EXPECT_EQ(plan.changes[i].path, expected[i].path) << i;
        EXPECT_EQ(plan.changes[i].refusal, expected[i].refusal) << i;
    }
    EXPECT_FALSE(plan.keptForRefusal) << "nothing is removed without --replace anyway";
}

TEST_F(ImportPlan, ReplaceRemovesWhatTheFileDoesNotListUnlessALineWasRefused)
{
    const CtlImportPlan plan = Plan({"D:\\Old", "D:\\Keep", "D:\\Gone"}, {"d:\\KEEP", "D:\\New", "D:\\new"}, true);
    Paths removed;
    for (const ListChange& change : plan.changes)
        if (change.kind == ListChange::Remove)
            removed.push_back(change.path);
    EXPECT_EQ(removed, (Paths{"D:\\Old", "D:\\Gone"}));
    EXPECT_EQ(plan.changes.size(), 5u);
    EXPECT_EQ(plan.changes[2].kind, ListChange::Listed) << "a line twice is added once";

    const CtlImportPlan refused = Plan({"D:\\Old"}, {"%NoSuch%\\Old", "D:\\New"}, true);
    EXPECT_TRUE(refused.keptForRefusal);
    EXPECT_EQ(refused.changes.size(), 2u);
    EXPECT_EQ(Plan({"D:\\Old"}, {}, true).changes.size(), 1u) << "an empty section empties its list";
}

}  // namespace
