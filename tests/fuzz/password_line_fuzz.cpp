// The password file with any content: the stored digest is the first line's first 32 bytes (up
// to a NUL; a CR LF line end read as LF), or the empty text when the file holds no line at all.
#include "password/core/password_file.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const std::string content(reinterpret_cast<const char*>(bytes), size);
    const CString digest = StoredDigestFromFile(content);

    const size_t lineEnd = content.find('\n');
    std::string expected = lineEnd == std::string::npos ? content : content.substr(0, lineEnd + 1);
    if (lineEnd != std::string::npos && lineEnd > 0 && content[lineEnd - 1] == '\r')
        expected.replace(expected.size() - 2, 2, "\n");
    expected = expected.substr(0, 32);
    expected = expected.substr(0, expected.find('\0'));
    FUZZ_CHECK(expected == digest.GetString());
    FUZZ_CHECK(size != 0 || digest.GetLength() == 0);
    return 0;
}
