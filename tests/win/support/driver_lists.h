// The driver's two lists reached through the program's own requests, and a driver's enumeration
// answered from lists in memory. Without the test framework: the benchmarks use them too.
#pragma once

#include "driver/core/enumeration.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// One of the driver's lists in its order; empty when the device does not open.
std::vector<std::string> DriverList(DWORD enumCode);
// One removal request per entry, as the program sends them; false when one failed.
bool ClearDriverList(DWORD enumCode, DWORD removeCode);
// One add request per path, in order; false when one failed.
bool FillDriverList(DWORD addCode, const std::vector<std::string>& paths);

// Both of the driver's lists are emptied while the object lives; what they held comes back, in
// its order, when it goes.
class CEmptiedDriverLists {
public:
    CEmptiedDriverLists();
    ~CEmptiedDriverLists();
    CEmptiedDriverLists(const CEmptiedDriverLists&) = delete;
    CEmptiedDriverLists& operator=(const CEmptiedDriverLists&) = delete;

private:
    std::vector<std::string> m_locked;
    std::vector<std::string> m_trusted;
};

// Answers as the driver's protocol says: one entry an answer, More = 1 while entries follow, the
// Cursor its own; an empty list fails the first request. listFor is asked at every request for
// the list that the code reads (nullptr fails the request).
class CPlayedEnumeration : public IEnumerationChannel {
public:
    using ListFor = std::function<const std::vector<std::string>*(uint32_t code)>;
    explicit CPlayedEnumeration(ListFor listFor) : m_listFor(std::move(listFor)) {}

    bool Request(uint32_t code, LIST_ENUM_RECORD& record) override;
    int ToAnsi(const uint16_t* units, uint32_t count, char* out, int capacity) override;

private:
    ListFor m_listFor;
};
