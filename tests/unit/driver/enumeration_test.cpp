// The enumeration exchange against drivers played from a script: well-behaved ones and ones that
// answer what no real driver should.
#include "driver/core/enumeration.h"
#include "tests/unit/played_enumeration.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// The entries handed over; whole tells whether the exchange counted the list as read whole.
std::vector<std::string> Enumerate(CPlayedEnumeration& channel, uint32_t code = IOCTL_LOCK_ENUM,
                                   bool* whole = nullptr)
{
    std::vector<std::string> entries;
    const bool read = EnumerateList(channel, code, [&](const char* path) {
        entries.emplace_back(path);
        return true;
    });
    EXPECT_EQ(channel.m_nBeyondScript, 0u) << "request after the last answer";
    if (whole)
        *whole = read;
    return entries;
}

std::vector<std::string> EnumerateIncomplete(CPlayedEnumeration& channel)
{
    bool whole = true;
    std::vector<std::string> entries = Enumerate(channel, IOCTL_LOCK_ENUM, &whole);
    EXPECT_FALSE(whole) << "the list counts as read whole";
    return entries;
}

using Sent = std::vector<std::pair<uint32_t, uint32_t>>;

} // namespace

TEST(Enumeration, StartsFromZeroThenEchoesMoreAndCursorUnchanged)
{
    CPlayedEnumeration channel({PlayedEntry(u"C:\\a", 1, 7), PlayedEntry(u"C:\\b", 1, 0xFFFFFFFF),
                              PlayedEntry(u"C:\\c", 1, 0), PlayedEntry(u"C:\\d", 0, 99)});
    bool whole = false;
    EXPECT_EQ(Enumerate(channel, IOCTL_TRUST_ENUM, &whole),
              (std::vector<std::string>{"C:\\a", "C:\\b", "C:\\c", "C:\\d"}));
    EXPECT_TRUE(whole);
    EXPECT_EQ(channel.m_sent, (Sent{{0, 0}, {1, 7}, {1, 0xFFFFFFFF}, {1, 0}}));
    EXPECT_EQ(channel.m_codes, std::vector<uint32_t>(4, IOCTL_TRUST_ENUM));
}

TEST(Enumeration, AnswerWhoseMoreIsNotOneStillCountsAndIsTheLast)
{
    for (uint32_t more : {0u, 2u, 0xFFFFFFFFu}) {
        CPlayedEnumeration channel({PlayedEntry(u"C:\\first", 1, 1), PlayedEntry(u"C:\\last", more, 2)});
        EXPECT_EQ(Enumerate(channel), (std::vector<std::string>{"C:\\first", "C:\\last"}))
            << "More = " << more;
        EXPECT_EQ(channel.m_sent.size(), 2u) << "More = " << more;
    }
}

TEST(Enumeration, FailedFirstRequestIsAnEmptyListReadWhole)
{
    CPlayedEnumeration empty({PlayedFailure()});
    bool whole = false;
    EXPECT_TRUE(Enumerate(empty, IOCTL_LOCK_ENUM, &whole).empty());
    EXPECT_TRUE(whole);
    EXPECT_EQ(empty.m_sent, (Sent{{0, 0}}));
}

TEST(Enumeration, FailureAfterMoreEndsTheExchangeKeepingEarlierEntriesAsIncomplete)
{
    CPlayedEnumeration broken({PlayedEntry(u"C:\\a", 1, 1), PlayedEntry(u"C:\\b", 1, 2), PlayedFailure()});
    EXPECT_EQ(EnumerateIncomplete(broken), (std::vector<std::string>{"C:\\a", "C:\\b"}));
    EXPECT_EQ(broken.m_sent.size(), 3u);
}

TEST(Enumeration, NameLengthBeyondTheRecordIsSkippedUnreadAndTheExchangeGoesOn)
{
    PlayedAnswer past = PlayedEntry(u"C:\\x", 1, 1);
    past.nameLength = VTX_ENUM_NAME_UNITS + 1;
    PlayedAnswer huge = PlayedEntry(u"C:\\y", 1, 2);
    huge.nameLength = 0xFFFFFFFF;
    CPlayedEnumeration channel({past, huge, PlayedEntry(u"C:\\z", 0, 3)});
    EXPECT_EQ(EnumerateIncomplete(channel), (std::vector<std::string>{"C:\\z"}));
    EXPECT_EQ(channel.m_converted, (std::vector<uint32_t>{4}));
}

