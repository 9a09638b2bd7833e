// The file that vtxctl exports both protection lists to and imports them from: two sections,
// "[locked]" then "[trusted]", each followed by its paths, one a line, in the list files' code
// page and line ends. Empty lines are ignored on reading; LF alone ends a line too.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct TransferLists {
    std::vector<std::string> locked;
    std::vector<std::string> trusted;
    // The file has the section, though perhaps no line in it: import --replace empties a list
    // whose section is empty and leaves alone a list the file does not name.
    bool namesLocked = false;
    bool namesTrusted = false;
};

// The most an import reads. Both lists as long as the driver's are read (65,536 lines of 259
// characters each) take 34 MB.
constexpr size_t kMaxTransferFileSize = size_t(64) << 20;

std::string TransferFileContent(const TransferLists& lists);

// Reads content into lists (appending). Returns 0 when every line was read, otherwise the number
// (from 1) of the first line that belongs nowhere: a path before any section, or a section
// header other than the two; nothing is appended then.
size_t ParseTransferFile(std::string_view content, TransferLists& lists);
