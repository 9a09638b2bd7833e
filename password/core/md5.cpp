#include "password/core/md5.h"

#include <cstring>

namespace {

// Little-endian loads and stores by bytes: the compiler turns them into single moves on x86,
// and they stay right on any byte order.
inline uint32_t LoadLE32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline void StoreLE32(unsigned char* p, uint32_t value)
{
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}

inline uint32_t RotateLeft(uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

// The auxiliary functions in forms with fewer dependent operations than the RFC's:
// F = (x & y) | (~x & z) as z ^ (x & (y ^ z)); G's two terms have no common bits, so they
// are added separately and each can start as soon as its input is ready.
inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) { return z ^ (x & (y ^ z)); }
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }

inline void StepF(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t t, int s)
{
    a = RotateLeft(a + F(b, c, d) + x + t, s) + b;
}

inline void StepG(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t t, int s)
{
    a += x + t + (c & ~d);
    a += b & d;
    a = RotateLeft(a, s) + b;
}

inline void StepH(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t t, int s)
{
    a = RotateLeft(a + H(b, c, d) + x + t, s) + b;
}

inline void StepI(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t t, int s)
{
    a = RotateLeft(a + I(b, c, d) + x + t, s) + b;
}

}  // namespace

CMD5Context::CMD5Context() : m_byInput{}, m_nBitCount{0, 0}, m_nState{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476}
{
}

CMD5Context::~CMD5Context() = default;

void CMD5Context::Update(const unsigned char* pInput, uint32_t nLength)
{
    if (nLength == 0)
        return;
    uint32_t nIndex = (m_nBitCount[0] >> 3) & 0x3F;
    const uint32_t nBits = nLength << 3;
    m_nBitCount[0] += nBits;
    if (m_nBitCount[0] < nBits)
        ++m_nBitCount[1];
    m_nBitCount[1] += nLength >> 29;

    const uint32_t nPartLength = 64 - nIndex;
    uint32_t nDone = 0;
    if (nLength >= nPartLength) {
        if (nIndex != 0) {
            std::memcpy(&m_byInput[nIndex], pInput, nPartLength);
            Transform(m_byInput, 1);
            nDone = nPartLength;
        }
        const uint32_t nBlocks = (nLength - nDone) / 64;
        Transform(pInput + nDone, nBlocks);
        nDone += nBlocks * 64;
        nIndex = 0;
    }
    std::memcpy(&m_byInput[nIndex], pInput + nDone, nLength - nDone);
}

CString CMD5Context::Final()
{
    unsigned char byLength[8];
    StoreLE32(byLength, m_nBitCount[0]);
    StoreLE32(byLength + 4, m_nBitCount[1]);

    static const unsigned char byPadding[64] = {0x80};
    const uint32_t nIndex = (m_nBitCount[0] >> 3) & 0x3F;
    Update(byPadding, nIndex < 56 ? 56 - nIndex : 120 - nIndex);
    Update(byLength, 8);

    // Each byte as two lower-case digits, a leading zero below 16 ("00" for zero).
    static const char kDigits[] = "0123456789abcdef";
    char text[33];
    for (int i = 0; i < 16; ++i) {
        const uint32_t byte = (m_nState[i / 4] >> (8 * (i % 4))) & 0xFF;
        text[2 * i] = kDigits[byte >> 4];
        text[2 * i + 1] = kDigits[byte & 0xF];
    }
    text[32] = '\0';
    return CString(text, 32);
}

