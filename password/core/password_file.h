// The password file: one line, the digest text of the current password. Reading and writing
// rules only; how the file is opened and replaced is password/password_store.h's business.
#pragma once

#include "framework/cstring.h"

#include <string>

// Relative to the current directory, which start-up sets to the installation folder.
constexpr char kPasswordFilePath[] = ".\\data\\password.txt";

// The digest of the default password, which applies only while no password file exists.
// Computed on every call: the password itself exists only as a literal, its digest nowhere.
CString DefaultPasswordDigest();

// The stored digest that the password file's bytes give: the first 32 characters of its first
// line, a CR LF line end read as the line feed a text-mode read gives. A shorter line keeps its
// line end and so never matches a digest; a file without any line gives the empty text, which
// no digest equals.
CString StoredDigestFromFile(const std::string& bytes);

// The file's bytes for pszDigest: its one line, with the line end that a text-mode "%s\n" stores
// on Windows, CR LF.
std::string DigestFileContent(const char* pszDigest);
