// MD5 (RFC 1321) and the digest text: the only form in which a password is stored or compared.
#pragma once

#include "framework/cstring.h"

#include <cstdint>

// Computes one digest: constructed, fed, finished, discarded; never reset or reused.
class CMD5Context {
public:
    CMD5Context();
    virtual ~CMD5Context();

    // Feeds bytes; any count, including 0, any number of times.
    void Update(const unsigned char* pInput, uint32_t nLength);
    // Appends the end-of-message bytes and the bit count; returns the 32-character digest text.
    CString Final();

private:
    void Transform(const unsigned char* pBlocks, uint32_t nBlocks);

    unsigned char m_byInput[64];  // the current, not yet complete block
    uint32_t m_nBitCount[2];      // bits fed so far: low word, high word
    uint32_t m_nState[4];         // the chaining words A, B, C, D
};

// The digest text of nLength bytes at pText: 16 bytes, two lower-case hexadecimal digits each.
CString MD5HexDigest(const char* pText, uint32_t nLength);
