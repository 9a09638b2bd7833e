// Text into a code page, all or nothing, with the code page passed in: UTF-8 (an ANSI code page
// that Windows 10 and 11 offer, whose conversion takes no flag but WC_ERR_INVALID_CHARS), a
// single-byte and a double-byte one.
#include "framework/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    UINT codePage;
    const wchar_t* wide;
    const char* bytes;  // nullptr: does not convert
};

TEST(WideToCodePage, GivesEachCharacterAsItselfOrNothing)
{
    const Case cases[] = {
        {CP_UTF8, L"C:\\Daten\\\u03A9\u00E9", "C:\\Daten\\\xCE\xA9\xC3\xA9"},
        {CP_UTF8, L"C:\\\U0001F600", "C:\\\xF0\x9F\x98\x80"},
        {CP_UTF8, L"C:\\\xD800x", nullptr},  // a lone surrogate would become U+FFFD
        {1252, L"C:\\Donn\u00E9es", "C:\\Donn\xE9" "es"},
        {1252, L"C:\\\u03A9mega", nullptr},  // the default character
        {1252, L"C:\\\u0100bc", nullptr},    // a best fit: "A"
        {1252, L"C:\\e\u0301", nullptr},     // not composed into another name
        {932, L"C:\\\u65E5\u672C", "C:\\\x93\xFA\x96\x7B"},
        {932, L"C:\\\u00E9", nullptr},
    };
    for (const Case& c : cases) {
        const auto text = WideToCodePage(c.codePage, c.wide);
        char out[64] = "unchanged";
        const int written = WideToCodePage(c.codePage, c.wide, -1, out, sizeof out);
        if (c.bytes) {
            EXPECT_EQ(text, std::string(c.bytes)) << c.codePage;
            EXPECT_EQ(written, static_cast<int>(std::char_traits<char>::length(c.bytes)) + 1) << c.codePage;
            EXPECT_STREQ(out, c.bytes) << c.codePage;
        } else {
            EXPECT_EQ(text, std::nullopt) << c.codePage << ": " << *text;
            EXPECT_EQ(written, 0) << c.codePage;
        }
    }
}

TEST(WideToCodePage, FailsWholeWhatDoesNotFitInsteadOfCuttingIt)
{
    char out[4];
    EXPECT_EQ(WideToCodePage(1252, L"abcd", -1, out, sizeof out), 0);
    EXPECT_EQ(WideToCodePage(CP_UTF8, L"a\u00E9", 2, out, sizeof out), 3);  // an explicit count, no NUL
    EXPECT_EQ(WideToCodePage(932, L"\u65E5\u65E5", -1, out, sizeof out), 0);
}

}  // namespace
