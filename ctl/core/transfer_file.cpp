#include "ctl/core/transfer_file.h"

#include "lists/core/list_file.h"

namespace {
constexpr std::string_view kLockedHeader = "[locked]";
constexpr std::string_view kTrustedHeader = "[trusted]";
}  // namespace

std::string TransferFileContent(const TransferLists& lists)
{
    std::string content;
    AppendListFileLine(content, kLockedHeader);
    for (const std::string& path : lists.locked)
        AppendListFileLine(content, path);
    AppendListFileLine(content, kTrustedHeader);
    for (const std::string& path : lists.trusted)
        AppendListFileLine(content, path);
    return content;
}

size_t ParseTransferFile(std::string_view content, TransferLists& lists)
{
    TransferLists read;
    std::vector<std::string>* section = nullptr;
    size_t number = 0;
    while (!content.empty()) {
        ++number;
        const size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        if (line == kLockedHeader) {
            section = &read.locked;
            read.namesLocked = true;
        } else if (line == kTrustedHeader) {
            section = &read.trusted;
            read.namesTrusted = true;
        }
        else if (line.front() == '[' || !section)
            return number;
        else
            section->emplace_back(line);
    }
    lists.locked.insert(lists.locked.end(), read.locked.begin(), read.locked.end());
    lists.trusted.insert(lists.trusted.end(), read.trusted.begin(), read.trusted.end());
    lists.namesLocked = lists.namesLocked || read.namesLocked;
    lists.namesTrusted = lists.namesTrusted || read.namesTrusted;
    return 0;
}
