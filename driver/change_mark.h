// A change of the driver's lists in progress, recorded under the service's key (its value
// VTX_CHANGE_MARK_VALUE). The key is one that only administrators and the system may write, wherever Veltrix
// is installed, and it goes with the service at uninstall. vtxctl sets the mark before its first
// request and clears it once both list files hold the driver's lists; a mark found at its start
// is a run cut short (killed, a crash, a power cut), whose change the driver holds and the files
// lack. A named mutex cannot tell: it vanishes with its last handle, so such a run is not seen
// as abandoned.
#pragma once

// false when the mark could not be written: then no change may start.
bool SetChangeMark();
// false when a mark is there and could not be removed.
bool ClearChangeMark();
bool HasChangeMark();
