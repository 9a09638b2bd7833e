// The installation that the setup made (scripts/prepare-prefix runs it), seen from beside the
// program: the driver's two lists through the program's own enumeration, and the files of the
// data folder.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

extern const char g_szInstallDir[];

// The driver's service running, as the program would find it; a fresh Wine server loads it again
// and it reads its lists back from the list files. Fails the test when it does not run.
void EnsureDriverRunning();

// One of the driver's lists, in its order. Fails the test when the device cannot be opened.
std::vector<std::string> DriverList(DWORD enumCode);
// Removes every entry of one of the driver's lists, one request per entry as the program does.
void ClearDriverList(DWORD enumCode, DWORD removeCode);

// A file of the installation's data folder: "filter.txt", "TrustedPs.txt", "password.txt".
std::string DataFile(const char* name);
// A file's bytes; nullopt when it does not exist.
std::optional<std::string> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Removes the file if it is there; fails the test when it stays.
void RemoveFile(const std::string& path);
