// Text from UTF-16 into a code page, all or nothing: a character the code page cannot hold as
// itself does not convert, rather than coming out as the default character or as a look-alike
// (a best fit), which would name another file.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// count units of wide (-1: up to and with its NUL) into out of capacity bytes, in codePage (a
// real one, such as GetACP() gives, not CP_ACP). Returns the bytes written, or 0 when a
// character does not convert or the result does not fit.
int WideToCodePage(UINT codePage, const WCHAR* wide, int count, char* out, int capacity);

// The NUL-terminated text in codePage; nullopt when a character does not convert.
std::optional<std::string> WideToCodePage(UINT codePage, const WCHAR* wide);
