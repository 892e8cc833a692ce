// Timing of the per-period runs: one hundred cohorts of 14 counts through the real
// estimation program against the same runs of a program that only writes a fixed
// listing, and single estimations for 4 and 8 occasions (14 and 254 histories).
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "runs/persperiod.h"
#include "runs/persperiodmodel.h"

extern char** environ;

using namespace tw;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

int runWithInput(const std::string& program, const std::string& input)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], 0);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[0]);
    if (spawned == 0 && write(pipeEnds[1], input.data(), input.size()) < 0)
        std::perror("write");
    close(pipeEnds[1]);
    if (spawned != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// An input of a hundred cohorts of 14 counts (4 occasions each), cells from 1001 on.
void writeInput(const fs::path& path)
{
    std::ofstream out(path, std::ios::binary);
    out << "PROC TITLE 'bench';\r\nPROC MODEL NPAR=2000 NYRS=101;\r\n";
    for (int c = 0; c < 100; ++c) {
        out << "COHORT=" << 90 << ";\r\n";
    }
    for (int c = 0; c < 100; ++c) {
        char header[32];
        std::snprintf(header, sizeof header, "  N(%d)=%02d;", c % 10, 90);
        out << header << "\r\n";
        for (int k = 1; k <= 14; ++k)
            out << 2 + (k * 7 + c) % 9 << "\r\n";
    }
    out << "LABELS;\r\n";
    for (int m = 0; m < 400; ++m)
        out << "S(" << 1001 + m << ")=PP(01," << m / 4 + 1 << "," << m % 4 + 1 << ", ) A ;\r\n";
    out << "PROC STOP;\r\n";
}

double hundredCohorts(const fs::path& dir, const std::string& program, std::size_t& fixed)
{
    Model model = startupModel();
    model.npar = 2000;
    createCellArrays(model);
    const RunCohort run = [&](const CohortRun&) -> RunAnswer {
        return runWithInput(program, kPeriodProgramInput) < 0 ? RunAnswer{RunEnd::Failed, "not started"}
                                                              : RunAnswer{};
    };
    const auto start = Clock::now();
    const auto result = runEachPeriodCommand((dir / "bench.inp").string(), dir, model, program, run);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!result) {
        std::fprintf(stderr, "%s\n", result.error().text().c_str());
        return -1;
    }
    fixed = result->fixings.listLines.size();
    return seconds;
}

// Mean time of one run of the program on a cohort of 2^nocc - 2 histories.
double oneEstimation(const std::string& program, int nocc, int repeats)
{
    PeriodCohort cohort{1, 0, {}};
    const int histories = (1 << nocc) - 2;
    for (int k = 1; k <= histories; ++k) {
        cohort.counts.push_back(1 + (k * 13) % 7);
        cohort.value += cohort.counts.back();
    }
    cohort.value += 5;
    {
        std::ofstream out(kPeriodModelFile, std::ios::binary);
        writePeriodModel(out, cohort, nocc);
    }
    // The fastest of the repeats: the start of a process varies with the load of the machine.
    double fastest = 1e9;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        runWithInput(program, kPeriodProgramInput);
        fastest = std::min(fastest, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return fastest;
}

// The estimation time fennel1 reports in its listing, in milliseconds.
double reportedEstimation()
{
    std::ifstream in(kPeriodListingFile);
    for (std::string line; std::getline(in, line);) {
        const auto open = line.rfind('(');
        if (line.find("Log-likelihood") != std::string::npos && open != std::string::npos)
            return std::stod(line.substr(open + 1));
    }
    return -1;
}

}  // namespace

int main()
{
    const std::string fennel1 = TW_BINARY_DIR "/app/fennel1";
    const std::string echo = TW_BINARY_DIR "/bench/persperiod_echo";
    const fs::path dir = fs::temp_directory_path() / ("tw-persperiod-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    writeInput(dir / "bench.inp");

    std::size_t fixedReal = 0;
    std::size_t fixedEcho = 0;
    double real = 1e9;
    double stub = 1e9;
    for (int round = 0; round < 3; ++round) {  // alternated, the fastest of three each
        real = std::min(real, hundredCohorts(dir, fennel1, fixedReal));
        stub = std::min(stub, hundredCohorts(dir, echo, fixedEcho));
    }
    std::printf("100 cohorts of 14 counts, real fennel1:      %8.3f s  (%zu fixings)\n", real, fixedReal);
    std::printf("100 cohorts of 14 counts, fixed listing:     %8.3f s  (%zu fixings)\n", stub, fixedEcho);
    std::printf("estimation share of the hundred runs:        %8.3f s\n", real - stub);

    const double four = oneEstimation(fennel1, 4, 50);
    const double eight = oneEstimation(fennel1, 8, 50);
    const double eightInside = reportedEstimation();
    const double stubOne = oneEstimation(echo, 8, 50);
    std::printf("one run of fennel1, 4 occasions (14), best: %8.3f ms\n", four * 1e3);
    std::printf("one run of fennel1, 8 occasions (254), best:%8.3f ms\n", eight * 1e3);
    std::printf("  of which the estimation itself:            %8.3f ms\n", eightInside);
    std::printf("one run of the fixed-listing program, best: %8.3f ms\n", stubOne * 1e3);

    fs::current_path(previous);
    fs::remove_all(dir);
    return real < 0 || stub < 0 || fixedReal != 400 ? 1 : 0;
}
