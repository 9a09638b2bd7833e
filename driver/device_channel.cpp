#include "driver/device_channel.h"

#include "driver/core/protocol.h"

HANDLE OpenVeltrixDevice()
{
    return ::CreateFileA(VTX_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

BOOL SendPathRequest(const char* path, DWORD code)
{
    HANDLE device = OpenVeltrixDevice();
    if (device == INVALID_HANDLE_VALUE)
        return FALSE;
    // The NUL is converted too (source length -1), so n counts it; 0 means the path did not fit
    // the 260 code units or holds bytes invalid in the ANSI code page.
    WCHAR units[VTX_MAX_PATH_UNITS + 1];
    const int n = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, units,
                                        VTX_MAX_PATH_UNITS + 1);
    BOOL result = FALSE;
    if (n > 0) {
        DWORD returned = 0;
        result = ::DeviceIoControl(device, code, units, static_cast<DWORD>(2 * (n - 1)), nullptr, 0,
                                   &returned, nullptr);
    }
    ::CloseHandle(device);
    return result;
}
