// CServiceHandle: owns one handle of the service manager (the manager itself or a service) and
// closes it when it goes.
#pragma once

#include <windows.h>

class CServiceHandle {
public:
    CServiceHandle() = default;
    explicit CServiceHandle(SC_HANDLE hHandle) : m_hHandle(hHandle) {}
    ~CServiceHandle() { Close(); }
    CServiceHandle(const CServiceHandle&) = delete;
    CServiceHandle& operator=(const CServiceHandle&) = delete;

    // Takes hHandle over, closing the one held before.
    void Attach(SC_HANDLE hHandle)
    {
        Close();
        m_hHandle = hHandle;
    }
    void Close()
    {
        if (m_hHandle)
            ::CloseServiceHandle(m_hHandle);
        m_hHandle = nullptr;
    }
    SC_HANDLE Get() const { return m_hHandle; }
    explicit operator bool() const { return m_hHandle != nullptr; }

private:
    SC_HANDLE m_hHandle = nullptr;
};
