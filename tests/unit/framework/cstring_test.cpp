#include "framework/cstring.h"

#include <gtest/gtest.h>

#include <string>

TEST(CString, FormatsTextLongerThanAnyFixedBuffer)
{
    const std::string longPart(5000, 'x');
    CString text;
    text.Format("%s\\%s", longPart.c_str(), "unins000.exe");
    EXPECT_EQ(text.GetLength(), 5013);
    EXPECT_EQ(std::string(text).substr(5000), "\\unins000.exe");
}

TEST(CString, BufferFilledByACApiTakesItsLengthFromTheFirstNul)
{
    CString text("old content");
    char* buffer = text.GetBuffer(260);
    buffer[0] = 'C';
    buffer[1] = ':';
    buffer[2] = '\0';
    text.ReleaseBuffer();
    EXPECT_EQ(text, "C:");
    EXPECT_EQ(text.GetLength(), 2);
}

TEST(CString, ComparesBytesExactlyAndCaseSensitively)
{
    EXPECT_TRUE(CString("abc") == "abc");
    EXPECT_FALSE(CString("abc") == "ABC");
    EXPECT_FALSE(CString("abc") == "abc ");
    EXPECT_TRUE(CString() == "");
    EXPECT_TRUE(CString(nullptr).IsEmpty());
}
