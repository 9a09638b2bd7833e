// The program's side of the device channel: one request per call, the device opened and closed
// around it.
#pragma once

#include <windows.h>

// Sends one path to the driver with a single-path code (IOCTL_LOCK_ADD, IOCTL_LOCK_REMOVE,
// IOCTL_TRUST_ADD, IOCTL_TRUST_REMOVE). Non-zero when the device was opened and the driver
// completed the request. A path that does not convert to UTF-16 (invalid in the ANSI code page,
// or longer than 259 code units) is not sent.
BOOL SendPathRequest(const char* path, DWORD code);

// Opens the device as every use of the channel does: read and write, no sharing, synchronous.
HANDLE OpenVeltrixDevice();
