// The format of the list files: whatever reads them outside the program relies on it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Appends one entry's line: the path exactly as the view shows it, then CR LF. A list file is
// these lines in view order and nothing else, so an empty list gives an empty file.
void AppendListFileLine(std::string& content, std::string_view path);

// The whole file for a list's entries in view order.
std::string ListFileContent(const std::vector<std::string>& paths);
