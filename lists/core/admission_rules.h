// The rules that decide what may enter the protection lists, given the directories they
// depend on. The Win32 side reads the directories; everything here is plain text comparison.
#pragma once

#include <string>
#include <vector>

enum PathCheckResult { PATH_OK = 0, PATH_SYSTEM_DIR = 1, PATH_OWN_FILES = 2 };

// How the ANSI code page reads a byte string: which bytes begin a double-byte character, and
// the upper case of a single-byte character. The Win32 side gives the system's own; tests play
// any code page.
struct AnsiCodePage {
    bool (*isLeadByte)(unsigned char byte);
    unsigned char (*toUpper)(unsigned char byte);
};

// TRUE when the first strlen(leading) bytes of text equal leading without regard to letter
// case: no normalisation, no separator check. The empty string leads every string; a null
// pointer counts as the empty string.
//
// Only single-byte characters are folded. A double-byte character of text (its lead byte by the
// code page) is compared byte for byte, so a trail byte that happens to be a letter is never
// folded. When the cut falls between its lead and trail bytes, the lone lead byte is compared as
// a byte: only a leading text that ends in that same byte matches.
bool IsLeadingPart(const char* leading, const char* text, const AnsiCodePage& codePage);

// What the lock rule keeps out, each folder in every spelling the rules know of it (as read,
// canonical and long, what it resolves to): Windows' system directories (the 32-bit one of a
// 64-bit Windows too) and the installation folder.
struct LockRuleFolders {
    std::vector<std::string> systemDirs;
    std::vector<std::string> installDirs;
};

// May the path, given in each of its spellings, be locked? Each system directory and every folder
// above it (or any text that merely begins it) are Windows itself; the installation folder, the
// folders above it and everything whose text begins with it are the program's own files. A path
// is refused when any of its spellings meets any spelling of a folder; the system rule comes
// first. Letter case plays no part.
PathCheckResult DecideLockPath(const std::vector<std::string>& spellings, const LockRuleFolders& folders,
                               const AnsiCodePage& codePage);

// Does the path, in any of its spellings, lie in the installation folder, in any of its (by
// text, in any letter case: "C:\Apps\LkTools" lies in "C:\Apps\Lk")?
bool DecideInProgramFolder(const std::vector<std::string>& spellings, const std::vector<std::string>& installDirs,
                           const AnsiCodePage& codePage);

// A path that a list can hold: a character below 0x20 would split the list file's line, and
// the part after it would be read as a path of its own.
bool IsListablePath(const char* path);

// A shortcut's raw target with "%SystemRoot%" made the Windows folder: only when the target
// begins with that exact text, and then every occurrence is replaced. Any other target, also
// one with other variables, comes back unchanged.
std::string ExpandSystemRoot(const std::string& target, const std::string& windowsDir);

// Copies text into a buffer of size bytes (size > 0), cut to size - 1 bytes and terminated,
// as lstrcpyn does.
void CopyCut(const std::string& text, char* buffer, size_t size);
