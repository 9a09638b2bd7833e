#include "lists/core/dropped_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// The whole literal, embedded NULs included, without the literal's own terminator.
template <size_t N>
std::u16string List(const char16_t (&text)[N])
{
    return std::u16string(text, N - 1);
}

std::vector<unsigned char> Block(const std::u16string& list, bool wide, uint32_t listOffset = kDropFilesHeaderSize)
{
    std::vector<unsigned char> block(listOffset, 0);
    for (int i = 0; i < 4; ++i)
        block[kDropFilesListOffsetField + i] = static_cast<unsigned char>(listOffset >> (8 * i));
    if (listOffset >= kDropFilesHeaderSize)
        block[kDropFilesWideField] = wide ? 1 : 0;
    for (char16_t c : list) {
        block.push_back(static_cast<unsigned char>(c));
        if (wide)
            block.push_back(static_cast<unsigned char>(c >> 8));
    }
    return block;
}

bool Readable(const std::vector<unsigned char>& block)
{
    // An exact-size heap copy, so that the sanitizer sees any read past the block.
    std::vector<unsigned char> exact(block);
    exact.shrink_to_fit();
    return IsReadableFileList(exact.data(), exact.size());
}

TEST(DroppedFiles, AListEndingInsideTheBlockIsReadable)
{
    const std::u16string list = List(u"C:\\a\0C:\\b c\0\0");
    EXPECT_TRUE(Readable(Block(list, false)));
    EXPECT_TRUE(Readable(Block(list, true)));
    EXPECT_TRUE(Readable(Block(List(u"\0\0"), true))) << "an empty list";
    EXPECT_TRUE(Readable(Block(List(u"C:\\a\0\0"), false, 24))) << "a list further on";
    // UTF-16 characters with a zero byte are no terminators.
    EXPECT_TRUE(Readable(Block(List(u"C:\\\u0100\u2000\0\0"), true)));
}

TEST(DroppedFiles, AListThatRunsOffTheBlockOrAHeaderCutShortIsNot)
{
    EXPECT_FALSE(Readable(Block(List(u"C:\\a\0C:\\b"), false))) << "no end";
    EXPECT_FALSE(Readable(Block(List(u"C:\\a\0"), true))) << "one NUL only";
    EXPECT_FALSE(Readable(Block(List(u"\0"), false)));
    EXPECT_FALSE(Readable(Block(u"", false)));
    EXPECT_FALSE(Readable(std::vector<unsigned char>(kDropFilesHeaderSize - 1, 0)));
    EXPECT_FALSE(IsReadableFileList(nullptr, 0));

    std::vector<unsigned char> beyond = Block(List(u"C:\\a\0\0"), false);
    beyond[0] = static_cast<unsigned char>(beyond.size() + 1);
    EXPECT_FALSE(Readable(beyond)) << "the list starts after the block";
    beyond[0] = 0xFF;
    beyond[3] = 0xFF;
    EXPECT_FALSE(Readable(beyond));

    // A wide list whose last character is cut in half.
    std::vector<unsigned char> odd = Block(List(u"C:\\a\0"), true);
    odd.push_back(0);
    EXPECT_FALSE(Readable(odd));
}

}  // namespace
