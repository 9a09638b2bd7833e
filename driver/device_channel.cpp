#include "driver/device_channel.h"

#include "driver/core/protocol.h"
#include "framework/codepage.h"

static_assert(sizeof(WCHAR) == sizeof(uint16_t), "the record's names are UTF-16 code units");

HANDLE OpenVeltrixDevice(DWORD share)
{
    return ::CreateFileA(VTX_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

BOOL SendPathRequest(const char* path, DWORD code)
{
    const CHandle device(OpenVeltrixDevice());
    if (!device)
        return FALSE;
    // The NUL is converted too (source length -1), so n counts it; 0 means the path did not fit
    // the 260 code units or holds bytes invalid in the ANSI code page, and nothing is sent.
    WCHAR units[VTX_MAX_PATH_UNITS + 1];
    const int n = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, units,
                                        VTX_MAX_PATH_UNITS + 1);
    if (n <= 0)
        return FALSE;
    DWORD returned = 0;
    return ::DeviceIoControl(device.Get(), code, units, static_cast<DWORD>(2 * (n - 1)), nullptr, 0,
                             &returned, nullptr);
}

CDeviceEnumeration::CDeviceEnumeration(DWORD share) : m_device(OpenVeltrixDevice(share)) {}

bool CDeviceEnumeration::Request(uint32_t code, LIST_ENUM_RECORD& record)
{
    if (!m_device)
        return false;
    // The byte count returned is not looked at: a successful answer carries one whole record.
    DWORD returned = 0;
    return ::DeviceIoControl(m_device.Get(), code, &record, VTX_ENUM_INPUT_BYTES, &record,
                             sizeof record, &returned, nullptr) != FALSE;
}

int CDeviceEnumeration::ToAnsi(const uint16_t* units, uint32_t count, char* out, int capacity)
{
    // An explicit count: exactly NameLength units, a NUL the driver counted among them. A name
    // that does not fit fails whole rather than being cut, possibly inside a double-byte
    // character. Nor are decomposed characters composed: the file system takes the name as its
    // units, so a composed spelling would be another path.
    const int written = WideToCodePage(::GetACP(), reinterpret_cast<const WCHAR*>(units), static_cast<int>(count),
                                       out, capacity);
    return written > 0 ? written : -1;
}

BOOL EnumerateDriverList(DWORD code, const std::function<void(const char* path)>& onEntry)
{
    CDeviceEnumeration channel;
    if (!channel.IsOpen())
        return FALSE;
    EnumerateList(channel, code, [&](const char* path) {
        onEntry(path);
        return true;
    });
    return TRUE;
}

BOOL CDeviceChannel::SendPathRequest(const char* path, DWORD code)
{
    return ::SendPathRequest(path, code);
}

std::unique_ptr<IEnumerationChannel> CDeviceChannel::OpenEnumeration(DWORD share)
{
    auto channel = std::make_unique<CDeviceEnumeration>(share);
    if (!channel->IsOpen())
        return nullptr;
    return channel;
}

IDeviceChannel& VeltrixDevice()
{
    static CDeviceChannel device;
    return device;
}
