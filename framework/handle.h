// Owners of handles: each closes what it holds when it goes, on every path. They share one
// shape: Get() for the handle, a bool test for "holds one", Attach() to take a handle over
// (closing the one held before), Detach() to give it up, Close(), and Put() for an API that
// hands the handle out through a parameter. Not copyable; movable, so a function may return one.
#pragma once

#include <windows.h>
#include <ole2.h>

template <class Policy>
class CHandleOwner {
public:
    using Handle = typename Policy::Handle;

    CHandleOwner() = default;
    explicit CHandleOwner(Handle handle) : m_handle(handle) {}
    ~CHandleOwner() { Close(); }
    CHandleOwner(const CHandleOwner&) = delete;
    CHandleOwner& operator=(const CHandleOwner&) = delete;
    CHandleOwner(CHandleOwner&& other) noexcept : m_handle(other.Detach()) {}
    CHandleOwner& operator=(CHandleOwner&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return Policy::IsValid(m_handle); }

    void Attach(Handle handle)
    {
        Close();
        m_handle = handle;
    }
    Handle Detach()
    {
        const Handle handle = m_handle;
        m_handle = Handle();
        return handle;
    }
    // FALSE when the system reports that closing failed (for a file: its data may not have
    // reached the disk); TRUE also when nothing was held.
    BOOL Close()
    {
        const BOOL closed = Policy::IsValid(m_handle) ? Policy::Close(m_handle) : TRUE;
        m_handle = Handle();
        return closed;
    }
    Handle* Put()
    {
        Close();
        return &m_handle;
    }

private:
    Handle m_handle = Handle();
};

namespace handle_policy {
// Kernel objects: CreateFile reports failure as INVALID_HANDLE_VALUE, the others as NULL.
struct Kernel {
    using Handle = HANDLE;
    static bool IsValid(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
    static BOOL Close(HANDLE h) { return ::CloseHandle(h); }
};
struct Service {
    using Handle = SC_HANDLE;
    static bool IsValid(SC_HANDLE h) { return h != nullptr; }
    static BOOL Close(SC_HANDLE h) { return ::CloseServiceHandle(h); }
};
struct RegKey {
    using Handle = HKEY;
    static bool IsValid(HKEY h) { return h != nullptr; }
    static BOOL Close(HKEY h) { return ::RegCloseKey(h) == ERROR_SUCCESS; }
};
// A cursor loaded as an unshared copy (LoadImage without LR_SHARED); a shared one is never owned.
struct Cursor {
    using Handle = HCURSOR;
    static bool IsValid(HCURSOR h) { return h != nullptr; }
    static BOOL Close(HCURSOR h) { return ::DestroyCursor(h); }
};
// Memory that the shell or COM hands out from the task allocator.
template <class T>
struct TaskMemory {
    using Handle = T*;
    static bool IsValid(T* p) { return p != nullptr; }
    static BOOL Close(T* p)
    {
        ::CoTaskMemFree(p);
        return TRUE;
    }
};
}  // namespace handle_policy

// A kernel handle: a file, a device, a process, a mutex.
using CHandle = CHandleOwner<handle_policy::Kernel>;
// A handle of the service manager: the manager itself or a service. Where both are held, the
// service is declared after the manager so that it is closed first.
using CServiceHandle = CHandleOwner<handle_policy::Service>;
using CCursorHandle = CHandleOwner<handle_policy::Cursor>;
template <class T>
using CComHeapPtr = CHandleOwner<handle_policy::TaskMemory<T>>;

class CRegKey : public CHandleOwner<handle_policy::RegKey> {
public:
    LONG Open(HKEY hParent, const char* subKey, REGSAM access)
    {
        return ::RegOpenKeyExA(hParent, subKey, 0, access, Put());
    }
};

// A memory block locked for one scope.
class CGlobalLock {
public:
    explicit CGlobalLock(HGLOBAL hGlobal) : m_hGlobal(hGlobal), m_pData(::GlobalLock(hGlobal)) {}
    ~CGlobalLock()
    {
        if (m_pData)
            ::GlobalUnlock(m_hGlobal);
    }
    CGlobalLock(const CGlobalLock&) = delete;
    CGlobalLock& operator=(const CGlobalLock&) = delete;

    void* Get() const { return m_pData; }

private:
    HGLOBAL m_hGlobal;
    void* m_pData;
};

// The storage medium that a data object handed out, released with its own rules.
class CStorageMedium {
public:
    CStorageMedium() = default;
    ~CStorageMedium() { Close(); }
    CStorageMedium(const CStorageMedium&) = delete;
    CStorageMedium& operator=(const CStorageMedium&) = delete;

    const STGMEDIUM& Get() const { return m_medium; }
    void Close()
    {
        if (m_medium.tymed != TYMED_NULL)
            ::ReleaseStgMedium(&m_medium);
        m_medium = STGMEDIUM{};
    }
    STGMEDIUM* Put()
    {
        Close();
        return &m_medium;
    }

private:
    STGMEDIUM m_medium{};
};
