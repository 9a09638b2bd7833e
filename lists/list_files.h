// Writing a list file so that it is never left half written: the new content goes to a
// temporary file beside it, which then takes the old file's place in one step. A crash, a kill
// or a full disk during the save leaves the previous file as it was.
#pragma once

#include <windows.h>

#include <string>

// Puts content in place of the file at path. FALSE, with the file at path unchanged and no
// temporary file left, when any step fails.
BOOL ReplaceListFile(const char* path, const std::string& content);

// The two steps of ReplaceListFile. WriteListFileTemporary writes and flushes path + ".tmp";
// CommitListFile moves it over path (through to the disk). Neither touches the file at path
// before the move.
BOOL WriteListFileTemporary(const char* path, const std::string& content);
BOOL CommitListFile(const char* path);