TEST(Enumeration, NameWhoseAnsiFormExceeds259BytesIsSkippedAndTheListIsIncomplete)
{
    const std::u16string longest = u"C:\\" + std::u16string(VTX_MAX_PATH_UNITS - 3, u'a');
    // The record's whole room, no terminator anywhere: 262 bytes in ANSI.
    const std::u16string full(VTX_ENUM_NAME_UNITS, u'b');
    // 130 double-byte characters: 130 code units, 260 ANSI bytes.
    const std::u16string wide(130, u'\x8868');
    // 129 of them and one more single-byte character: 259 bytes, which fit.
    const std::u16string wideFits = std::u16string(129, u'\x8868') + u'c';
    CPlayedEnumeration channel({PlayedEntry(longest, 1, 1), PlayedEntry(full, 1, 2), PlayedEntry(wide, 1, 3),
                              PlayedEntry(wideFits, 0, 4)});
    const std::vector<std::string> entries = EnumerateIncomplete(channel);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], "C:\\" + std::string(VTX_MAX_PATH_UNITS - 3, 'a'));
    EXPECT_EQ(entries[1].size(), 259u);
    EXPECT_EQ(entries[1].back(), 'c');
}

TEST(Enumeration, ANulInTheNameEndsThePathSoNamesThatCountTheirNulAreKept)
{
    const char16_t withNul[] = {u'C', u':', u'\\', u'a', 0, u'b'};
    // 259 characters and the NUL: 260 units, which fill the path buffer exactly.
    const std::u16string longest = u"C:\\" + std::u16string(VTX_MAX_PATH_UNITS - 3, u'a') + u'\0';
    CPlayedEnumeration channel({PlayedEntry(std::u16string(u"C:\\x") + u'\0', 1, 1),
                              PlayedEntry(std::u16string(withNul, 6), 1, 2), PlayedEntry(longest, 0, 3)});
    bool whole = false;
    EXPECT_EQ(Enumerate(channel, IOCTL_LOCK_ENUM, &whole),
              (std::vector<std::string>{"C:\\x", "C:\\a",
                                        "C:\\" + std::string(VTX_MAX_PATH_UNITS - 3, 'a')}));
    EXPECT_TRUE(whole);
}

TEST(Enumeration, EntriesWithoutAPathAreSkippedAndTheListIsIncomplete)
{
    CPlayedEnumeration channel({PlayedEntry(u"", 1, 1), PlayedEntry(std::u16string(1, u'\0'), 1, 2),
                              PlayedEntry(u"C:\\kept", 0, 3)});
    EXPECT_EQ(EnumerateIncomplete(channel), (std::vector<std::string>{"C:\\kept"}));
    EXPECT_EQ(channel.m_sent.size(), 3u);
}

TEST(Enumeration, ShortOrCutAnswersNeverRepeatOrSpliceThePreviousName)
{
    // Only More and Cursor come back: no name at all, not the previous entry again.
    PlayedAnswer bare = PlayedEntry(u"", 1, 2);
    bare.bytesWritten = VTX_ENUM_INPUT_BYTES;
    // NameLength claims 12 units, but the answer stops after four of them.
    PlayedAnswer cut = PlayedEntry(u"C:\\b", 0, 3);
    cut.nameLength = 12;
    cut.bytesWritten = offsetof(LIST_ENUM_RECORD, Name) + 4 * sizeof(uint16_t);
    CPlayedEnumeration channel({PlayedEntry(u"C:\\Windows\\x", 1, 1), bare, cut});
    EXPECT_EQ(EnumerateIncomplete(channel), (std::vector<std::string>{"C:\\Windows\\x", "C:\\b"}));
    EXPECT_EQ(channel.m_sent, (Sent{{0, 0}, {1, 1}, {1, 2}})) << "More and Cursor still travel on";
}

TEST(Enumeration, AnEntryItsListRefusesMakesTheListIncompleteAndTheExchangeGoesOn)
{
    CPlayedEnumeration channel({PlayedEntry(u"C:\\a", 1, 1), PlayedEntry(u"C:\\no", 1, 2), PlayedEntry(u"C:\\c", 0, 3)});
    std::vector<std::string> kept;
    const bool whole = EnumerateList(channel, IOCTL_LOCK_ENUM, [&](const char* path) {
        if (std::string(path) == "C:\\no")
            return false;
        kept.emplace_back(path);
        return true;
    });
    EXPECT_FALSE(whole);
    EXPECT_EQ(kept, (std::vector<std::string>{"C:\\a", "C:\\c"}));
    EXPECT_EQ(channel.m_nBeyondScript, 0u);
}

TEST(Enumeration, DriverThatAlwaysSaysMoreIsStoppedAtTheBound)
{
    // A driver whose cursor never reaches the end: every answer says another entry follows.
    CPlayedEnumeration channel([](uint32_t, uint32_t, uint32_t) { return PlayedEntry(u"C:\\a", 1, 5); });
    unsigned entries = 0;
    EXPECT_FALSE(EnumerateList(channel, IOCTL_LOCK_ENUM, [&](const char*) {
        ++entries;
        return true;
    })) << "a list cut at the bound is not whole";
    EXPECT_EQ(channel.m_sent.size(), kMaxEnumerationAnswers);
    EXPECT_EQ(entries, kMaxEnumerationAnswers);
}
