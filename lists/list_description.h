// The two protection lists differ only in these constants: one description per list, and the
// code that serves a list takes its description.
#pragma once

#include <windows.h>

// Which paths a list admits (see admission.h).
enum ListAdmission {
    // Folders and files chosen in the folder browser or dropped; Windows and our own files
    // refused.
    ADMIT_LOCKABLE,
    // Programs chosen in the open-file dialog or dropped as shortcuts; our own programs refused.
    ADMIT_PROGRAMS,
};

struct CListDescription {
    int nViewID;
    int nRemoveButtonID;
    DWORD dwAddCode;
    DWORD dwRemoveCode;
    DWORD dwEnumCode;
    ListAdmission admission;
    // Every change is announced to the shell, so that open folder windows show it anew.
    BOOL bNotifyShell;
    // At load, a path the view already shows is left out; otherwise repeats show as they come.
    BOOL bSkipListedAtLoad;
    const char* pszFile;            // relative to the installation folder
    const char* pszUnreadMessage;   // the driver did not give the list whole
    const char* pszSaveFailure;     // the list file could not be written
};

extern const CListDescription g_lockedList;
extern const CListDescription g_trustedList;
