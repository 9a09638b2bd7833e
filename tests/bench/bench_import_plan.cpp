// How the plan of an import grows with the file: for each size, the plan of an import --replace
// of that many lines into a list of as many entries (half of the lines listed already in another
// letter case, half new, so half the entries go), as a ratio against the floor measured in the
// same run: the lines sorted without regard to case, which is n log n. The best of three rounds
// counts. Then the growth from the first size to the last.
//   bench_import_plan [lines ...]        default: 1000 10000
// Native, the machine played: what is measured is the plan, not Windows.
#include "ctl/core/import_plan.h"
#include "lists/core/list_model.h"
#include "tests/unit/lists/played_path_facts.h"
#include "tests/unit/played_enumeration.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsOf(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// A machine whose paths are all full and long already; entries compare without regard to case.
class CBenchFacts : public IPathFacts {
public:
    std::string SystemDir() override { return "C:\\Windows\\system32"; }
    std::string SystemDir32() override { return "C:\\Windows\\SysWOW64"; }
    std::string InstallDir() override { return "C:\\Program Files\\Veltrix"; }
    std::string WindowsDir() override { return "C:\\Windows"; }
    const AnsiCodePage& CodePage() override { return kAsciiLetters; }
    bool IsSameEntry(const std::string& a, const std::string& b) override { return Upper(a) == Upper(b); }
    std::string EntryKey(const std::string& path) override { return Upper(path); }
    std::optional<std::string> ShortcutTarget(const std::string&) override { return std::nullopt; }
    bool IsProgram(const std::string&) override { return true; }
    std::string FullPath(const std::string& path) override { return path; }
    std::string LongPath(const std::string& path) override { return path; }
    bool IsThisMachine(const std::string&) override { return false; }
    std::optional<std::string> FinalPath(const std::string&) override { return std::nullopt; }
};

std::string Entry(size_t i)
{
    char name[64];
    std::snprintf(name, sizeof name, "D:\\Data\\Folder%03zu\\entry%06zu.txt", i % 97, i);
    return name;
}

struct Result {
    size_t n;
    double planMs;
    double floorMs;
};

Result Measure(size_t n)
{
    std::vector<std::string> entries;
    std::vector<std::string> lines;
    for (size_t i = 0; i < n; ++i) {
        entries.push_back(Entry(i));
        lines.push_back(i % 2 ? Upper(Entry(i)) : Entry(n + i));
    }
    CBenchFacts facts;
    CListModel model(g_lockedList, facts);
    CPlayedEnumeration driver(entries);
    model.Load(&driver);

    Result result{n, 1e300, 1e300};
    for (int round = 0; round < 3; ++round) {
        const Clock::time_point start = Clock::now();
        const CtlImportPlan plan = PlanImport(model, lines, true, [](const std::string&) { return std::nullopt; });
        result.planMs = std::min(result.planMs, MillisecondsOf(Clock::now() - start));
        if (plan.changes.size() != n + n / 2)
            std::fprintf(stderr, "the plan holds %zu changes, not %zu\n", plan.changes.size(), n + n / 2);

        std::vector<std::string> sorted = lines;
        const Clock::time_point floorStart = Clock::now();
        std::sort(sorted.begin(), sorted.end(),
                  [](const std::string& a, const std::string& b) { return Upper(a) < Upper(b); });
        result.floorMs = std::min(result.floorMs, MillisecondsOf(Clock::now() - floorStart));
    }
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<size_t> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::strtoul(argv[i], nullptr, 10));
    if (sizes.empty())
        sizes = {1000, 10000};
    std::vector<Result> results;
    for (size_t n : sizes) {
        const Result result = Measure(n);
        results.push_back(result);
        std::printf("N = %6zu lines  plan %9.1f ms = %6.2f x floor (the lines sorted case-blind, %.1f ms)\n", n,
                    result.planMs, result.planMs / result.floorMs, result.floorMs);
        std::fflush(stdout);
    }
    if (results.size() >= 2) {
        const Result& first = results.front();
        const Result& last = results.back();
        std::printf("growth %zu -> %zu lines (x%.1f): plan x%.1f, floor x%.1f\n", first.n, last.n,
                    double(last.n) / double(first.n), last.planMs / first.planMs, last.floorMs / first.floorMs);
    }
    return 0;
}
