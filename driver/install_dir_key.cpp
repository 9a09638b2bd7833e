#include "driver/install_dir_key.h"

#include "driver/core/install_dir.h"
#include "driver/core/names.h"

CServiceKey::CServiceKey(REGSAM access)
{
    m_key.Open(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, access);
}

std::optional<std::string> CServiceKey::InstallDir() const
{
    char data[kInstallDirValueBytes] = {};
    DWORD size = sizeof data;
    if (!m_key || ::RegQueryValueExA(m_key.Get(), VTX_INSTALL_DIR_VALUE, nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return InstallDirFromValue(data, size);
}

bool CServiceKey::AuditTrailOn() const
{
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    return m_key &&
           ::RegQueryValueExA(m_key.Get(), VTX_AUDIT_SWITCH_VALUE, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                              &size) == ERROR_SUCCESS &&
           type == REG_DWORD && value == 1;
}

bool CServiceKey::SetAuditTrail(bool on) const
{
    const DWORD value = on ? 1 : 0;
    return m_key && ::RegSetValueExA(m_key.Get(), VTX_AUDIT_SWITCH_VALUE, 0, REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}
