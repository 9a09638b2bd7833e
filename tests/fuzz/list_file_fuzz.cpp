// Any list of admissible paths (1 to 259 bytes of ANSI text, no control characters, which no
// Windows path holds) written as a list file reads back, line by line, as the same entries.
#include "lists/core/list_file.h"
#include "tests/fuzz/fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    std::vector<std::string> entries;
    while (data.remaining_bytes() > 0) {
        std::string path;
        for (char c : data.ConsumeRandomLengthString(259))
            if (static_cast<unsigned char>(c) >= 0x20)
                path += c;
        if (!path.empty())
            entries.push_back(path);
    }
    std::string content;
    for (const std::string& path : entries)
        AppendListFileLine(content, path);

    // Read back as the driver reads a list file: lines end at LF, a CR before it is dropped.
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t lf = content.find('\n'); lf != std::string::npos; lf = content.find('\n', from)) {
        FUZZ_CHECK(lf > from && content[lf - 1] == '\r');
        lines.push_back(content.substr(from, lf - 1 - from));
        from = lf + 1;
    }
    FUZZ_CHECK(from == content.size());
    FUZZ_CHECK(lines == entries);
    return 0;
}
