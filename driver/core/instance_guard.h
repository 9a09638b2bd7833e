// The guard that lets one vtx.exe or vtxctl run at a time, and the judgement of a guard object
// found under a name that anyone could have made.
#pragma once

#include "driver/core/names.h"

#include <optional>
#include <string_view>

// The session's guard, the system's own name. Any process of the session can make it, so a
// program of the administrator's own session (not elevated) can still hold it first.
constexpr const char* kInstanceMutexName = VTX_INSTANCE_MUTEX;

// The guard seen from every session (a vtxctl of a scheduled task in session 0, a window on the
// desktop): a mutex in a private namespace whose boundary is the Administrators group. Only a
// process with that group in force can create the namespace, and its access list lets only
// administrators and the system open it, so no standard account can make or hold the guard.
constexpr const wchar_t* kGuardNamespace = L"" VTX_GUARD_NAMESPACE;
constexpr const wchar_t* kGuardNamespaceMutex = L"" VTX_GUARD_NAMESPACE_MUTEX;
// Where the system has no private namespaces (Wine, before Windows Vista): the global name, which
// anyone can create; what is found there counts only when an administrator could have made it.
constexpr const char* kGlobalInstanceMutexName = VTX_GLOBAL_INSTANCE_MUTEX;
// Both guard objects and the namespace are made with this security: owned by the Administrators
// group, as an elevated administrator's objects are by default (Wine would name another owner,
// and the guard would pass its own object by), and open to administrators and the system in
// full, nobody else, so that one instance never keeps another out.
constexpr const char* kGuardAccessList = "O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)";

// What was learnt of the global name when this process asked for it.
enum class GuardFound {
    Made,            // nothing was there: this process made the object
    Owned,           // there already; the owner is the one given (as a string SID)
    OwnerUnreported, // there already; the system reports no owner (Wine 8)
    NotOpenable,     // there already, but not a mutex this administrator may open
};

// Whether the object under the global name is a running Veltrix's, to be waited for. An elevated
// administrator's objects are owned by BUILTIN\Administrators, the system's by SYSTEM; one owned
// by any other account, or that keeps administrators out, is a squatter's and is passed by, so
// that no standard account can block management. An owner that is not reported leaves nothing to
// judge: the object counts, as it always did.
bool CountsAsInstance(GuardFound found, std::optional<std::string_view> ownerSid = std::nullopt);
