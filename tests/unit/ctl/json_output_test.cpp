#include "ctl/core/json_output.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using nlohmann::json;

// Stands for the code page's conversion: marks each path so the test sees it was applied.
std::string MarkedUtf8(std::string_view ansi)
{
    return "<" + std::string(ansi) + ">";
}

TEST(CtlJson, StatusGivesEachListsCountOrNullWhereTheDriverIsUnreached)
{
    const json status = json::parse(StatusJson(
        true, "C:\\App", true, {{"locked", 2, true}, {"trusted", std::nullopt, false}}, MarkedUtf8));
    EXPECT_EQ(status["service"], "running");
    EXPECT_EQ(status["auditTrail"], "on");
    EXPECT_EQ(status["installationFolder"], "<C:\\App>");
    EXPECT_EQ(status["lists"]["locked"], (json{{"entries", 2}, {"complete", true}}));
    EXPECT_TRUE(status["lists"]["trusted"]["entries"].is_null());
    const json stopped = json::parse(StatusJson(false, "", false, {}, MarkedUtf8));
    EXPECT_EQ(stopped["service"], "not running");
    EXPECT_EQ(stopped["auditTrail"], "off");
    EXPECT_EQ(json::parse(AuditJson(false, true)), (json{{"command", "audit"}, {"auditTrail", "off"}, {"changed", true}}));
}

TEST(CtlJson, ListGivesTheEntriesInOrderAndWhetherItIsWhole)
{
    const std::string text = ListJson("trusted", {"C:\\B.exe", "C:\\A.exe"}, false, MarkedUtf8);
    EXPECT_EQ(json::parse(text), (json{{"list", "trusted"}, {"complete", false},
                                       {"entries", {"<C:\\B.exe>", "<C:\\A.exe>"}}}));
    // ASCII only, whatever the console's code page: each other character escaped, read back whole.
    const std::string utf8 = "C:\\Donn\xc3\xa9" "es\\\xf0\x9f\x93\x81";
    const std::string ascii = ListJson("locked", {utf8}, true, [](std::string_view text) { return std::string(text); });
    EXPECT_TRUE(std::all_of(ascii.begin(), ascii.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
    EXPECT_NE(ascii.find("C:\\\\Donn\\u00e9es\\\\\\ud83d\\udcc1"), std::string::npos) << ascii;
    EXPECT_EQ(json::parse(ascii)["entries"][0], utf8);
    // A conversion that yields no UTF-8 still gives a document, never an exception.
    const auto broken = [](std::string_view) { return std::string("\xff"); };
    EXPECT_NO_THROW(json::parse(ListJson("locked", {"x"}, true, broken)));
}

}  // namespace
