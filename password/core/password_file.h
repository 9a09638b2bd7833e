// The password file: one line, the digest text of the current password. Reading and writing
// rules only; where the file lives and how it is replaced is the dialogs' business.
#pragma once

#include "framework/cstring.h"

#include <cstdio>

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

// Writes pszDigest as the file's one line with "%s\n" (a text-mode stream on Windows stores the
// line end as CR LF) and flushes the stream. FALSE when any byte did not reach the file.
bool WriteDigestLine(std::FILE* pFile, const char* pszDigest);
