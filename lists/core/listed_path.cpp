#include "lists/core/listed_path.h"

#include <cstring>

bool IsSameListedPath(const char* a, const char* b, const AnsiCodePage& codePage)
{
    const size_t length = a ? std::strlen(a) : 0;
    return length == (b ? std::strlen(b) : 0) && IsLeadingPart(a, b, codePage);
}
