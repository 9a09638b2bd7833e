#include "driver/service_manager.h"

#include "driver/core/names.h"

bool CServiceManager::OpenManager()
{
    m_hManager.Attach(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    return static_cast<bool>(m_hManager);
}

bool CServiceManager::OpenDriverService()
{
    m_hService.Attach(::OpenServiceA(m_hManager.Get(), VTX_SERVICE_NAME, SERVICE_ALL_ACCESS));
    return static_cast<bool>(m_hService);
}

bool CServiceManager::Interrogate(uint32_t& state)
{
    SERVICE_STATUS status{};
    const BOOL answered = ::ControlService(m_hService.Get(), SERVICE_CONTROL_INTERROGATE, &status);
    state = status.dwCurrentState;
    return answered != FALSE;
}

bool CServiceManager::Start()
{
    return ::StartServiceA(m_hService.Get(), 0, nullptr) != FALSE;
}

bool CServiceManager::Stop()
{
    SERVICE_STATUS status{};
    return ::ControlService(m_hService.Get(), SERVICE_CONTROL_STOP, &status) != FALSE;
}
