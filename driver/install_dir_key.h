// The service's registry key: the installation folder that the installer recorded and the audit
// trail's switch (a DWORD, 1 on; missing or 0, off), which only administrators may write. Their
// names are driver/core/names.h's.
#pragma once

#include "framework/handle.h"

#include <optional>
#include <string>

class CServiceKey {
public:
    // Opened with the access the caller needs: vtx.exe asks for full access, as it always has,
    // and ends when it does not get it; vtxctl asks to query, or to set the switch.
    explicit CServiceKey(REGSAM access);

    bool IsOpen() const { return static_cast<bool>(m_key); }
    // The folder, or nothing when the value is missing or holds no complete string.
    std::optional<std::string> InstallDir() const;
    bool AuditTrailOn() const;
    bool SetAuditTrail(bool on) const;

private:
    CRegKey m_key;
};
