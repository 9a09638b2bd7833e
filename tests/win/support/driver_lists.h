// The driver's two lists reached through the program's own requests, and the played driver: its
// enumeration played from lists in memory (CPlayedEnumeration), its requests recorded. Without the test framework:
// the benchmarks and the screenshots' gallery use them too.
#pragma once

#include "driver/device_channel.h"
#include "tests/unit/played_enumeration.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// One of the driver's lists in its order; empty when the device does not open.
std::vector<std::string> DriverList(DWORD enumCode);
// One removal request per entry, as the program sends them; false when one failed.
bool ClearDriverList(DWORD enumCode, DWORD removeCode);
// One add request per path, in order; false when one failed.
bool FillDriverList(DWORD addCode, const std::vector<std::string>& paths);
// A list file's bytes for these entries, one a line.
std::string ListFileBytes(const std::vector<std::string>& paths);

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

struct PathRequest {
    DWORD code;
    std::string path;
    friend bool operator==(const PathRequest&, const PathRequest&) = default;
};

// Plays the driver for the window or vtxctl it is given to: every single-path request is
// recorded instead of sent and changes these lists as the stand-in driver changes its own (an add
// of a path listed in any letter case keeps the one entry; a remove of one not listed fails);
// the enumerations read them.
class FakeDriver : public IDeviceChannel {
public:
    BOOL SendPathRequest(const char* path, DWORD code) override;
    std::unique_ptr<IEnumerationChannel> OpenEnumeration(DWORD share = 0) override;

    std::vector<std::string> m_locked;
    std::vector<std::string> m_trusted;
    std::vector<PathRequest> m_requests;
    // Paths whose requests the driver does not take (recorded all the same).
    std::vector<std::string> m_refused;
    // Enumeration requests answered, by code.
    std::vector<uint32_t> m_enumerations;
    // The device does not open: neither list can be read.
    bool m_bNoDevice = false;
    // Each enumeration fails after this many answers: a list longer than that is not read whole.
    size_t m_nAnswers = SIZE_MAX;
};
