#include "lists/core/list_entry_rules.h"

bool LooksLikeFolderPath(std::string_view path)
{
    const size_t separator = path.find_last_of("\\/:");
    const std::string_view last = separator == std::string_view::npos ? path : path.substr(separator + 1);
    const size_t dot = last.rfind('.');
    // "name." and ".hidden" carry no usable extension either.
    return last.empty() || dot == std::string_view::npos || dot == 0 || dot + 1 == last.size();
}
