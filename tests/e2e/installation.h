// The installation that the setup made (scripts/prepare-prefix runs it), seen from beside the
// program: its driver's service and the files of the data folder.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

extern const char g_szInstallDir[];

// The driver's service running, as the program would find it; a fresh Wine server loads it again
// and it reads its lists back from the list files. Fails the test when it does not run.
void EnsureDriverRunning();

// A file of the installation's data folder: "filter.txt", "TrustedPs.txt", "password.txt".
std::string DataFile(const char* name);
// Removes the file if it is there; fails the test when it stays.
void RemoveFile(const std::string& path);
