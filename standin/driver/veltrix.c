/* The stand-in for the veltrix file-system filter driver: the driver's end of the device channel,
 * for tests and the demo. It keeps the locked and the trusted list, adds, removes and enumerates
 * them, and checks every buffer it is given. It enforces nothing.
 *
 * At start it loads both lists from the list files in the installation folder named by the
 * service key's value for it, so that a restart keeps the lists as a real driver would. A test can
 * make it answer enumerations as other drivers do (standin_modes.h). */
#include <ddk/ntddk.h>

#include "driver/core/names.h"
#include "driver/core/protocol.h"
#include "standin/driver/standin_modes.h"

/* "Vltx" in a pool dump. */
#define VTX_POOL_TAG 0x78746C56u

/* Far more than anyone locks by hand, and small enough that a client adding in a loop cannot
 * exhaust the pool. */
#define VTX_LIST_CAPACITY 4096

/* A line of a list file: at most 259 ANSI bytes, then CR LF. */
#define VTX_MAX_LINE_BYTES VTX_MAX_PATH_UNITS

/* The installation folder is a path; anything longer than this is not one we can open anyway. */
#define VTX_MAX_FOLDER_UNITS 4096

#define VTX_READ_CHUNK 4096

typedef struct VTX_ENTRY {
    ULONG Units;
    WCHAR Name[VTX_MAX_PATH_UNITS];
} VTX_ENTRY;

/* Entries in the order of adding; a remove closes the gap so the order stays. */
typedef struct VTX_LIST {
    VTX_ENTRY* Entries[VTX_LIST_CAPACITY];
    ULONG Count;
} VTX_LIST;

static VTX_LIST g_listLocked;
static VTX_LIST g_listTrusted;
/* Requests from several processes may be dispatched on several threads. */
static FAST_MUTEX g_mutexLists;
static PDEVICE_OBJECT g_pDevice;
/* Read once at start; VTX_MODE_DEFAULT unless a test asked for another. */
static ULONG g_mode = VTX_MODE_DEFAULT;

static const WCHAR g_szDeviceName[] = L"\\Device\\veltrix";
static const WCHAR g_szLinkName[] = L"\\DosDevices\\veltrix";

DRIVER_INITIALIZE DriverEntry;

/* ---- lists ------------------------------------------------------------------------------- */

static BOOLEAN IsSamePath(const VTX_ENTRY* entry, const WCHAR* units, ULONG count)
{
    ULONG i;
    if (entry->Units != count)
        return FALSE;
    for (i = 0; i < count; ++i) {
        if (RtlUpcaseUnicodeChar(entry->Name[i]) != RtlUpcaseUnicodeChar(units[i]))
            return FALSE;
    }
    return TRUE;
}

static LONG FindEntry(const VTX_LIST* list, const WCHAR* units, ULONG count)
{
    ULONG i;
    for (i = 0; i < list->Count; ++i) {
        if (IsSamePath(list->Entries[i], units, count))
            return (LONG)i;
    }
    return -1;
}

/* A path already present (in any letter case) keeps its one entry, in the form first added:
 * the program sends back exactly what enumeration returned. */
static NTSTATUS AddEntry(VTX_LIST* list, const WCHAR* units, ULONG count)
{
    VTX_ENTRY* entry;
    if (FindEntry(list, units, count) >= 0)
        return STATUS_SUCCESS;
    if (list->Count == VTX_LIST_CAPACITY)
        return STATUS_INSUFFICIENT_RESOURCES;
    entry = (VTX_ENTRY*)ExAllocatePoolWithTag(PagedPool, sizeof(VTX_ENTRY), VTX_POOL_TAG);
    if (entry == NULL)
        return STATUS_INSUFFICIENT_RESOURCES;
    entry->Units = count;
    RtlCopyMemory(entry->Name, units, count * sizeof(WCHAR));
    list->Entries[list->Count++] = entry;
    return STATUS_SUCCESS;
}

