// The enumeration exchange against drivers played from a script: well-behaved ones and ones that
// answer what no real driver should.
#include "driver/core/enumeration.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Answer {
    bool bSucceeds = true;
    uint32_t more = 0;
    uint32_t cursor = 0;
    std::u16string name;
    // The NameLength the driver claims; by default the name's own length.
    int64_t nameLength = -1;
    // The bytes of the record the driver writes; a short answer leaves the rest as it was.
    size_t bytesWritten = sizeof(LIST_ENUM_RECORD);
};

Answer Entry(std::u16string name, uint32_t more, uint32_t cursor)
{
    Answer answer;
    answer.more = more;
    answer.cursor = cursor;
    answer.name = std::move(name);
    return answer;
}

Answer Failure()
{
    Answer answer;
    answer.bSucceeds = false;
    return answer;
}

// Plays a list of answers and records what the exchange sent. Its "ANSI code page" gives one byte
// for a code unit below 0x100 and two for any other, as a double-byte code page does.
class CScriptedChannel : public IEnumerationChannel {
public:
    explicit CScriptedChannel(std::vector<Answer> script) : m_script(std::move(script)) {}

    bool Request(uint32_t code, LIST_ENUM_RECORD& record) override
    {
        m_codes.push_back(code);
        m_sent.emplace_back(record.More, record.Cursor);
        if (m_next == m_script.size()) {
            ADD_FAILURE() << "request after the last answer";
            return false;
        }
        const Answer& answer = m_script[m_next++];
        if (!answer.bSucceeds)
            return false;
        // What lies beyond the name is not to be relied on.
        LIST_ENUM_RECORD written;
        std::memset(&written, 0xA5, sizeof written);
        written.More = answer.more;
        written.Cursor = answer.cursor;
        written.NameLength = answer.nameLength >= 0 ? static_cast<uint32_t>(answer.nameLength)
                                                    : static_cast<uint32_t>(answer.name.size());
        std::memcpy(written.Name, answer.name.data(),
                    std::min(answer.name.size(), std::size(written.Name)) * sizeof(char16_t));
        std::memcpy(&record, &written, answer.bytesWritten);
        return true;
    }

    int ToAnsi(const uint16_t* units, uint32_t count, char* out, int capacity) override
    {
        m_converted.push_back(count);
        int written = 0;
        for (uint32_t i = 0; i < count; ++i) {
            const int width = units[i] < 0x100 ? 1 : 2;
            if (written + width > capacity)
                return -1;
            if (width == 2)
                out[written++] = static_cast<char>(0x80 | (units[i] >> 8));
            out[written++] = static_cast<char>(units[i] & 0xFF);
        }
        return written;
    }

    std::vector<uint32_t> m_codes;
    std::vector<std::pair<uint32_t, uint32_t>> m_sent;
    std::vector<uint32_t> m_converted;

private:
    std::vector<Answer> m_script;
    size_t m_next = 0;
};

// The entries handed over; whole tells whether the exchange counted the list as read whole.
std::vector<std::string> Enumerate(IEnumerationChannel& channel, uint32_t code = IOCTL_LOCK_ENUM,
                                   bool* whole = nullptr)
{
    std::vector<std::string> entries;
    const bool read = EnumerateList(channel, code, [&](const char* path) {
        entries.emplace_back(path);
        return true;
    });
    if (whole)
        *whole = read;
    return entries;
}

std::vector<std::string> EnumerateIncomplete(IEnumerationChannel& channel)
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
    CScriptedChannel channel({Entry(u"C:\\a", 1, 7), Entry(u"C:\\b", 1, 0xFFFFFFFF),
                              Entry(u"C:\\c", 1, 0), Entry(u"C:\\d", 0, 99)});
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
        CScriptedChannel channel({Entry(u"C:\\first", 1, 1), Entry(u"C:\\last", more, 2)});
        EXPECT_EQ(Enumerate(channel), (std::vector<std::string>{"C:\\first", "C:\\last"}))
            << "More = " << more;
        EXPECT_EQ(channel.m_sent.size(), 2u) << "More = " << more;
    }
}

TEST(Enumeration, FailedFirstRequestIsAnEmptyListReadWhole)
{
    CScriptedChannel empty({Failure()});
    bool whole = false;
    EXPECT_TRUE(Enumerate(empty, IOCTL_LOCK_ENUM, &whole).empty());
    EXPECT_TRUE(whole);
    EXPECT_EQ(empty.m_sent, (Sent{{0, 0}}));
}

TEST(Enumeration, FailureAfterMoreEndsTheExchangeKeepingEarlierEntriesAsIncomplete)
{
    CScriptedChannel broken({Entry(u"C:\\a", 1, 1), Entry(u"C:\\b", 1, 2), Failure()});
    EXPECT_EQ(EnumerateIncomplete(broken), (std::vector<std::string>{"C:\\a", "C:\\b"}));
    EXPECT_EQ(broken.m_sent.size(), 3u);
}

