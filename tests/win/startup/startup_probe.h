// What the start-up tests need of the built vtx.exe beyond its windows: a start from a folder of
// no meaning to it, a start under Wine's registry trace, the copies running, a current directory.
#pragma once

#include "support/vtx_process.h"

#include <string>
#include <vector>

// Starts vtx.exe with the Windows folder as its first current directory.
bool StartFromWindowsFolder(CVtxProcess& vtx);
// Starts vtx.exe with Wine's registry trace (WINEDEBUG=+reg) written to traceFile, a Unix path.
// Wine hands a child only its standard input and output, never its standard error, where the
// trace goes; so the program is started through the shell, which redirects it, and its process
// is then found by name.
bool StartTraced(CVtxProcess& vtx, const std::string& traceFile);
// The processes of vtx.exe now running in the prefix.
std::vector<DWORD> RunningVtxIds();
// The current directory of another process of the test's own bitness, as its process
// parameters hold it (with the trailing backslash); empty when it cannot be read.
std::wstring CurrentDirectoryOf(HANDLE hProcess);
