// The password file: one line, the digest text of the current password. Reading and writing
// rules only; where the file lives and how it is replaced is the dialogs' business.
#pragma once

#include "framework/cstring.h"

#include <string>

// Relative to the current directory, which start-up sets to the installation folder.
constexpr char kPasswordFilePath[] = ".\\data\\password.txt";

// The digest of the default password, which applies while no readable password file exists.
// Computed on every call: the password itself exists only as a literal, its digest nowhere.
CString DefaultPasswordDigest();

// The stored digest as the file at pszPath gives it: the first 32 characters of its first line
// (a shorter line keeps its line end and so never matches a digest). The file is opened for
// reading and updating, so a file that cannot be written (read-only, no access, locked) counts
// as missing. A missing file, and a file that opens but yields no line, give the default
// password's digest.
CString ReadStoredDigest(const char* pszPath);

// The file's bytes for pszDigest: its one line, with the line end that a text-mode "%s\n" stores
// on Windows, CR LF.
std::string DigestFileContent(const char* pszDigest);
