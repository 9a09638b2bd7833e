// Saving a whole file so that it is never left half written and keeps what the file was: the
// new content goes to a temporary file of its own beside it, which then takes the old file's
// place in one step that keeps the old file's attributes and access rights.
#pragma once

#include <windows.h>

#include <string>

// Puts content in place of the file at path (created when missing). FALSE, with the file at path
// unchanged and no temporary file left, when any step fails; a read-only file is never written.
BOOL ReplaceFileContent(const char* path, const std::string& content);
