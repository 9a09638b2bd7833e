// vtxlists
//
// Prints both lists as the driver holds them, read with the program's own enumeration exchange:
// the locked list, then the trusted list, one path a line. For the demo, which shows what a run
// of the program left in the driver. Exits with 1 when the device cannot be opened.
#include "driver/core/protocol.h"
#include "driver/device_channel.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool ReadList(DWORD code, std::vector<std::string>& paths)
{
    return EnumerateDriverList(code, [&paths](const char* path) { paths.emplace_back(path); });
}

void PrintList(const char* title, const std::vector<std::string>& paths)
{
    std::printf("%s:\n", title);
    for (const std::string& path : paths)
        std::printf("  %s\n", path.c_str());
    if (paths.empty())
        std::printf("  (empty)\n");
}

}  // namespace

int main()
{
    std::vector<std::string> locked;
    std::vector<std::string> trusted;
    if (!ReadList(IOCTL_LOCK_ENUM, locked) || !ReadList(IOCTL_TRUST_ENUM, trusted)) {
        std::fprintf(stderr, "vtxlists: cannot open the device %s (is the service running?)\n",
                     VTX_DEVICE_PATH);
        return 1;
    }
    PrintList("locked list in the driver", locked);
    PrintList("trusted list in the driver", trusted);
    return 0;
}
