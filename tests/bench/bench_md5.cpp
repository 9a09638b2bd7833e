// MD5 throughput as a ratio against OpenSSL's MD5, both measured in this run.
//   bench_md5 [bytes per digest, default 64 MiB] [rounds, default 7]
// Each round times both over the same buffer; the best time of each counts.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/md5.h>

#include "password/core/md5.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsOf(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

CString OpenSslHexDigest(const unsigned char* data, size_t length)
{
    unsigned char digest[MD5_DIGEST_LENGTH];
    MD5_CTX context;
    MD5_Init(&context);
    MD5_Update(&context, data, length);
    MD5_Final(digest, &context);
    char text[33];
    for (int i = 0; i < 16; ++i)
        std::snprintf(text + 2 * i, 3, "%02x", digest[i]);
    return CString(text);
}

}  // namespace

int main(int argc, char** argv)
{
    const unsigned long size = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64ul << 20;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    if (size == 0 || size > 0xFFFFFFFFul || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_md5 [bytes 1..4294967295] [rounds]\n");
        return 2;
    }

    std::vector<unsigned char> data(size);
    std::mt19937 random(12345);
    for (auto& byte : data)
        byte = static_cast<unsigned char>(random());
    const char* text = reinterpret_cast<const char*>(data.data());

    double oursBest = 1e300, theirsBest = 1e300;
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        const CString ours = MD5HexDigest(text, static_cast<uint32_t>(size));
        oursBest = std::min(oursBest, SecondsOf(Clock::now() - start));

        start = Clock::now();
        const CString theirs = OpenSslHexDigest(data.data(), size);
        theirsBest = std::min(theirsBest, SecondsOf(Clock::now() - start));

        if (ours != theirs) {
            std::fprintf(stderr, "digests differ: %s against OpenSSL's %s\n", ours.GetString(),
                         theirs.GetString());
            return 1;
        }
    }

    const double megabytes = static_cast<double>(size) / (1024.0 * 1024.0);
    std::printf("MD5HexDigest: %.1f MiB/s\n", megabytes / oursBest);
    std::printf("OpenSSL MD5:  %.1f MiB/s\n", megabytes / theirsBest);
    std::printf("ratio: %.3f\n", theirsBest / oursBest);
    return 0;
}
