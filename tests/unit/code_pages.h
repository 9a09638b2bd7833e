// The ANSI code pages the tests play, as the machine's CharUpper and IsDBCSLeadByte read them:
// a single-byte page, a double-byte page, and a single-byte page whose only letters are ASCII's.
#pragma once

#include "lists/core/admission_rules.h"

inline bool NoLeadBytes(unsigned char)
{
    return false;
}

inline unsigned char UpperAscii(unsigned char byte)
{
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 0x20) : byte;
}

// Code page 1252: ASCII and accented letters have upper cases.
inline unsigned char Upper1252(unsigned char byte)
{
    if ((byte >= 0xE0 && byte <= 0xFE && byte != 0xF7))
        return static_cast<unsigned char>(byte - 0x20);
    return UpperAscii(byte);
}

// Code page 932: lead bytes 0x81-0x9F and 0xE0-0xFC (a trail byte may look like a letter and
// must never be folded); only ASCII letters have upper cases.
inline bool LeadByte932(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

inline const AnsiCodePage kCp1252{&NoLeadBytes, &Upper1252};
inline const AnsiCodePage kCp932{&LeadByte932, &UpperAscii};
inline const AnsiCodePage kAsciiLetters{&NoLeadBytes, &UpperAscii};
