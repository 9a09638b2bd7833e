#include "framework/codepage.h"

int WideToCodePage(UINT codePage, const WCHAR* wide, int count, char* out, int capacity)
{
    // UTF-8 (and UTF-7) take no other flag and no default character: Windows refuses the call
    // outright. Any other character converts there, but a lone surrogate would become U+FFFD.
    if (codePage == CP_UTF8 || codePage == CP_UTF7)
        return ::WideCharToMultiByte(codePage, codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0, wide, count, out,
                                     capacity, nullptr, nullptr);
    BOOL usedDefault = FALSE;
    const int written =
        ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, count, out, capacity, nullptr, &usedDefault);
    return usedDefault ? 0 : written;
}

std::optional<std::string> WideToCodePage(UINT codePage, const WCHAR* wide)
{
    const int size = WideToCodePage(codePage, wide, -1, nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    std::string text(static_cast<size_t>(size), '\0');
    if (WideToCodePage(codePage, wide, -1, text.data(), size) != size)
        return std::nullopt;
    text.resize(static_cast<size_t>(size) - 1);
    return text;
}
