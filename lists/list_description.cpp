#include "lists/list_description.h"

#include "driver/core/protocol.h"
#include "res/resource.h"

const CListDescription g_lockedList{
    IDC_LOCKED_LIST, IDC_REMOVE_LOCKED, IOCTL_LOCK_ADD, IOCTL_LOCK_REMOVE, IOCTL_LOCK_ENUM,
    ADMIT_LOCKABLE, TRUE, TRUE, ".\\data\\filter.txt", "Can't read locked list from Veltrix driver!",
    "Can't save locked list to data\\filter.txt!"};

const CListDescription g_trustedList{
    IDC_TRUSTED_LIST, IDC_REMOVE_TRUSTED, IOCTL_TRUST_ADD, IOCTL_TRUST_REMOVE, IOCTL_TRUST_ENUM,
    ADMIT_PROGRAMS, FALSE, FALSE, ".\\data\\TrustedPs.txt", "Can't read trusted list from Veltrix driver!",
    "Can't save trusted list to data\\TrustedPs.txt!"};
