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
    // bytes. Returns the bytes written (a NUL the driver counted in the name is converted like
    // any unit), at most capacity, or -1 when the name does not convert or does not fit.
    virtual int ToAnsi(const uint16_t* units, uint32_t count, char* out, int capacity) = 0;
};

// A person adds entries one at a time; no real list comes near this many. A driver that keeps
// answering More = 1 (a cursor that never reaches the end) is stopped here, keeping what it sent.
constexpr unsigned kMaxEnumerationAnswers = 65536;

// Runs one exchange with the enumeration code, from More = 0 and Cursor = 0, handing each
// entry's path (a NUL-terminated ANSI string of 1 to 259 bytes; a NUL in the name ends it) to
// onEntry in the driver's order. onEntry returns false for a path its list cannot hold.
//
// Returns true when the list was read whole: the driver said the last entry was the last, or
// failed the very first request (its way of answering an empty list). false when a request
// failed after an answer that announced more, the bound on answers was reached, or an entry was
// skipped (no path in it, or onEntry refused it): then what was handed over is only part of the
// driver's list.
bool EnumerateList(IEnumerationChannel& channel, uint32_t code,
                   const std::function<bool(const char* path)>& onEntry);
