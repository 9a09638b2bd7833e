#include "lists/core/list_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ListFileFormat, EachPathIsOneCrLfLineInOrderWithNothingElse)
{
    std::string content;
    AppendListFileLine(content, "C:\\Data\\Secret");
    AppendListFileLine(content, "D:\\My Files\\plan.doc");
    EXPECT_EQ(content, "C:\\Data\\Secret\r\nD:\\My Files\\plan.doc\r\n");
}

// No header, mark or trailer around the lines: an empty list gives an empty file (as
// ListFiles.TwoEmptyListsGiveTwoEmptyFiles sees it written under Wine).
TEST(ListFileFormat, TheLinesAloneWithAnEmptyEntryStillALine)
{
    EXPECT_EQ(ListFileContent({}), "");
    EXPECT_EQ(ListFileContent({""}), "\r\n") << "an entry is a line even when its text is empty";
    EXPECT_EQ(ListFileContent({"", "C:\\x"}), "\r\nC:\\x\r\n");
}

TEST(ListFileFormat, AnsiBytesAndBlanksGoOutUnchanged)
{
    // Code page 1252 "é" and a code page 932 character whose trail byte is a backslash.
    const std::string path = "C:\\Caf\xE9 \x83\x5C\\ \\x";
    std::string content;
    AppendListFileLine(content, path);
    EXPECT_EQ(content, path + "\r\n");
    EXPECT_EQ(content.size(), path.size() + 2);
}

}  // namespace
