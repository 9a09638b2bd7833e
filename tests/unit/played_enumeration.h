// The driver's side of an enumeration, played in memory: for the native tests, the fuzz target,
// the tests under Wine and the benchmarks alike. It plays lists as the protocol says (one entry
// an answer, More = 1 while entries follow, the Cursor its own, an empty list fails the first
// request) or any answer a driver could give, and records what the exchange sent.
#pragma once

#include "driver/core/enumeration.h"
#include "driver/core/protocol.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// One answer of the driver.
struct PlayedAnswer {
    bool bSucceeds = true;
    uint32_t more = 0;
    uint32_t cursor = 0;
    std::u16string name;
    // The NameLength the driver claims; by default the name's own length.
    int64_t nameLength = -1;
    // The bytes of the record the driver writes; a short answer leaves the rest as it was.
    size_t bytesWritten = sizeof(LIST_ENUM_RECORD);
};

inline PlayedAnswer PlayedEntry(std::u16string name, uint32_t more, uint32_t cursor)
{
    PlayedAnswer answer;
    answer.more = more;
    answer.cursor = cursor;
    answer.name = std::move(name);
    return answer;
}

inline PlayedAnswer PlayedFailure()
{
    PlayedAnswer answer;
    answer.bSucceeds = false;
    return answer;
}

class CPlayedEnumeration : public IEnumerationChannel {
public:
    // Asked at every request, with the code and the More and Cursor sent, for the answer.
    using Play = std::function<PlayedAnswer(uint32_t code, uint32_t more, uint32_t cursor)>;
    // Asked at every request for the list that the code reads; nullptr fails the request.
    using ListFor = std::function<const std::vector<std::string>*(uint32_t code)>;

    explicit CPlayedEnumeration(Play play) : m_play(std::move(play)) {}
    // These answers in order; a request after the last one fails and is counted.
    explicit CPlayedEnumeration(std::vector<PlayedAnswer> script)
        : m_play([this, script = std::move(script)](uint32_t, uint32_t, uint32_t) {
              if (m_sent.size() > script.size()) {
                  ++m_nBeyondScript;
                  return PlayedFailure();
              }
              return script[m_sent.size() - 1];
          })
    {
    }
    explicit CPlayedEnumeration(ListFor listFor)
        : m_play([listFor = std::move(listFor)](uint32_t code, uint32_t more, uint32_t cursor) {
              const std::vector<std::string>* list = listFor(code);
              const uint32_t position = more == 1 ? cursor : 0;
              if (!list || position >= list->size())
                  return PlayedFailure();
              // One code unit per byte, as ToAnsi gives them back.
              const std::string& name = (*list)[position];
              std::u16string units(name.begin(), name.begin() + std::min<size_t>(name.size(), VTX_ENUM_NAME_UNITS));
              for (char16_t& unit : units)
                  unit = static_cast<unsigned char>(unit);
              return PlayedEntry(std::move(units), position + 1 < list->size() ? 1 : 0, position + 1);
          })
    {
    }
    // One list for every code.
    explicit CPlayedEnumeration(std::vector<std::string> names)
        : CPlayedEnumeration(ListFor([names = std::move(names)](uint32_t) { return &names; }))
    {
    }
    // A script's answers know where the recorded requests are.
    CPlayedEnumeration(const CPlayedEnumeration&) = delete;
    CPlayedEnumeration& operator=(const CPlayedEnumeration&) = delete;

    bool Request(uint32_t code, LIST_ENUM_RECORD& record) override
    {
        m_codes.push_back(code);
        m_sent.emplace_back(record.More, record.Cursor);
        const PlayedAnswer answer = m_play(code, record.More, record.Cursor);
        if (!answer.bSucceeds || m_sent.size() > m_nAnswers)
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
        std::memcpy(&record, &written, std::min(answer.bytesWritten, sizeof written));
        return true;
    }

    // A double-byte code page: one byte for a code unit below 0x100, two for any other; 0xFFFF
    // has no ANSI form.
    int ToAnsi(const uint16_t* units, uint32_t count, char* out, int capacity) override
    {
        m_converted.push_back(count);
        int written = 0;
        for (uint32_t i = 0; i < count; ++i) {
            const int width = units[i] < 0x100 ? 1 : 2;
            if (units[i] == 0xFFFF || written + width > capacity)
                return -1;
            if (width == 2)
                out[written++] = static_cast<char>(0x80 | (units[i] >> 8));
            out[written++] = static_cast<char>(units[i] & 0xFF);
        }
        return written;
    }

    // Every request after this many fails: a list longer than that is not read whole.
    size_t m_nAnswers = SIZE_MAX;
    // What the exchange sent, request by request, and the counts of units it had converted.
    std::vector<uint32_t> m_codes;
    std::vector<std::pair<uint32_t, uint32_t>> m_sent;
    std::vector<uint32_t> m_converted;
    // Requests after the last answer of a script.
    size_t m_nBeyondScript = 0;

private:
    Play m_play;
};
