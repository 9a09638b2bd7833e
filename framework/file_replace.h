// Saving a whole file so that it is never left half written and keeps what the file was: the
// new content goes to a temporary file of its own beside it, which then takes the old file's
// place in one step that keeps the old file's attributes and access rights.
#pragma once

#include <windows.h>

#include <string>

// Who may reach the file written.
enum class FileAccess {
    Kept,                // what the replaced file had, or the folder's for a new file
    AdministratorsOnly,  // full control for SYSTEM and Administrators, nothing inherited
};

// Puts content in place of the file at path (created when missing). FALSE, with the file at path
// unchanged and no temporary file left, when any step fails; a read-only file is never written.
// With AdministratorsOnly the new content never stands under another access list.
BOOL ReplaceFileContent(const char* path, const std::string& content, FileAccess access = FileAccess::Kept);

// After ReplaceFile failed with error: puts the temporary file in place where that failure left
// the old file gone (renamed away, without a backup name) and the new content under the
// temporary name. FALSE for any other failure, with both files as they were.
BOOL RecoverFailedReplace(DWORD error, const char* temporary, const char* path);

// The protected access list of AdministratorsOnly set on the file at path; TRUE when it was set.
BOOL SetAdministratorsOnlyAccess(const char* path);
