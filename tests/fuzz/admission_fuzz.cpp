// The admission rules with a path from the input, in two properties.
// 1. The text rule: a path that the system directory begins with, in any letter case, is never
//    admitted to the locked list, for Windows compares folder names without regard to case.
// 2. The list model on a played machine: no spelling the rules know of a refused folder is ever
//    admitted, from any source. The spelling is built from the folder by the input's bytes:
//    local shares (names and addresses of this machine, ADMIN$, \\?\UNC\), device prefixes, a
//    link or subst drive, the 8.3 name, letter case, separators, "." and ".." parts, trailing
//    separators, dots and blanks, stream suffixes.
#include "lists/core/admission_rules.h"
#include "lists/core/list_model.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/unit/code_pages.h"
#include "tests/unit/lists/played_path_facts.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

namespace {

void CheckTextRule(FuzzedDataProvider& data)
{
    const std::string systemDir = data.ConsumeRandomLengthString(300);
    const std::string currentDir = data.ConsumeRandomLengthString(300);
    const AnsiCodePage& codePage = data.ConsumeBool() ? kCp932 : kCp1252;
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
    const LockRuleFolders folders{{systemDir}, {currentDir}};
    FUZZ_CHECK(DecideLockPath({path}, folders, codePage) != PATH_OK);
    DecideInProgramFolder({path}, folders.installDirs, codePage);
}

// The folder's path after its root ("C:\"), spelled otherwise by the input.
std::string Respell(FuzzedDataProvider& data, const std::string& rest)
{
    std::string out;
    for (char c : rest) {
        if (c == '\\') {
            switch (data.ConsumeIntegralInRange(0, 5)) {
            case 1: out += '/'; break;
            case 2: out += "\\\\"; break;
            case 3: out += "\\.\\"; break;
            case 4: out += "\\x\\..\\"; break;
            default: out += '\\';
            }
        } else {
            const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            out += letter && data.ConsumeBool() ? static_cast<char>(c ^ 0x20) : c;
        }
    }
    return out;
}

void CheckSpellings(FuzzedDataProvider& data)
{
    // Each refused folder, as a path below C:\, with the list that refuses it.
    const struct {
        const char* rest;
        bool trusted;
    } refused[] = {
        {"", false},
        {"Windows", false},
        {"Windows\\System32", false},
        {"Windows\\SysWOW64", false},
        {"Program Files", false},
        {"Program Files\\Veltrix", false},
        {"Program Files\\Veltrix\\data\\filter.txt", false},
        {"Program Files\\Veltrix\\vtx.exe", true},
    };
    const auto& folder = refused[data.ConsumeIntegralInRange<size_t>(0, std::size(refused) - 1)];
    CPlayedFacts facts;
    if (data.ConsumeBool())
        facts.m_installDir = "C:\\PROGRA~1\\Veltrix";
    std::string rest = folder.rest;
    if (rest.rfind("Program Files", 0) == 0 && data.ConsumeBool())
        rest.replace(0, 13, "PROGRA~1");
    std::string root = "C:\\";
    const bool underWindows = rest.rfind("Windows", 0) == 0;
    switch (data.ConsumeIntegralInRange(0, 9)) {
    case 1: root = "\\\\?\\C:\\"; break;
    case 2: root = "\\\\.\\C:\\"; break;
    case 3: root = "\\\\localhost\\C$\\"; break;
    case 4: root = "\\\\127." + std::to_string(data.ConsumeIntegral<uint8_t>()) + ".0.1\\c$\\"; break;
    case 5: root = "\\\\?\\UNC\\PC1\\C$\\"; break;
    case 6: root = "\\\\10.0.0.5\\C$\\"; break;
    case 7:
    case 8:
    case 9:
        // The Windows folder by another name: ADMIN$, a link, a subst drive.
        if (underWindows) {
            const char* const windows[] = {"\\\\localhost\\ADMIN$", "D:\\Link", "W:"};
            root = std::string(windows[data.ConsumeIntegralInRange(0, 2)]) + "\\";
            rest = rest.substr(std::min<size_t>(rest.size(), 8));
        }
        break;
    default: break;
    }
    std::string path = root + Respell(data, rest);
    switch (data.ConsumeIntegralInRange(0, 5)) {
    case 1: path += "\\"; break;
    case 2: path += "::$INDEX_ALLOCATION"; break;
    case 3: path += ":$DATA"; break;
    case 4: path += ":" + data.ConsumeRandomLengthString(8); break;
    default: break;
    }
    CListModel model(folder.trusted ? g_trustedList : g_lockedList, facts);
    for (PathSource source : {PathSource::Typed, PathSource::Imported, PathSource::Chosen, PathSource::Dropped}) {
        const ListChange change = model.PlanAdd(path, source);
        if (change.kind == ListChange::Add)
            std::fprintf(stderr, "admitted: %s (source %d)\n", path.c_str(), static_cast<int>(source));
        FUZZ_CHECK(change.kind != ListChange::Add);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    if (data.ConsumeBool())
        CheckTextRule(data);
    else
        CheckSpellings(data);

    // Whatever the rest of the input is, the rules only answer.
    const std::string other = data.ConsumeRemainingBytesAsString();
    CPlayedFacts facts;
    CListModel(g_lockedList, facts).PlanAdd(other, PathSource::Imported);
    CListModel(g_trustedList, facts).PlanAdd(other, PathSource::Typed);
    IsListablePath(other.c_str());
    const std::string expanded = ExpandSystemRoot(other, "C:\\Windows");
    char buffer[260];
    CopyCut(expanded, buffer, sizeof buffer);
    FUZZ_CHECK(std::string(buffer) == expanded.substr(0, std::string(buffer).size()));
    return 0;
}
