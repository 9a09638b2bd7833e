// The program's side of the device channel: a single-path request opens and closes the device
// around itself; an enumeration opens it once for all its requests.
#pragma once

#include "driver/core/enumeration.h"
#include "framework/handle.h"

#include <windows.h>

#include <memory>

// Opens the device as every use of the channel does: read and write, synchronous, and by
// default no sharing.
HANDLE OpenVeltrixDevice(DWORD share = 0);

// Sends one path to the driver with a single-path code (IOCTL_LOCK_ADD, IOCTL_LOCK_REMOVE,
// IOCTL_TRUST_ADD, IOCTL_TRUST_REMOVE). Non-zero when the device was opened and the driver
// completed the request. A path that does not convert to UTF-16 (invalid in the ANSI code page,
// or longer than 259 code units) is not sent.
BOOL SendPathRequest(const char* path, DWORD code);

// The enumeration exchange over the real device, opened when constructed and closed when it goes.
class CDeviceEnumeration : public IEnumerationChannel {
public:
    explicit CDeviceEnumeration(DWORD share = 0);

    // FALSE when the device could not be opened (no driver): every request then fails.
    BOOL IsOpen() const { return static_cast<bool>(m_device); }

    bool Request(uint32_t code, LIST_ENUM_RECORD& record) override;
    int ToAnsi(const uint16_t* units, uint32_t count, char* out, int capacity) override;

private:
    CHandle m_device;
};

// One enumeration exchange with IOCTL_LOCK_ENUM or IOCTL_TRUST_ENUM, handing each entry's ANSI
// path to onEntry in the driver's order, skipping entries that yield no path. FALSE when the
// device could not be opened.
BOOL EnumerateDriverList(DWORD code, const std::function<void(const char* path)>& onEntry);

// The device as the lists use it: single-path requests and enumerations. One of the program's two
// seams: the real device unless a test plays the driver.
class IDeviceChannel {
public:
    virtual ~IDeviceChannel() = default;
    virtual BOOL SendPathRequest(const char* path, DWORD code) = 0;
    // nullptr when the device cannot be opened: the driver's lists are then unknown, not empty.
    // share as CreateFile's: a look that must not make another's request fail shares.
    virtual std::unique_ptr<IEnumerationChannel> OpenEnumeration(DWORD share = 0) = 0;
};

// The real device. It holds nothing: every request opens the device for itself.
class CDeviceChannel : public IDeviceChannel {
public:
    BOOL SendPathRequest(const char* path, DWORD code) override;
    std::unique_ptr<IEnumerationChannel> OpenEnumeration(DWORD share = 0) override;
};

// The real device, shared by whoever needs no other.
IDeviceChannel& VeltrixDevice();
