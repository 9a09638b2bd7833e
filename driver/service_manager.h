// CServiceManager: the real service manager behind the service rules, opened as both
// deliverables open it (the local machine's active database and the service "veltrix", each
// with all access).
#pragma once

#include "driver/core/service_polling.h"
#include "framework/handle.h"

class CServiceManager final : public IServiceManager {
public:
    bool OpenManager() override;
    bool OpenDriverService() override;
    bool Interrogate(uint32_t& state) override;
    bool Start() override;
    bool Stop() override;
    void CloseDriverService() override { m_hService.Close(); }
    void CloseManager() override { m_hManager.Close(); }

    SC_HANDLE GetManager() const { return m_hManager.Get(); }
    SC_HANDLE GetDriverService() const { return m_hService.Get(); }

private:
    // Members are destroyed in reverse order: a service handle still open when the object goes
    // is closed before the manager handle.
    CServiceHandle m_hManager;
    CServiceHandle m_hService;
};