TEST(Enumeration, NameLengthBeyondTheRecordIsSkippedUnreadAndTheExchangeGoesOn)
{
    Answer past = Entry(u"C:\\x", 1, 1);
    past.nameLength = VTX_ENUM_NAME_UNITS + 1;
    Answer huge = Entry(u"C:\\y", 1, 2);
    huge.nameLength = 0xFFFFFFFF;
    CScriptedChannel channel({past, huge, Entry(u"C:\\z", 0, 3)});
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
    CScriptedChannel channel({Entry(longest, 1, 1), Entry(full, 1, 2), Entry(wide, 1, 3),
                              Entry(wideFits, 0, 4)});
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
    CScriptedChannel channel({Entry(std::u16string(u"C:\\x") + u'\0', 1, 1),
                              Entry(std::u16string(withNul, 6), 1, 2), Entry(longest, 0, 3)});
    bool whole = false;
    EXPECT_EQ(Enumerate(channel, IOCTL_LOCK_ENUM, &whole),
              (std::vector<std::string>{"C:\\x", "C:\\a",
                                        "C:\\" + std::string(VTX_MAX_PATH_UNITS - 3, 'a')}));
    EXPECT_TRUE(whole);
}

TEST(Enumeration, EntriesWithoutAPathAreSkippedAndTheListIsIncomplete)
{
    CScriptedChannel channel({Entry(u"", 1, 1), Entry(std::u16string(1, u'\0'), 1, 2),
                              Entry(u"C:\\kept", 0, 3)});
    EXPECT_EQ(EnumerateIncomplete(channel), (std::vector<std::string>{"C:\\kept"}));
    EXPECT_EQ(channel.m_sent.size(), 3u);
}

TEST(Enumeration, ShortOrCutAnswersNeverRepeatOrSpliceThePreviousName)
{
    // Only More and Cursor come back: no name at all, not the previous entry again.
    Answer bare = Entry(u"", 1, 2);
    bare.bytesWritten = VTX_ENUM_INPUT_BYTES;
    // NameLength claims 12 units, but the answer stops after four of them.
    Answer cut = Entry(u"C:\\b", 0, 3);
    cut.nameLength = 12;
    cut.bytesWritten = offsetof(LIST_ENUM_RECORD, Name) + 4 * sizeof(uint16_t);
    CScriptedChannel channel({Entry(u"C:\\Windows\\x", 1, 1), bare, cut});
    EXPECT_EQ(EnumerateIncomplete(channel), (std::vector<std::string>{"C:\\Windows\\x", "C:\\b"}));
    EXPECT_EQ(channel.m_sent, (Sent{{0, 0}, {1, 1}, {1, 2}})) << "More and Cursor still travel on";
}

TEST(Enumeration, AnEntryItsListRefusesMakesTheListIncompleteAndTheExchangeGoesOn)
{
    CScriptedChannel channel({Entry(u"C:\\a", 1, 1), Entry(u"C:\\no", 1, 2), Entry(u"C:\\c", 0, 3)});
    std::vector<std::string> kept;
    const bool whole = EnumerateList(channel, IOCTL_LOCK_ENUM, [&](const char* path) {
        if (std::string(path) == "C:\\no")
            return false;
        kept.emplace_back(path);
        return true;
    });
    EXPECT_FALSE(whole);
    EXPECT_EQ(kept, (std::vector<std::string>{"C:\\a", "C:\\c"}));
}

namespace {

// A driver whose cursor never reaches the end: every answer says another entry follows.
class CEndlessChannel : public IEnumerationChannel {
public:
    bool Request(uint32_t, LIST_ENUM_RECORD& record) override
    {
        ++m_requests;
        record.More = 1;
        record.Cursor = 5;
        record.NameLength = 4;
        std::memcpy(record.Name, u"C:\\a", 8);
        return true;
    }
    int ToAnsi(const uint16_t*, uint32_t, char* out, int) override
    {
        std::memcpy(out, "C:\\a", 4);
        return 4;
    }
    unsigned m_requests = 0;
};

} // namespace

TEST(Enumeration, DriverThatAlwaysSaysMoreIsStoppedAtTheBound)
{
    CEndlessChannel channel;
    unsigned entries = 0;
    EXPECT_FALSE(EnumerateList(channel, IOCTL_LOCK_ENUM, [&](const char*) {
        ++entries;
        return true;
    })) << "a list cut at the bound is not whole";
    EXPECT_EQ(channel.m_requests, kMaxEnumerationAnswers);
    EXPECT_EQ(entries, kMaxEnumerationAnswers);
}
