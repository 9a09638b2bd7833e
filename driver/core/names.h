/* The system's names, each given here once: the driver's service and the values of its key, the
 * guard objects of a running vtx.exe or vtxctl, and the source of the audit trail's events. C, so
 * that the stand-in driver shares them; the build reads the string literals of this file for the
 * setup (cmake/names.cmake), so each name is a plain #define of literals and names defined above. */
#ifndef VELTRIX_DRIVER_NAMES_H
#define VELTRIX_DRIVER_NAMES_H

/* The service: also its display name, the base name of the driver file and the last part of its
 * registry key. */
#define VTX_SERVICE_NAME "veltrix"
#define VTX_SERVICE_KEY "SYSTEM\\CurrentControlSet\\Services\\" VTX_SERVICE_NAME
/* Values under that key, which only administrators and the system may write: the installation
 * folder the setup recorded, the audit trail's switch (a DWORD, 1 on) and the mark of a change in
 * progress. */
#define VTX_INSTALL_DIR_VALUE "vtxapp"
#define VTX_AUDIT_SWITCH_VALUE "vtxaudit"
#define VTX_CHANGE_MARK_VALUE "vtxchange"

/* The guard objects (driver/core/instance_guard.h tells what each is for): the session's mutex,
 * the private namespace and the mutex in it, and the global mutex where there are no namespaces. */
#define VTX_INSTANCE_MUTEX "Veltrix"
#define VTX_GUARD_NAMESPACE "Veltrix"
#define VTX_GUARD_NAMESPACE_MUTEX VTX_GUARD_NAMESPACE "\\Instance"
#define VTX_GLOBAL_INSTANCE_MUTEX "Global\\Veltrix"

/* The audit trail's source in the Application log, and the key that registers it. */
#define VTX_EVENT_SOURCE "Veltrix"
#define VTX_EVENT_SOURCE_KEY "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" VTX_EVENT_SOURCE

#endif
