#include "ctl/core/variables.h"

Expansion ExpandVariables(std::string_view text, const VariableLookup& lookup, size_t maxLength,
                          std::string& expanded, std::string& unknown)
{
    expanded.clear();
    while (!text.empty()) {
        const size_t open = text.find('%');
        const size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) {
            expanded.append(text);
            break;
        }
        const std::string_view name = text.substr(open + 1, close - open - 1);
        if (name.empty() || name.find('\\') != std::string_view::npos) {
            // Not a reference: the first '%' is text, and the second may open one.
            expanded.append(text.substr(0, open + 1));
            text.remove_prefix(open + 1);
            continue;
        }
        const std::optional<std::string> value = lookup(std::string(name));
        if (!value) {
            unknown = name;
            return Expansion::UnknownVariable;
        }
        if (expanded.size() + open + value->size() > maxLength)
            return Expansion::TooLong;
        expanded.append(text.substr(0, open));
        expanded.append(*value);
        text.remove_prefix(close + 1);
    }
    return Expansion::Done;
}

std::string UnknownVariableRefusal(const std::string& name)
{
    return "Unknown variable %" + name + "%";
}