static NTSTATUS RemoveEntry(VTX_LIST* list, const WCHAR* units, ULONG count)
{
    ULONG i;
    const LONG found = FindEntry(list, units, count);
    if (found < 0)
        return STATUS_NOT_FOUND;
    ExFreePoolWithTag(list->Entries[found], VTX_POOL_TAG);
    for (i = (ULONG)found; i + 1 < list->Count; ++i)
        list->Entries[i] = list->Entries[i + 1];
    list->Entries[--list->Count] = NULL;
    return STATUS_SUCCESS;
}

static void WriteName(LIST_ENUM_RECORD* record, const WCHAR* units, ULONG count)
{
    RtlCopyMemory(record->Name, units, count * sizeof(WCHAR));
    /* The record is zeroed: the NUL it counts is there. */
    record->NameLength = g_mode == VTX_MODE_NAME_COUNTS_NUL ? count + 1 : count;
}

/* One entry per answer. The first request of an exchange (More other than 1) starts at the top;
 * a follow-up resumes at the Cursor this driver handed out. An empty list, or a cursor past the
 * end, fails the request: the program takes the entry of every successful answer. *returned is
 * the byte count of the answer. */
static NTSTATUS AnswerEnumeration(const VTX_LIST* list, LIST_ENUM_RECORD* record, ULONG* returned)
{
    static const WCHAR szLineFeed[] = VTX_LINE_FEED_NAME;
    /* The line-feed name stands before the entries, at position 0. */
    const ULONG extra = g_mode == VTX_MODE_LINE_FEED_NAME && list->Count > 0 ? 1 : 0;
    const ULONG count = list->Count + extra;
    ULONG position = record->More == 1 ? record->Cursor : 0;
    if (g_mode == VTX_MODE_MORE_FOREVER && count > 0)
        position %= count;
    if (position >= count)
        return STATUS_NO_MORE_ENTRIES;
    if (g_mode == VTX_MODE_FAIL_AFTER_MORE && position == VTX_FAILING_ANSWER)
        return STATUS_DEVICE_NOT_READY;
    RtlZeroMemory(record, sizeof(*record));
    if (position < extra) {
        WriteName(record, szLineFeed, sizeof(szLineFeed) / sizeof(WCHAR) - 1);
    } else {
        const VTX_ENTRY* entry = list->Entries[position - extra];
        WriteName(record, entry->Name, entry->Units);
    }
    record->Cursor = position + 1;
    record->More = position + 1 < count || g_mode == VTX_MODE_MORE_FOREVER ? 1 : 0;
    *returned = g_mode == VTX_MODE_SHORT_ANSWERS && position % 2 == 1 ? VTX_ENUM_INPUT_BYTES
                                                                      : sizeof(LIST_ENUM_RECORD);
    return STATUS_SUCCESS;
}

static void FreeList(VTX_LIST* list)
{
    while (list->Count > 0) {
        --list->Count;
        ExFreePoolWithTag(list->Entries[list->Count], VTX_POOL_TAG);
        list->Entries[list->Count] = NULL;
    }
}

/* ---- requests ---------------------------------------------------------------------------- */

/* A single path: UTF-16 code units without a NUL, at least one and at most 259. A NUL inside
 * would make a path no file system could name. */
static NTSTATUS CheckPathInput(const void* buffer, ULONG length)
{
    ULONG i;
    const WCHAR* units = (const WCHAR*)buffer;
    if (buffer == NULL || length == 0 || length % sizeof(WCHAR) != 0 || length > VTX_MAX_PATH_BYTES)
        return STATUS_INVALID_PARAMETER;
    for (i = 0; i < length / sizeof(WCHAR); ++i) {
        if (units[i] == 0)
            return STATUS_OBJECT_NAME_INVALID;
    }
    return STATUS_SUCCESS;
}

static VTX_LIST* ListOfCode(ULONG code)
{
    switch (code) {
    case IOCTL_LOCK_ADD:
    case IOCTL_LOCK_REMOVE:
    case IOCTL_LOCK_ENUM:
        return &g_listLocked;
    case IOCTL_TRUST_ADD:
    case IOCTL_TRUST_REMOVE:
    case IOCTL_TRUST_ENUM:
        return &g_listTrusted;
    default:
        return NULL;
    }
}