void CMD5Context::Transform(const unsigned char* pBlocks, uint32_t nBlocks)
{
    uint32_t a = m_nState[0], b = m_nState[1], c = m_nState[2], d = m_nState[3];
    for (; nBlocks != 0; --nBlocks, pBlocks += 64) {
        uint32_t x[16];
        for (int i = 0; i < 16; ++i)
            x[i] = LoadLE32(pBlocks + 4 * i);
        const uint32_t aa = a, bb = b, cc = c, dd = d;

        StepF(a, b, c, d, x[0], 0xd76aa478, 7);
        StepF(d, a, b, c, x[1], 0xe8c7b756, 12);
        StepF(c, d, a, b, x[2], 0x242070db, 17);
        StepF(b, c, d, a, x[3], 0xc1bdceee, 22);
        StepF(a, b, c, d, x[4], 0xf57c0faf, 7);
        StepF(d, a, b, c, x[5], 0x4787c62a, 12);
        StepF(c, d, a, b, x[6], 0xa8304613, 17);
        StepF(b, c, d, a, x[7], 0xfd469501, 22);
        StepF(a, b, c, d, x[8], 0x698098d8, 7);
        StepF(d, a, b, c, x[9], 0x8b44f7af, 12);
        StepF(c, d, a, b, x[10], 0xffff5bb1, 17);
        StepF(b, c, d, a, x[11], 0x895cd7be, 22);
        StepF(a, b, c, d, x[12], 0x6b901122, 7);
        StepF(d, a, b, c, x[13], 0xfd987193, 12);
        StepF(c, d, a, b, x[14], 0xa679438e, 17);
        StepF(b, c, d, a, x[15], 0x49b40821, 22);

        StepG(a, b, c, d, x[1], 0xf61e2562, 5);
        StepG(d, a, b, c, x[6], 0xc040b340, 9);
        StepG(c, d, a, b, x[11], 0x265e5a51, 14);
        StepG(b, c, d, a, x[0], 0xe9b6c7aa, 20);
        StepG(a, b, c, d, x[5], 0xd62f105d, 5);
        StepG(d, a, b, c, x[10], 0x02441453, 9);
        StepG(c, d, a, b, x[15], 0xd8a1e681, 14);
        StepG(b, c, d, a, x[4], 0xe7d3fbc8, 20);
        StepG(a, b, c, d, x[9], 0x21e1cde6, 5);
        StepG(d, a, b, c, x[14], 0xc33707d6, 9);
        StepG(c, d, a, b, x[3], 0xf4d50d87, 14);
        StepG(b, c, d, a, x[8], 0x455a14ed, 20);
        StepG(a, b, c, d, x[13], 0xa9e3e905, 5);
        StepG(d, a, b, c, x[2], 0xfcefa3f8, 9);
        StepG(c, d, a, b, x[7], 0x676f02d9, 14);
        StepG(b, c, d, a, x[12], 0x8d2a4c8a, 20);

        StepH(a, b, c, d, x[5], 0xfffa3942, 4);
        StepH(d, a, b, c, x[8], 0x8771f681, 11);
        StepH(c, d, a, b, x[11], 0x6d9d6122, 16);
        StepH(b, c, d, a, x[14], 0xfde5380c, 23);
        StepH(a, b, c, d, x[1], 0xa4beea44, 4);
        StepH(d, a, b, c, x[4], 0x4bdecfa9, 11);
        StepH(c, d, a, b, x[7], 0xf6bb4b60, 16);
        StepH(b, c, d, a, x[10], 0xbebfbc70, 23);
        StepH(a, b, c, d, x[13], 0x289b7ec6, 4);
        StepH(d, a, b, c, x[0], 0xeaa127fa, 11);
        StepH(c, d, a, b, x[3], 0xd4ef3085, 16);
        StepH(b, c, d, a, x[6], 0x04881d05, 23);
        StepH(a, b, c, d, x[9], 0xd9d4d039, 4);
        StepH(d, a, b, c, x[12], 0xe6db99e5, 11);
        StepH(c, d, a, b, x[15], 0x1fa27cf8, 16);
        StepH(b, c, d, a, x[2], 0xc4ac5665, 23);

        StepI(a, b, c, d, x[0], 0xf4292244, 6);
        StepI(d, a, b, c, x[7], 0x432aff97, 10);
        StepI(c, d, a, b, x[14], 0xab9423a7, 15);
        StepI(b, c, d, a, x[5], 0xfc93a039, 21);
        StepI(a, b, c, d, x[12], 0x655b59c3, 6);
        StepI(d, a, b, c, x[3], 0x8f0ccc92, 10);
        StepI(c, d, a, b, x[10], 0xffeff47d, 15);
        StepI(b, c, d, a, x[1], 0x85845dd1, 21);
        StepI(a, b, c, d, x[8], 0x6fa87e4f, 6);
        StepI(d, a, b, c, x[15], 0xfe2ce6e0, 10);
        StepI(c, d, a, b, x[6], 0xa3014314, 15);
        StepI(b, c, d, a, x[13], 0x4e0811a1, 21);
        StepI(a, b, c, d, x[4], 0xf7537e82, 6);
        StepI(d, a, b, c, x[11], 0xbd3af235, 10);
        StepI(c, d, a, b, x[2], 0x2ad7d2bb, 15);
        StepI(b, c, d, a, x[9], 0xeb86d391, 21);

        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }
    m_nState[0] = a;
    m_nState[1] = b;
    m_nState[2] = c;
    m_nState[3] = d;
}

CString MD5HexDigest(const char* pText, uint32_t nLength)
{
    CMD5Context context;
    context.Update(reinterpret_cast<const unsigned char*>(pText), nLength);
    return context.Final();
}
