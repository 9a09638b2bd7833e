// The admission rules with a system directory, an installation folder and a path from the input.
// Property: a path that the system directory begins with, in any letter case, is never admitted
// to the locked list, for Windows compares folder names without regard to case.
#include "lists/core/admission_rules.h"
#include "tests/fuzz/fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

namespace {

bool NoLeadBytes(unsigned char) { return false; }
// Code page 932's lead bytes: a trail byte may look like a letter and must never be folded.
bool ShiftJisLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
unsigned char AsciiUpper(unsigned char b) { return b >= 'a' && b <= 'z' ? b - 0x20 : b; }

const AnsiCodePage kWestern{&NoLeadBytes, &AsciiUpper};
const AnsiCodePage kJapanese{&ShiftJisLeadByte, &AsciiUpper};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const std::string systemDir = data.ConsumeRandomLengthString(300);
    const std::string currentDir = data.ConsumeRandomLengthString(300);
    const AnsiCodePage& codePage = data.ConsumeBool() ? kJapanese : kWestern;
    const size_t cut = data.ConsumeIntegralInRange<size_t>(0, systemDir.size());
    // The system directory's first part with the case of some single-byte letters turned over.
    std::string path = systemDir.substr(0, cut);
    for (size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (codePage.isLeadByte(c)) {
            ++i;  // the trail byte belongs to the character
            continue;
        }
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (letter && data.ConsumeBool())
            path[i] = static_cast<char>(c ^ 0x20);
    }
    const bool hasSystemDir32 = data.ConsumeBool();
    const LockRuleFolders folders{hasSystemDir32 ? currentDir.c_str() : systemDir.c_str(),
                                  hasSystemDir32 ? systemDir.c_str() : nullptr, currentDir.c_str()};
    FUZZ_CHECK(DecideLockPath(path.c_str(), folders, codePage) != PATH_OK);

    // Whatever the rest of the input is, the other rules only answer.
    const std::string other = data.ConsumeRemainingBytesAsString();
    DecideLockPath(other.c_str(), folders, codePage);
    DecideInProgramFolder(other.c_str(), currentDir.c_str(), codePage);
    IsListablePath(other.c_str());
    const std::string expanded = ExpandSystemRoot(other, currentDir);
    char buffer[260];
    CopyCut(expanded, buffer, sizeof buffer);
    FUZZ_CHECK(std::string(buffer) == expanded.substr(0, std::string(buffer).size()));
    return 0;
}
