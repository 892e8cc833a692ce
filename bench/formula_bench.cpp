// Times building the model from four formulas on the largest model (32380 cells) and on
// a quarter of it, in one run, and measures the peak memory of tallowick2-model reading
// that model, applying the formulas, saving it with PIMs and writing its design table.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <time.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/largestmodel.h"
#include "bench/modeltool.h"
#include "design/designtablefile.h"
#include "design/formulaapply.h"
#include "model/pimwriter.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kFormulas = "survival ~ group*age*stratum*time; movement ~ stratum*tostratum*time; "
                                  "open ~ stratum*time; closed ~ stratum*session*occasion";
constexpr int kRuns = 40;

double elapsedMs(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// CPU time of this thread in milliseconds: on a machine shared with other work, time
// spent waiting for a processor is no part of the work measured.
double cpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

tw::FormulaSet parsed()
{
    const tw::FormulaResult<tw::FormulaSet> set = tw::parseFormulaList(kFormulas);
    if (!set) {
        std::fprintf(stderr, "%s\n", set.error().text().c_str());
        std::exit(1);
    }
    return set.value();
}

// Parsing and applying the formulas, as the window does after each keystroke.
tw::FormulaModel build(const tw::Model& model)
{
    tw::FormulaResult<tw::FormulaModel> applied = tw::applyFormulas(model, parsed());
    if (!applied) {
        std::fprintf(stderr, "%s\n", applied.error().text().c_str());
        std::exit(1);
    }
    return std::move(applied.value());
}

struct Times {
    double full = 1e300;
    double quarter = 1e300;
    double fullWall = 1e300;  // elapsed time, waits for a processor included
};

// The best of several runs of each size in CPU time, taking turns so that a change in
// the machine's load falls on both alike.
Times buildTimes(const tw::Model& full, const tw::Model& quarter)
{
    Times best;
    for (int r = 0; r < kRuns; ++r) {
        double start = cpuMs();
        const tw::FormulaModel small = build(quarter);
        best.quarter = std::min(best.quarter, cpuMs() - start);
        start = cpuMs();
        const auto wall = Clock::now();
        const tw::FormulaModel large = build(full);
        best.full = std::min(best.full, cpuMs() - start);
        best.fullWall = std::min(best.fullWall, elapsedMs(wall));
    }
    return best;
}

}  // namespace

int main()
{
    const fs::path dir = fs::temp_directory_path() / ("tw-formula-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    if (!tw::writeLargestModelFile(50, (dir / "L.inp").string()))
        return 1;
    const std::string d = dir.string();
    const auto road = Clock::now();
    const long peak = tw::modelToolPeakKiB({"--read-pims", d + "/L.inp", "--formulas", kFormulas, "--write-pims",
                                           d + "/out.inp", "--write-design-table", d + "/table.tsv"});
    const double roadMs = elapsedMs(road);
    const auto tableBytes = fs::exists(dir / "table.tsv") ? fs::file_size(dir / "table.tsv") : 0;

    const tw::Model full = tw::largestModel(50);
    const tw::Model quarter = tw::largestModel(13);
    const Times times = buildTimes(full, quarter);
    const tw::FormulaModel built = build(full);
    std::printf("formulas: %s\n", kFormulas);
    std::printf("model: npar=%d -> nparms=%d, dmcols=%d, %zu design entries\n", full.npar, built.model.nparms,
                built.model.dmcols, built.model.dm.size());
    for (const std::string& line : tw::identifiabilityLines(built))
        std::printf("  %s\n", line.c_str());
    std::printf("building the model from the formulas (processor time, best of %d): %8.2f ms (target < 100); "
                "elapsed %.2f ms\n",
                kRuns, times.full, times.fullWall);
    std::printf("at a quarter size (npar=%d): %8.2f ms; full / quarter = %.2f for %.2fx the cells "
                "(target <= 5)\n",
                quarter.npar, times.quarter, times.full / times.quarter,
                static_cast<double>(full.npar) / quarter.npar);

    const auto start = Clock::now();
    std::ofstream sink(dir / "table2.tsv", std::ios::binary | std::ios::trunc);
    (void)tw::writeDesignTable(built.model, built.columnNames, sink);
    sink.close();
    std::printf("writing the design table: %.0f ms, %.1f MiB\n", elapsedMs(start), tableBytes / 1048576.0);
    std::printf("peak memory of tallowick2-model --read-pims L --formulas ... --write-pims OUT "
                "--write-design-table T: %.1f MiB (target < 128), %.0f ms in all\n",
                peak / 1024.0, roadMs);
    fs::remove_all(dir);
    return peak < 0 ? 1 : 0;
}