static NTSTATUS HandleControl(ULONG code, void* buffer, ULONG inputLength, ULONG outputLength,
                              ULONG_PTR* information)
{
    VTX_LIST* list = ListOfCode(code);
    NTSTATUS status;
    if (list == NULL)
        return STATUS_INVALID_DEVICE_REQUEST;

    if (code == IOCTL_LOCK_ENUM || code == IOCTL_TRUST_ENUM) {
        /* Buffered: input and output share one system buffer of the larger length. */
        if (buffer == NULL || inputLength < VTX_ENUM_INPUT_BYTES)
            return STATUS_INVALID_PARAMETER;
        if (outputLength < sizeof(LIST_ENUM_RECORD))
            return STATUS_BUFFER_TOO_SMALL;
        ULONG returned = 0;
        ExAcquireFastMutex(&g_mutexLists);
        status = AnswerEnumeration(list, (LIST_ENUM_RECORD*)buffer, &returned);
        ExReleaseFastMutex(&g_mutexLists);
        if (NT_SUCCESS(status))
            *information = returned;
        return status;
    }

    status = CheckPathInput(buffer, inputLength);
    if (!NT_SUCCESS(status))
        return status;
    ExAcquireFastMutex(&g_mutexLists);
    if (code == IOCTL_LOCK_ADD || code == IOCTL_TRUST_ADD)
        status = AddEntry(list, (const WCHAR*)buffer, inputLength / sizeof(WCHAR));
    else
        status = RemoveEntry(list, (const WCHAR*)buffer, inputLength / sizeof(WCHAR));
    ExReleaseFastMutex(&g_mutexLists);
    return status;
}

