#include "driver/install_dir_key.h"

#include "driver/core/install_dir.h"
#include "driver/core/service_name.h"
#include "framework/handle.h"

std::optional<std::string> ReadServiceInstallDir()
{
    CRegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return std::nullopt;
    char data[kInstallDirValueBytes] = {};
    DWORD size = sizeof data;
    if (::RegQueryValueExA(key.Get(), "vtxapp", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return InstallDirFromValue(data, size);
}
