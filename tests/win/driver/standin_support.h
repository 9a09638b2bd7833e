// What the tests of the device channel need around the stand-in driver: its service, raw
// requests as any client could send them, and a fixture that gives every test two empty lists
// and puts back what it found.
#pragma once

#include "driver/core/protocol.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

struct RawResult {
    BOOL bOk;
    DWORD dwError;    // GetLastError() after a failure
    DWORD dwReturned; // the byte count the request reported
};

// One DeviceIoControl on a device opened for it as the program opens it.
RawResult RawRequest(DWORD code, const void* input, DWORD inputLength, void* output,
                     DWORD outputLength);
// A single-path request carrying path's code units, without a NUL.
RawResult SendUnits(DWORD code, const std::wstring& path);
// A whole enumeration over one device handle, echoing More and Cursor; the names as the driver
// sent them.
std::vector<std::wstring> ReadList(DWORD enumCode);

struct ListCodes {
    DWORD dwAdd;
    DWORD dwRemove;
    DWORD dwEnum;
    const char* name;
};
// Names the list in test output.
inline void PrintTo(const ListCodes& list, std::ostream* os)
{
    *os << list.name;
}
extern const ListCodes g_lockedList;
extern const ListCodes g_trustedList;

// Every test starts with both of the driver's lists empty and the service running; whatever the
// lists held before comes back afterwards, in its order, also when the test failed.
class StandinTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    std::vector<std::wstring> m_savedLocked;
    std::vector<std::wstring> m_savedTrusted;
};
