#include "lists/core/list_file.h"

void AppendListFileLine(std::string& content, std::string_view path)
{
    content.append(path);
    content.append("\r\n");
}
