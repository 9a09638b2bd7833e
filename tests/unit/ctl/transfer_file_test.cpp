#include "ctl/core/transfer_file.h"

#include <gtest/gtest.h>

namespace {

using Paths = std::vector<std::string>;

TEST(TransferFile, WritesBothSectionsAndReadsThemBack)
{
    const TransferLists lists{{"C:\\A", "C:\\B c"}, {"C:\\T.exe"}};
    const std::string content = TransferFileContent(lists);
    EXPECT_EQ(content, "[locked]\r\nC:\\A\r\nC:\\B c\r\n[trusted]\r\nC:\\T.exe\r\n");
    TransferLists read;
    EXPECT_EQ(ParseTransferFile(content, read), 0u);
    EXPECT_EQ(read.locked, lists.locked);
    EXPECT_EQ(read.trusted, lists.trusted);

    EXPECT_EQ(TransferFileContent({}), "[locked]\r\n[trusted]\r\n");
}

TEST(TransferFile, TakesLineFeedsEmptyLinesAndSectionsInAnyOrder)
{
    TransferLists read;
    EXPECT_EQ(ParseTransferFile("\n[trusted]\nC:\\T.exe\n\r\n[locked]\r\nC:\\A\n[trusted]\nC:\\U.exe", read), 0u);
    EXPECT_EQ(read.locked, Paths{"C:\\A"});
    EXPECT_EQ(read.trusted, (Paths{"C:\\T.exe", "C:\\U.exe"}));
}

TEST(TransferFile, NamesTheFirstLineThatBelongsNowhereAndKeepsNothing)
{
    const struct {
        const char* content;
        size_t line;
    } cases[] = {
        {"C:\\A\r\n[locked]\r\n", 1},
        {"[locked]\r\nC:\\A\r\n\r\n[Locked]\r\nC:\\B\r\n", 4},
        {"[locked]\nC:\\A\n[other]\n", 3},
    };
    for (const auto& c : cases) {
        TransferLists read{{"kept"}, {}};
        EXPECT_EQ(ParseTransferFile(c.content, read), c.line) << c.content;
        EXPECT_EQ(read.locked, Paths{"kept"}) << c.content;
        EXPECT_TRUE(read.trusted.empty()) << c.content;
    }
}

}  // namespace
