// The rules that decide what may enter the protection lists, given the directories they
// depend on. The Win32 side reads the directories; everything here is plain text comparison.
#pragma once

#include <string>

enum PathCheckResult { PATH_OK = 0, PATH_SYSTEM_DIR = 1, PATH_OWN_FILES = 2 };

// TRUE when the first strlen(leading) bytes of text equal leading: exact, case-sensitive, no
// normalisation, no separator check. The empty string leads every string; a null pointer
// counts as the empty string.
//
// The comparison is on bytes. In a double-byte code page the cut can fall between the lead
// and trail bytes of a character of text; the lone lead byte is then compared as a byte, so
// only a leading text that ends in that same byte matches. (A multibyte string comparison
// would take any lone lead byte at the end as the string's end, and count "C:\x" + lead byte
// 0x81 as leading "C:\x" + 0x82 0x40; such a leading text is not a valid path at all.)
bool IsLeadingPart(const char* leading, const char* text);

// May the path be locked? The system directory and every folder above it (or any text that
// merely begins it) are Windows itself; the installation folder, the folders above it and
// everything whose text begins with it are the program's own files.
PathCheckResult DecideLockPath(const char* path, const char* systemDir, const char* currentDir);

// Does the path lie in the installation folder (by text: "C:\Apps\LkTools" lies in
// "C:\Apps\Lk")?
bool DecideInProgramFolder(const char* path, const char* currentDir);

// A shortcut's raw target with "%SystemRoot%" made the Windows folder: only when the target
// begins with that exact text, and then every occurrence is replaced. Any other target, also
// one with other variables, comes back unchanged.
std::string ExpandSystemRoot(const std::string& target, const std::string& windowsDir);

// Copies text into a buffer of size bytes (size > 0), cut to size - 1 bytes and terminated,
// as lstrcpyn does.
void CopyCut(const std::string& text, char* buffer, size_t size);
