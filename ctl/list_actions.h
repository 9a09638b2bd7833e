// What vtxctl does to the driver's lists, with the window's own rules and requests. Every
// function runs in the installation folder, with the password checked, and reports each refusal
// or failure on standard error; each returns a CtlExit code.
#pragma once

#include "ctl/core/command_line.h"

#include <string>
#include <vector>

// Prints whether the service runs, the installation folder and the driver's list sizes; with
// json as one JSON document.
int ShowStatus(const char* installDir, bool json);
// Prints the driver's list, one path a line, in its order; with json as one JSON document.
int PrintList(bool trusted, bool json);
// Adds or removes the paths (made full already; "?" marks a character the code page lacks) by
// the list model's rules, then writes the list's file if it changed. A list that the driver did
// not give whole is not changed at all. With --dry-run they print what they would change and
// send, write and record nothing; with --json they print each path's result as one JSON document.
int AddPaths(const CtlCommand& command, const std::vector<std::string>& paths);
int RemovePaths(const CtlCommand& command, const std::vector<std::string>& paths);
// Writes both list files from the driver's lists; false, each reported, when one was not written.
bool SaveListFiles();
// Both lists to the file.
int ExportLists(const std::string& file);
// What the file lists and the lists lack back to the driver (the whole file read, or nothing
// done); with --replace each list that the file names becomes exactly the file's list.
int ImportLists(const CtlCommand& command, const std::string& file);
