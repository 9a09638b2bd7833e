// What vtxctl does to the driver's lists, with the window's own rules and requests. Every
// function runs in the installation folder, with the password checked, and reports each refusal
// or failure on standard error; each returns a CtlExit code.
#pragma once

#include <string>
#include <vector>

// Prints whether the service runs, the installation folder and the driver's list sizes.
int ShowStatus(const char* installDir);
// Prints the driver's list, one path a line, in its order.
int PrintList(bool trusted);
// Adds or removes the paths (made full already; "?" marks a character the code page lacks) by
// the list model's rules, then writes the list's file if it changed. A list that the driver did
// not give whole is not changed at all.
int AddPaths(bool trusted, const std::vector<std::string>& paths);
int RemovePaths(bool trusted, const std::vector<std::string>& paths);
// Both lists to the file; what the file lists and the lists lack back to the driver (the whole
// file read, or nothing done).
int ExportLists(const std::string& file);
int ImportLists(const std::string& file);
