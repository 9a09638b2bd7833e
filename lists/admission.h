// What may enter the protection lists: the locked list keeps Windows and the program's own
// files out, the trusted list the program's own executables; shortcuts dropped on the trusted
// list stand for their targets.
#pragma once

#include <windows.h>

#include "lists/core/admission_rules.h"
#include "lists/list_description.h"

// PathCheckResult for a path that the user wants to lock. Reads the system directories (the
// 32-bit one too, where there is one) and the current directory (the installation folder) at
// every call; compares without regard to letter case in the ANSI code page.
int CheckLockPath(const char* path);

// The text that refuses the path to a list of that admission, or nullptr when the list takes it:
// the lock rule for folders and files, the own-folder rule for programs.
const char* AdmissionRefusal(ListAdmission admission, const char* path);

// TRUE when the path lies in the installation folder (the current directory), in any letter
// case.
BOOL IsInProgramFolder(const char* path);

// TRUE when the two paths name the same list entry: the whole texts alike in any letter case.
BOOL IsSameListedPath(const char* a, const char* b);

// The target of the shortcut file at path, into out (260 characters): the stored text, with a
// leading "%SystemRoot%" made the Windows folder. S_OK when out holds the target; otherwise
// the failure of the shell link object, and out is empty. Needs COM on the calling thread.
HRESULT ResolveShortcut(const char* path, char* out);
