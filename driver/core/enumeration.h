// The enumeration exchange that reads one of the driver's lists back, written against a small
// channel interface so that every answer a driver could give can be played in native tests.
#pragma once

#include "driver/core/protocol.h"

#include <functional>

class IEnumerationChannel {
public:
    virtual ~IEnumerationChannel() = default;
    // One request: the record's first 8 bytes go to the driver, all 536 are offered for the
    // answer. false when the request failed.
    virtual bool Request(uint32_t code, LIST_ENUM_RECORD& record) = 0;
    // The entry's name (count code units, count > 0) in the ANSI code page, into out of capacity
    // bytes. Returns the bytes written, at most capacity and without a NUL, or -1 when the name
    // does not convert or does not fit.
    virtual int ToAnsi(const uint16_t* units, uint32_t count, char* out, int capacity) = 0;
};

// A person adds entries one at a time; no real list comes near this many. A driver that keeps
// answering More = 1 (a cursor that never reaches the end) is stopped here, keeping what it sent.
constexpr unsigned kMaxEnumerationAnswers = 65536;

// Runs one exchange with the enumeration code, from More = 0 and Cursor = 0, handing each
// entry's path (a NUL-terminated ANSI string of 1 to 259 bytes) to onEntry in the driver's
// order. An entry that yields no such path (an empty name, a NameLength beyond the record's
// room, a name whose ANSI form is longer than 259 bytes or holds a NUL) is skipped; the exchange
// goes on while the driver says more follow.
void EnumerateList(IEnumerationChannel& channel, uint32_t code,
                   const std::function<void(const char* path)>& onEntry);