static NTSTATUS CompleteIrp(PIRP irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI OnCreateClose(PDEVICE_OBJECT device, PIRP irp)
{
    UNREFERENCED_PARAMETER(device);
    return CompleteIrp(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI OnDeviceControl(PDEVICE_OBJECT device, PIRP irp)
{
    const PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG_PTR information = 0;
    NTSTATUS status;
    UNREFERENCED_PARAMETER(device);
    status = HandleControl(stack->Parameters.DeviceIoControl.IoControlCode,
                           irp->AssociatedIrp.SystemBuffer,
                           stack->Parameters.DeviceIoControl.InputBufferLength,
                           stack->Parameters.DeviceIoControl.OutputBufferLength, &information);
    return CompleteIrp(irp, status, information);
}

/* ---- list files -------------------------------------------------------------------------- */

/* The line's ANSI bytes become one entry; empty, overlong and unconvertible lines are skipped. */
static void AddLine(VTX_LIST* list, const char* line, ULONG length)
{
    WCHAR units[VTX_MAX_PATH_UNITS];
    ANSI_STRING ansi;
    UNICODE_STRING unicode;
    ULONG i;
    if (length > 0 && line[length - 1] == '\r')
        --length;
    if (length == 0 || length > VTX_MAX_LINE_BYTES)
        return;
    for (i = 0; i < length; ++i) {
        if (line[i] == '\0')
            return;
    }
    ansi.Buffer = (PCHAR)line;
    ansi.Length = ansi.MaximumLength = (USHORT)length;
    unicode.Buffer = units;
    unicode.Length = 0;
    unicode.MaximumLength = sizeof(units);
    if (!NT_SUCCESS(RtlAnsiStringToUnicodeString(&unicode, &ansi, FALSE)))
        return;
    AddEntry(list, units, unicode.Length / sizeof(WCHAR));
}

/* Reads the file in chunks and hands over one line at a time; a line longer than a path plus
 * its CR is dropped whole. A last line without CR LF still counts. */
static void LoadListFile(const UNICODE_STRING* path, VTX_LIST* list)
{
    OBJECT_ATTRIBUTES attributes;
    IO_STATUS_BLOCK io;
    HANDLE file;
    char line[VTX_MAX_LINE_BYTES + 1];
    ULONG lineLength = 0;
    BOOLEAN overlong = FALSE;
    char* chunk;
    NTSTATUS status;

    InitializeObjectAttributes(&attributes, (PUNICODE_STRING)path,
                               OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL, NULL);
    status = ZwCreateFile(&file, GENERIC_READ | SYNCHRONIZE, &attributes, &io, NULL,
                          FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN,
                          FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE, NULL, 0);
    if (!NT_SUCCESS(status))
        return;
    chunk = (char*)ExAllocatePoolWithTag(PagedPool, VTX_READ_CHUNK, VTX_POOL_TAG);
    if (chunk == NULL) {
        ZwClose(file);
        return;
    }
    for (;;) {
        ULONG i;
        status = ZwReadFile(file, NULL, NULL, NULL, &io, chunk, VTX_READ_CHUNK, NULL, NULL);
        if (!NT_SUCCESS(status) || io.Information == 0)
            break;
        for (i = 0; i < (ULONG)io.Information; ++i) {
            if (chunk[i] == '\n') {
                if (!overlong)
                    AddLine(list, line, lineLength);
                lineLength = 0;
                overlong = FALSE;
            } else if (lineLength < sizeof(line)) {
                line[lineLength++] = chunk[i];
            } else {
                overlong = TRUE;
            }
        }
    }
    if (!overlong)
        AddLine(list, line, lineLength);
    ExFreePoolWithTag(chunk, VTX_POOL_TAG);
    ZwClose(file);
}

/* The installation folder value of the service key, without trailing NULs or separator, in pool memory the
 * caller frees. FALSE when it is missing, empty, not a string or longer than any folder. */
static BOOLEAN QueryInstallFolder(PUNICODE_STRING registryPath, UNICODE_STRING* folder)
{
    UNICODE_STRING valueName = RTL_CONSTANT_STRING(L"" VTX_INSTALL_DIR_VALUE);
    const ULONG maxSize = FIELD_OFFSET(KEY_VALUE_PARTIAL_INFORMATION, Data) +
                          (VTX_MAX_FOLDER_UNITS + 1) * sizeof(WCHAR);
    OBJECT_ATTRIBUTES attributes;
    KEY_VALUE_PARTIAL_INFORMATION* info = NULL;
    HANDLE key;
    ULONG size = 0;
    NTSTATUS status;

    folder->Buffer = NULL;
    InitializeObjectAttributes(&attributes, registryPath, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE,
                               NULL, NULL);
    if (!NT_SUCCESS(ZwOpenKey(&key, KEY_QUERY_VALUE, &attributes)))
        return FALSE;
    status = ZwQueryValueKey(key, &valueName, KeyValuePartialInformation, NULL, 0, &size);
    if ((status == STATUS_BUFFER_TOO_SMALL || status == STATUS_BUFFER_OVERFLOW) && size > 0 &&
        size <= maxSize)
        info = (KEY_VALUE_PARTIAL_INFORMATION*)ExAllocatePoolWithTag(PagedPool, size, VTX_POOL_TAG);
    if (info != NULL &&
        NT_SUCCESS(ZwQueryValueKey(key, &valueName, KeyValuePartialInformation, info, size, &size)) &&
        (info->Type == REG_SZ || info->Type == REG_EXPAND_SZ)) {
        const WCHAR* data = (const WCHAR*)info->Data;
        ULONG count = info->DataLength / sizeof(WCHAR);
        while (count > 0 && (data[count - 1] == 0 || data[count - 1] == L'\\'))
            --count;
        if (count > 0 && count <= VTX_MAX_FOLDER_UNITS) {
            folder->Buffer = (PWCH)ExAllocatePoolWithTag(PagedPool, count * sizeof(WCHAR),
                                                         VTX_POOL_TAG);
            if (folder->Buffer != NULL) {
                RtlCopyMemory(folder->Buffer, data, count * sizeof(WCHAR));
                folder->Length = folder->MaximumLength = (USHORT)(count * sizeof(WCHAR));
            }
        }
    }
    if (info != NULL)
        ExFreePoolWithTag(info, VTX_POOL_TAG);
    ZwClose(key);
    return folder->Buffer != NULL;
}

/* The misbehaviour a test asked for: the DWORD value of standin_modes.h under the service key. */
static ULONG QueryMode(PUNICODE_STRING registryPath)
{
    UNICODE_STRING valueName = RTL_CONSTANT_STRING(L"" VTX_STANDIN_MODE_VALUE);
    struct {
        KEY_VALUE_PARTIAL_INFORMATION info;
        ULONG data;
    } value;
    OBJECT_ATTRIBUTES attributes;
    HANDLE key;
    ULONG size = 0;
    ULONG mode = VTX_MODE_DEFAULT;
    InitializeObjectAttributes(&attributes, registryPath, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE,
                               NULL, NULL);
    if (!NT_SUCCESS(ZwOpenKey(&key, KEY_QUERY_VALUE, &attributes)))
        return mode;
    if (NT_SUCCESS(ZwQueryValueKey(key, &valueName, KeyValuePartialInformation, &value,
                                   sizeof(value), &size)) &&
        value.info.Type == REG_DWORD && value.info.DataLength == sizeof(ULONG))
        RtlCopyMemory(&mode, value.info.Data, sizeof(ULONG));
    ZwClose(key);
    return mode;
}

static void LoadListsFromFiles(PUNICODE_STRING registryPath)
{
    static const WCHAR szPrefix[] = L"\\??\\";
    static const WCHAR szLocked[] = L"\\data\\filter.txt";
    static const WCHAR szTrusted[] = L"\\data\\TrustedPs.txt";
    UNICODE_STRING folder;
    UNICODE_STRING path;
    USHORT folderEnd;
    if (!QueryInstallFolder(registryPath, &folder))
        return;
    /* At most 4096 units of folder: the sum stays far below a counted string's limit. */
    path.MaximumLength = (USHORT)(sizeof(szPrefix) + folder.Length + sizeof(szTrusted));
    path.Length = 0;
    path.Buffer = (PWCH)ExAllocatePoolWithTag(PagedPool, path.MaximumLength, VTX_POOL_TAG);
    if (path.Buffer != NULL) {
        RtlAppendUnicodeToString(&path, szPrefix);
        RtlAppendUnicodeStringToString(&path, &folder);
        folderEnd = path.Length;
        RtlAppendUnicodeToString(&path, szLocked);
        LoadListFile(&path, &g_listLocked);
        path.Length = folderEnd;
        RtlAppendUnicodeToString(&path, szTrusted);
        LoadListFile(&path, &g_listTrusted);
        ExFreePoolWithTag(path.Buffer, VTX_POOL_TAG);
    }
    ExFreePoolWithTag(folder.Buffer, VTX_POOL_TAG);
}

/* ---- load and unload --------------------------------------------------------------------- */

/* Deleting the link and the device lets the service stop and start again. */
static void NTAPI OnUnload(PDRIVER_OBJECT driver)
{
    UNICODE_STRING linkName;
    UNREFERENCED_PARAMETER(driver);
    RtlInitUnicodeString(&linkName, g_szLinkName);
    IoDeleteSymbolicLink(&linkName);
    if (g_pDevice != NULL) {
        IoDeleteDevice(g_pDevice);
        g_pDevice = NULL;
    }
    FreeList(&g_listLocked);
    FreeList(&g_listTrusted);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath)
{
    UNICODE_STRING deviceName;
    UNICODE_STRING linkName;
    NTSTATUS status;

    ExInitializeFastMutex(&g_mutexLists);
    RtlInitUnicodeString(&deviceName, g_szDeviceName);
    RtlInitUnicodeString(&linkName, g_szLinkName);
    status = IoCreateDevice(driver, 0, &deviceName, FILE_DEVICE_DISK_FILE_SYSTEM, 0, FALSE,
                            &g_pDevice);
    if (!NT_SUCCESS(status))
        return status;
    status = IoCreateSymbolicLink(&linkName, &deviceName);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(g_pDevice);
        g_pDevice = NULL;
        return status;
    }

    driver->MajorFunction[IRP_MJ_CREATE] = OnCreateClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = OnCreateClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = OnCreateClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = OnDeviceControl;
    driver->DriverUnload = OnUnload;

    g_mode = QueryMode(registryPath);
    LoadListsFromFiles(registryPath);
    return STATUS_SUCCESS;
}
