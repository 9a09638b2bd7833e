// The password file with any content: the stored digest is the first line's first 32 bytes (up
// to a NUL), or the default password's digest when the file holds no line at all.
#include "password/core/password_file.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string g_path;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* tmp = std::getenv("TMPDIR");
    g_path = std::string(tmp ? tmp : "/tmp") + "/vtx-password-fuzz-" + std::to_string(getpid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    std::FILE* file = std::fopen(g_path.c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(std::fwrite(bytes, 1, size, file) == size);
    std::fclose(file);
    const CString digest = ReadStoredDigest(g_path.c_str());
    std::remove(g_path.c_str());

    if (size == 0) {
        FUZZ_CHECK(digest == DefaultPasswordDigest());
        return 0;
    }
    const std::string content(reinterpret_cast<const char*>(bytes), size);
    const size_t lineEnd = content.find('\n');
    std::string expected = lineEnd == std::string::npos ? content : content.substr(0, lineEnd + 1);
    expected = expected.substr(0, 32);
    expected = expected.substr(0, expected.find('\0'));
    FUZZ_CHECK(expected == digest.GetString());
    return 0;
}
