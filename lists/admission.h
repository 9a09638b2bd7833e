// What may enter the protection lists, as Windows tells it: the folders the rules compare with,
// the code page, shortcuts and programs, the canonical form of a path. The rules themselves are
// the list model's (lists/core/list_model.h).
#pragma once

#include <windows.h>

#include "lists/core/list_model.h"

// PathCheckResult for a path that the user wants to lock. Reads the system directories (the
// 32-bit one too, where there is one) and the current directory (the installation folder) at
// every call; compares without regard to letter case in the ANSI code page.
int CheckLockPath(const char* path);

// TRUE when the path lies in the installation folder (the current directory), in any letter
// case.
BOOL IsInProgramFolder(const char* path);

// The target of the shortcut file at path, into out (260 characters): the stored text, with a
// leading "%SystemRoot%" made the Windows folder. S_OK when out holds the target; otherwise
// the failure of the shell link object, and out is empty. Needs COM on the calling thread.
HRESULT ResolveShortcut(const char* path, char* out);

// The facts of this machine. Entries compare as the list view's string search compares them.
class CPathFacts : public IPathFacts {
public:
    std::string SystemDir() override;
    std::string SystemDir32() override;
    std::string InstallDir() override;
    const AnsiCodePage& CodePage() override;
    bool IsSameEntry(const std::string& a, const std::string& b) override;
    std::optional<std::string> ShortcutTarget(const std::string& path) override;
    bool IsProgram(const std::string& path) override;
    std::string FullPath(const std::string& path) override;
    std::string LongPath(const std::string& path) override;
    bool IsThisMachine(const std::string& host) override;
};

// The facts of this machine, for whoever needs no view of its own.
CPathFacts& MachinePathFacts();
