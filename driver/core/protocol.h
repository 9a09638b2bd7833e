/* The device channel between the program and the veltrix driver.
 *
 * One header for both ends: the program (C++) and the stand-in driver (C, kernel mode) include it,
 * so the codes and the record layout cannot drift apart. It needs no <windows.h>. */
#ifndef VELTRIX_DRIVER_PROTOCOL_H
#define VELTRIX_DRIVER_PROTOCOL_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define VTX_STATIC_ASSERT(cond, text) static_assert(cond, text)
#else
#define VTX_STATIC_ASSERT(cond, text) _Static_assert(cond, text)
#endif

/* The same formula as <winioctl.h>, so the header also serves where that is not included. */
#ifndef CTL_CODE
#define CTL_CODE(DeviceType, Function, Method, Access) \
    (((DeviceType) << 16) | ((Access) << 14) | ((Function) << 2) | (Method))
#endif
#ifndef FILE_DEVICE_DISK_FILE_SYSTEM
#define FILE_DEVICE_DISK_FILE_SYSTEM 0x00000008
#endif
#ifndef METHOD_BUFFERED
#define METHOD_BUFFERED 0
#endif
#ifndef FILE_READ_ACCESS
#define FILE_READ_ACCESS 0x0001
#endif

/* Function number 4 is unused by the driver's protocol. */
#define IOCTL_LOCK_ADD     CTL_CODE(FILE_DEVICE_DISK_FILE_SYSTEM, 1, METHOD_BUFFERED, FILE_READ_ACCESS)
#define IOCTL_LOCK_REMOVE  CTL_CODE(FILE_DEVICE_DISK_FILE_SYSTEM, 2, METHOD_BUFFERED, FILE_READ_ACCESS)
#define IOCTL_LOCK_ENUM    CTL_CODE(FILE_DEVICE_DISK_FILE_SYSTEM, 3, METHOD_BUFFERED, FILE_READ_ACCESS)
#define IOCTL_TRUST_ADD    CTL_CODE(FILE_DEVICE_DISK_FILE_SYSTEM, 5, METHOD_BUFFERED, FILE_READ_ACCESS)
#define IOCTL_TRUST_REMOVE CTL_CODE(FILE_DEVICE_DISK_FILE_SYSTEM, 6, METHOD_BUFFERED, FILE_READ_ACCESS)
#define IOCTL_TRUST_ENUM   CTL_CODE(FILE_DEVICE_DISK_FILE_SYSTEM, 7, METHOD_BUFFERED, FILE_READ_ACCESS)

VTX_STATIC_ASSERT(IOCTL_LOCK_ADD == 0x84004, "IOCTL_LOCK_ADD");
VTX_STATIC_ASSERT(IOCTL_LOCK_REMOVE == 0x84008, "IOCTL_LOCK_REMOVE");
VTX_STATIC_ASSERT(IOCTL_LOCK_ENUM == 0x8400C, "IOCTL_LOCK_ENUM");
VTX_STATIC_ASSERT(IOCTL_TRUST_ADD == 0x84014, "IOCTL_TRUST_ADD");
VTX_STATIC_ASSERT(IOCTL_TRUST_REMOVE == 0x84018, "IOCTL_TRUST_REMOVE");
VTX_STATIC_ASSERT(IOCTL_TRUST_ENUM == 0x8401C, "IOCTL_TRUST_ENUM");

/* The user-mode name of the device; the driver creates \Device\veltrix and links
 * \DosDevices\veltrix to it. */
#define VTX_DEVICE_PATH "\\\\.\\veltrix"

/* A path crosses the channel as UTF-16LE code units without a terminating NUL. */
#define VTX_MAX_PATH_UNITS 259
#define VTX_MAX_PATH_BYTES (2 * VTX_MAX_PATH_UNITS)

/* Room for the name in an enumeration answer, in UTF-16 code units. */
#define VTX_ENUM_NAME_UNITS 262

/* Only More and Cursor travel to the driver; the whole record comes back. */
#define VTX_ENUM_INPUT_BYTES 8

/* One record is both the input and the output of an enumeration request. */
typedef struct LIST_ENUM_RECORD {
    uint32_t More;       /* 1 while the driver has at least one further entry */
    uint32_t Cursor;     /* the driver's position, echoed back unchanged */
    uint32_t NameLength; /* code units of Name that form the path */
    uint16_t Name[VTX_ENUM_NAME_UNITS];
} LIST_ENUM_RECORD;

VTX_STATIC_ASSERT(sizeof(LIST_ENUM_RECORD) == 536, "LIST_ENUM_RECORD size");
VTX_STATIC_ASSERT(offsetof(LIST_ENUM_RECORD, More) == 0, "More offset");
VTX_STATIC_ASSERT(offsetof(LIST_ENUM_RECORD, Cursor) == 4, "Cursor offset");
VTX_STATIC_ASSERT(offsetof(LIST_ENUM_RECORD, NameLength) == 8, "NameLength offset");
VTX_STATIC_ASSERT(offsetof(LIST_ENUM_RECORD, Name) == 12, "Name offset");
VTX_STATIC_ASSERT(offsetof(LIST_ENUM_RECORD, NameLength) == VTX_ENUM_INPUT_BYTES,
                  "the enumeration input is the record's first 8 bytes");

#endif
