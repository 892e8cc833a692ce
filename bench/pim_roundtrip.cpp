// Times the PIM-form reader and writer on the largest model the format holds (32380
// cells) against merely reading and writing its lines, shows the growth from a quarter
// of that size, and measures the peak memory of tallowick2-model reading and saving it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/largestmodel.h"
#include "bench/modeltool.h"
#include "model/lines.h"
#include "model/pimreader.h"
#include "model/pimwriter.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

constexpr int kRuns = 15;

double elapsedMs(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The best of several runs, in milliseconds; reset runs before each, untimed.
template <class F, class Reset>
double bestMs(int runs, F&& work, Reset&& reset)
{
    double best = 1e300;
    for (int r = 0; r < runs; ++r) {
        reset();
        const auto start = Clock::now();
        work();
        best = std::min(best, elapsedMs(start));
    }
    return best;
}

struct Pair {
    double subject = 1e300;
    double baseline = 1e300;
};

// The best of several runs of each, taking turns so that a change in the machine's load
// falls on both alike; run is the number of the turn. reset runs before each, untimed.
template <class Subject, class Baseline, class Reset>
Pair bestOfTurns(int runs, Subject&& subject, Baseline&& baseline, Reset&& reset)
{
    Pair best;
    for (int r = 0; r < runs; ++r) {
        reset();
        auto start = Clock::now();
        baseline();
        best.baseline = std::min(best.baseline, elapsedMs(start));
        reset();
        start = Clock::now();
        subject(r);
        best.subject = std::min(best.subject, elapsedMs(start));
    }
    return best;
}

// Reads the model into kept, which must be empty: its destruction is no part of the reading.
void readModel(const std::string& path, std::optional<tw::Result<tw::Model>>& kept)
{
    kept.emplace(tw::readPimFile(path));
    if (!*kept)
        std::fprintf(stderr, "%s\n", kept->error().text().c_str());
}

// Minor page faults of this process so far.
long minorFaults()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

}  // namespace

int main()
{
    const fs::path dir = fs::temp_directory_path() / ("tw-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string large = (dir / "L.inp").string();
    const std::string quarter = (dir / "Q.inp").string();
    if (!tw::writeLargestModelFile(50, large) || !tw::writeLargestModelFile(13, quarter))
        return 1;
    const long peak = tw::modelToolPeakKiB({"--read-pims", large, "--write-pims", (dir / "saved.inp").string()});
    const long floor = tw::modelToolPeakKiB({"--help"});
    const std::string text = fileText(large);
    tw::Model model = tw::largestModel(50);
    std::printf("model: npar=%d, file %zu bytes\n", model.npar, text.size());

    std::optional<tw::Result<tw::Model>> kept;
    const auto dropModel = [&] { kept.reset(); };
    const Pair reading = bestOfTurns(
        kRuns, [&](int) { readModel(large, kept); },
        [&] {
            std::ifstream in(large, std::ios::binary);
            tw::LineReader reader(in, large);
            std::string line;
            while (reader.next(line)) {
            }
        },
        dropModel);
    const double reader = reading.subject;
    std::printf("reader:  %8.2f ms   reading its lines: %8.2f ms   ratio %.2f (target <= 3)\n", reader,
                reading.baseline, reader / reading.baseline);
    // Page faults come and go with the allocator's reuse of freed memory; the fewest of
    // several reads shows whether the figures above paid for fresh pages.
    long fewestFaults = -1;
    for (int r = 0; r < kRuns; ++r) {
        dropModel();
        const long before = minorFaults();
        readModel(large, kept);
        const long faults = minorFaults() - before;
        fewestFaults = fewestFaults < 0 ? faults : std::min(fewestFaults, faults);
    }
    std::printf("         page faults of one read, fewest of %d: %ld\n", kRuns, fewestFaults);

    std::vector<std::string> fileLines;
    {
        std::istringstream in(text);
        tw::LineReader split(in, "L");
        std::string line;
        while (split.next(line))
            fileLines.push_back(line);
    }
    const std::string out = (dir / "out.inp").string();
    // Each run writes a fresh copy of the model, made before the clock starts.
    std::istringstream headText(tw::largestModelHead(model));
    model.head = tw::readFileHead(headText, model.infile);
    std::vector<tw::Model> copies(kRuns, model);
    const Pair writing = bestOfTurns(
        kRuns,
        [&](int run) {
            std::ofstream file(out, std::ios::binary | std::ios::trunc);
            (void)tw::writePimModel(copies[static_cast<std::size_t>(run)], file);
        },
        [&] {
            std::ofstream file(out, std::ios::binary | std::ios::trunc);
            tw::LineWriter writer(file);
            for (const std::string& line : fileLines)
                writer.line(line);
        },
        // A new file each time: replacing one with unwritten data would start its writing out.
        [&] { fs::remove(out); });
    std::printf("writer:  %8.2f ms   writing its lines:  %8.2f ms   ratio %.2f (target <= 3)\n", writing.subject,
                writing.baseline, writing.subject / writing.baseline);
    if (fileText(out) != text)
        std::printf("warning: the writer's output differs from the file read\n");

    const double quarterMs = bestMs(kRuns, [&] { readModel(quarter, kept); }, dropModel);
    std::printf("reader at a quarter size (npar=%d): %.2f ms; full size / quarter = %.2f (about 4 when linear)\n",
                tw::largestModel(13).npar, quarterMs, reader / quarterMs);

    std::printf("peak memory of tallowick2-model --read-pims L --write-pims OUT: %.1f MiB (target < 64; "
                "--help alone: %.1f MiB)\n",
                peak / 1024.0, floor / 1024.0);
    fs::remove_all(dir);
    return 0;
}
