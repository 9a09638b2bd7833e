// The cross-session part of the instance guard (driver/core/instance_guard.h): a mutex in the
// Administrators' private namespace where the system has private namespaces, else the global name
// as judged by who made what is there. The functions are found at run time: Wine 8 and Windows XP
// lack them, and neither refuses to start for that.
#pragma once

#include "framework/handle.h"

class CCrossSessionGuard {
public:
    enum class Kind {
        None,              // not asked for yet
        PrivateNamespace,  // the namespace's mutex
        GlobalName,        // the global name, made here or an administrator's
        Squatted,          // the global name is a squatter's: passed by, nothing held
    };

    CCrossSessionGuard() = default;
    ~CCrossSessionGuard();
    CCrossSessionGuard(const CCrossSessionGuard&) = delete;
    CCrossSessionGuard& operator=(const CCrossSessionGuard&) = delete;

    // TRUE when the guard is this process's now, also when the only object under the global name
    // is a squatter's. FALSE when another instance, in any session, holds it, or when the guard
    // could not be made or opened at all.
    BOOL Lock(DWORD dwTimeout);
    // Gives it back (vtxctl, at its end).
    void Unlock();
    Kind GetKind() const { return m_kind; }

private:
    void Open();

    HANDLE m_hNamespace = nullptr;
    CHandle m_mutex;
    Kind m_kind = Kind::None;
    bool m_bLocked = false;
};
