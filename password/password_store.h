// The password file as both programs read it: the gate opens with the default password only
// where no password was ever set.
#pragma once

#include "framework/cstring.h"

#include <optional>

// The stored digest of the password file at path: the default password's when the file does not
// exist, else what its bytes give (password/core/password_file.h). nullopt when the file exists
// but cannot be read (held by another program without sharing, no access): then no password is
// accepted. The file is opened for reading only and lets others read, write and delete it
// meanwhile, so that a read-only file, or one a backup holds open, is read all the same.
std::optional<CString> ReadStoredDigest(const char* path);
