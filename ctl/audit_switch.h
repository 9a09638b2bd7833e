// vtxctl audit on|off: the audit trail's switch in the service's key.
#pragma once

// Sets the switch; on, the trail's first event says so, off, its last one. Nothing is written
// when the switch already stands so. A CtlExit code.
int SwitchAuditTrail(bool on, bool json);
