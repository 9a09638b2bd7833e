// The admission rules with a system directory, an installation folder and a path from the input.
// Property: a path that the system directory begins with, in any letter case, is never admitted
// to the locked list, for Windows compares folder names without regard to case.
#include "lists/core/admission_rules.h"
#include "tests/fuzz/fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const std::string systemDir = data.ConsumeRandomLengthString(300);
    const std::string currentDir = data.ConsumeRandomLengthString(300);
    const size_t cut = data.ConsumeIntegralInRange<size_t>(0, systemDir.size());
    // The system directory's first part with the case of some ASCII letters turned over.
    std::string path = systemDir.substr(0, cut);
    for (char& c : path) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (letter && data.ConsumeBool())
            c ^= 0x20;
    }
    FUZZ_CHECK(DecideLockPath(path.c_str(), systemDir.c_str(), currentDir.c_str()) != PATH_OK);

    // Whatever the rest of the input is, the other rules only answer.
    const std::string other = data.ConsumeRemainingBytesAsString();
    DecideLockPath(other.c_str(), systemDir.c_str(), currentDir.c_str());
    DecideInProgramFolder(other.c_str(), currentDir.c_str());
    const std::string expanded = ExpandSystemRoot(other, currentDir);
    char buffer[260];
    CopyCut(expanded, buffer, sizeof buffer);
    FUZZ_CHECK(std::string(buffer) == expanded.substr(0, std::string(buffer).size()));
    return 0;
}
