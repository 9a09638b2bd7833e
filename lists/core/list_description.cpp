#include "lists/core/list_description.h"

#include "driver/core/protocol.h"
#include "res/resource.h"

const CListDescription g_lockedList{
    .pszName = "locked",
    .nRemoveButtonID = IDC_REMOVE_LOCKED,
    .dwAddCode = IOCTL_LOCK_ADD,
    .dwRemoveCode = IOCTL_LOCK_REMOVE,
    .dwEnumCode = IOCTL_LOCK_ENUM,
    .admission = ADMIT_LOCKABLE,
    .bNotifyShell = true,
    .bSkipListedAtLoad = true,
    .pszFile = "data\\filter.txt",
    .pszUnreadMessage = "Can't read locked list from Veltrix driver!",
    .pszSaveFailure = "Can't save locked list to data\\filter.txt!",
};

const CListDescription g_trustedList{
    .pszName = "trusted",
    .nRemoveButtonID = IDC_REMOVE_TRUSTED,
    .dwAddCode = IOCTL_TRUST_ADD,
    .dwRemoveCode = IOCTL_TRUST_REMOVE,
    .dwEnumCode = IOCTL_TRUST_ENUM,
    .admission = ADMIT_PROGRAMS,
    .bNotifyShell = false,
    .bSkipListedAtLoad = false,
    .pszFile = "data\\TrustedPs.txt",
    .pszUnreadMessage = "Can't read trusted list from Veltrix driver!",
    .pszSaveFailure = "Can't save trusted list to data\\TrustedPs.txt!",
};
