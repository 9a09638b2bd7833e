#include "driver/core/install_dir.h"

#include <cstring>

std::optional<std::string> InstallDirFromValue(const char* data, size_t size)
{
    if (size > kInstallDirValueBytes)
        return std::nullopt;
    const void* nul = std::memchr(data, '\0', size);
    if (nul)
        return std::string(data, static_cast<const char*>(nul) - data);
    // A string stored without its terminator still ends where its data end, unless the data
    // fill the whole buffer: then there is no room for the terminator the program relies on.
    if (size == kInstallDirValueBytes)
        return std::nullopt;
    return std::string(data, size);
}
