// The two protection lists differ only in these constants: one description per list, and the
// code that serves a list (the model, the window's list, vtxctl) takes its description.
#pragma once

#include <cstdint>

// Which paths a list admits (see list_model.h).
enum ListAdmission {
    // Folders and files chosen in the folder browser or dropped; Windows and our own files
    // refused.
    ADMIT_LOCKABLE,
    // Programs chosen in the open-file dialog or given as shortcuts to programs; our own
    // programs refused.
    ADMIT_PROGRAMS,
};

struct CListDescription {
    const char* pszName;  // as vtxctl names the list: "locked", "trusted"
    int nRemoveButtonID;
    uint32_t dwAddCode;
    uint32_t dwRemoveCode;
    uint32_t dwEnumCode;
    ListAdmission admission;
    // Every change is announced to the shell, so that open folder windows show it anew.
    bool bNotifyShell;
    // At load, a path the list already holds is left out; otherwise repeats show as they come.
    bool bSkipListedAtLoad;
    const char* pszFile;            // relative to the installation folder
    const char* pszUnreadMessage;   // the driver did not give the list whole
    const char* pszSaveFailure;     // the list file could not be written
};

extern const CListDescription g_lockedList;
extern const CListDescription g_trustedList;
