// One entry of a protection list: how it is fetched from the shell and appended.
// The Add commands, the drop targets and the enumeration all go through here.
#pragma once

#include "framework/controls.h"
#include "lists/admission.h"

#include <shellapi.h>

// The shell's small-icon index, type name and attributes for the path. For a path the shell
// knows nothing of, the generic folder or document icon, an empty type name and no attributes.
void FetchShellInfo(const char* path, SHFILEINFOA* info);

// Inserts the entry at index: the path with its icon (dimmed when the shell reports it hidden)
// and its type name in the second column. The caller has made sure the path is not listed.
void AppendListEntry(CListCtrl& list, int index, const char* path, const SHFILEINFOA& info);

// Tells the shell that a locked path changed, so that open folder windows show it anew.
// Returns when the shell has taken the notification.
void NotifyShellOfLockChange(const char* path);
