// CMutex: a named kernel mutex, closed when the object goes.
#pragma once

#include "framework/handle.h"

class CMutex {
public:
    CMutex(BOOL bInitiallyOwn, const char* name) : m_hObject(::CreateMutexA(nullptr, bInitiallyOwn, name)) {}

    // TRUE when the mutex is ours. A mutex left by an ended owner (abandoned) is ours too: an
    // owner that never releases it always leaves it that way.
    // A mutex that could be neither created nor opened (one of another user, whose access list
    // keeps this one out) is never ours.
    BOOL Lock(DWORD dwTimeout)
    {
        const DWORD result = ::WaitForSingleObject(m_hObject.Get(), dwTimeout);
        return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    }
    BOOL Unlock() { return ::ReleaseMutex(m_hObject.Get()); }

    CHandle m_hObject;
};
