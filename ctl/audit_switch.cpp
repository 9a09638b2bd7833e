#include "ctl/audit_switch.h"

#include "audit/audit_trail.h"
#include "ctl/core/command_line.h"
#include "ctl/core/json_output.h"
#include "driver/core/names.h"
#include "driver/install_dir_key.h"

#include <cstdio>

int SwitchAuditTrail(bool on, bool json)
{
    // Write access to the key, which only administrators have.
    const CServiceKey key(KEY_QUERY_VALUE | KEY_SET_VALUE);
    const bool changed = key.AuditTrailOn() != on;
    if (changed) {
        if (!key.SetAuditTrail(on)) {
            std::fputs("Can't set the audit trail's switch (" VTX_AUDIT_SWITCH_VALUE " of the service "
                       VTX_SERVICE_NAME ").\n", stderr);
            return kCtlFailed;
        }
        // The trail of this process is on until here when turned off, and from here when on.
        if (on)
            SetAuditTrailOn(true);
        WriteAuditEvent(on ? MSG_AUDIT_TRAIL_ON : MSG_AUDIT_TRAIL_OFF);
        SetAuditTrailOn(on);
    }
    if (json)
        std::fputs(AuditJson(on, changed).c_str(), stdout);
    else
        std::printf("The audit trail %s %s.\n", changed ? "is now" : "was already", on ? "on" : "off");
    return kCtlDone;
}
