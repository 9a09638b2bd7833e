// What may enter the protection lists, as Windows tells it: the folders the rules compare with,
// the code page, shortcuts and programs, the canonical form of a path. The rules themselves are
// the list model's (lists/core/list_model.h).
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "lists/core/list_model.h"

// PathCheckResult for a path that the user wants to lock. Reads the system directories (the
// 32-bit one too, where there is one) and the current directory (the installation folder) at
// every call; compares without regard to letter case in the ANSI code page, every spelling of
// the path with every spelling of the folders (JudgeLockPath).
int CheckLockPath(const char* path);

// TRUE when the path lies in the installation folder (the current directory), in any letter
// case.
BOOL IsInProgramFolder(const char* path);

// The target of the shortcut file at path, into out (260 characters): the stored text, with a
// leading "%SystemRoot%" made the Windows folder. S_OK when out holds the target; otherwise
// the failure of the shell link object (or of a target the ANSI code page cannot hold), and
// out is empty. Needs COM on the calling thread. resolveFlags are IShellLink::Resolve's: the
// window's own let the shell search for a moved target and update the shortcut.
HRESULT ResolveShortcut(const char* path, char* out, DWORD resolveFlags = SLR_UPDATE);

// Resolve flags for a run nobody watches: no search dialog (in session 0 an invisible one would
// wait forever), at most three seconds, and the shortcut left as it is.
constexpr DWORD kUnattendedResolveFlags = MAKELONG(DWORD(SLR_NO_UI) | DWORD(SLR_NOUPDATE), 3000);

// The facts of this machine. Entries compare as the list view's string search compares them.
// Shortcuts are resolved with resolveFlags.
class CPathFacts : public IPathFacts {
public:
    explicit CPathFacts(DWORD resolveFlags = SLR_UPDATE) : m_resolveFlags(resolveFlags) {}
    std::string SystemDir() override;
    std::string SystemDir32() override;
    std::string InstallDir() override;
    std::string WindowsDir() override;
    const AnsiCodePage& CodePage() override;
    bool IsSameEntry(const std::string& a, const std::string& b) override;
    std::string EntryKey(const std::string& path) override;
    std::optional<std::string> ShortcutTarget(const std::string& path) override;
    bool IsProgram(const std::string& path) override;
    std::string FullPath(const std::string& path) override;
    std::string LongPath(const std::string& path) override;
    bool IsThisMachine(const std::string& host) override;
    std::optional<std::string> FinalPath(const std::string& path) override;

private:
    DWORD m_resolveFlags;
};

// The facts of this machine, for whoever needs no view of its own: vtxctl, which nobody may be
// watching, so shortcuts are resolved with kUnattendedResolveFlags.
CPathFacts& MachinePathFacts();
