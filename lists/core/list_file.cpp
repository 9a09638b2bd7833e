#include "lists/core/list_file.h"

void AppendListFileLine(std::string& content, std::string_view path)
{
    content.append(path);
    content.append("\r\n");
}

std::string ListFileContent(const std::vector<std::string>& paths)
{
    std::string content;
    for (const std::string& path : paths)
        AppendListFileLine(content, path);
    return content;
}
