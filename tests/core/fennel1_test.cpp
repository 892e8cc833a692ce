// The per-period estimation program fennel1, run as built: its estimates against the
// closed form for two occasions and a direct numeric maximisation for four, its
// listing layout and its errors; then the whole per-period command through it.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "runs/persperiod.h"
#include "runs/persperiodlisting.h"
#include "runs/persperiodmodel.h"

extern char** environ;

using namespace tw;
namespace fs = std::filesystem;

namespace {

const std::string kFennel1 = TW_BINARY_DIR "/app/fennel1";

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs a program in the current directory with input on its standard input; its exit code.
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
        ADD_FAILURE() << "cannot write to " << program;
    close(pipeEnds[1]);
    if (spawned != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A temporary directory that is the current directory while the test runs.
class InTemporaryDirectory : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = fs::current_path();
        dir = fs::temp_directory_path()
            / ("tw-fennel1-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-"
               + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::current_path(dir);
    }
    void TearDown() override
    {
        fs::current_path(previous);
        fs::remove_all(dir);
    }

    // Writes runsurv.t1 for a cohort and runs fennel1 on it; the listing's estimates.
    std::vector<ListedEstimate> estimate(const PeriodCohort& cohort, int nocc)
    {
        std::ofstream out("runsurv.t1", std::ios::binary);
        writePeriodModel(out, cohort, nocc);
        out.close();
        EXPECT_EQ(runWithInput(kFennel1, kPeriodProgramInput), 0) << slurp("runsurv.t2");
        std::ifstream in("runsurv.t2", std::ios::binary);
        return readPeriodListing(in);
    }

    fs::path previous;
    fs::path dir;
};

// The conditional log-likelihood summed over the histories themselves (occasion 1 the
// highest bit; counts[h - 2] for histories 2..2^k - 1, the remainder for history 1).
double historyLogLikelihood(const std::vector<double>& counts, double remainder, const std::vector<double>& p)
{
    const int k = static_cast<int>(p.size());
    double missed = 1;
    for (double pj : p)
        missed *= 1 - pj;
    double value = 0;
    for (std::uint64_t h = 1; h < (std::uint64_t{1} << k); ++h) {
        double probability = 1;
        for (int j = 0; j < k; ++j)
            probability *= (h >> (k - 1 - j)) & 1 ? p[static_cast<std::size_t>(j)] : 1 - p[static_cast<std::size_t>(j)];
        const double n = h == 1 ? remainder : counts[h - 2];
        if (n > 0)
            value += n * std::log(probability / (1 - missed));
    }
    return value;
}

// A direct numeric maximisation: the Nelder-Mead simplex over the logits of p(j),
// restarted around its best point until a restart no longer improves it.
std::vector<double> maximiseDirectly(const std::vector<double>& counts, double remainder, int k)
{
    const auto size = static_cast<std::size_t>(k);
    const auto value = [&](const std::vector<double>& logits) {
        std::vector<double> p(size);
        for (std::size_t j = 0; j < size; ++j)
            p[j] = 1 / (1 + std::exp(-logits[j]));
        return -historyLogLikelihood(counts, remainder, p);
    };
    std::vector<double> best(size, 0.0);
    double bestValue = value(best);
    for (int restart = 0; restart < 20; ++restart) {
        std::vector<std::vector<double>> simplex(size + 1, best);
        for (std::size_t j = 0; j < size; ++j)
            simplex[j + 1][j] += 0.5;
        std::vector<double> values(size + 1);
        for (std::size_t i = 0; i <= size; ++i)
            values[i] = value(simplex[i]);
        for (int iteration = 0; iteration < 5000; ++iteration) {
            std::vector<std::size_t> order(size + 1);
            for (std::size_t i = 0; i <= size; ++i)
                order[i] = i;
            std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return values[a] < values[b]; });
            const std::size_t low = order.front(), high = order.back(), next = order[size - 1];
            if (values[high] - values[low] < 1e-15)
                break;
            std::vector<double> centre(size, 0.0);
            for (std::size_t i = 0; i <= size; ++i)
                if (i != high)
                    for (std::size_t j = 0; j < size; ++j)
                        centre[j] += simplex[i][j] / static_cast<double>(size);
            const auto towards = [&](double factor) {
                std::vector<double> point(size);
                for (std::size_t j = 0; j < size; ++j)
                    point[j] = centre[j] + factor * (simplex[high][j] - centre[j]);
                return point;
            };
            std::vector<double> reflected = towards(-1);
            const double reflectedValue = value(reflected);
            if (reflectedValue < values[low]) {
                std::vector<double> expanded = towards(-2);
                const double expandedValue = value(expanded);
                simplex[high] = expandedValue < reflectedValue ? expanded : reflected;
                values[high] = std::min(expandedValue, reflectedValue);
            } else if (reflectedValue < values[next]) {
                simplex[high] = reflected;
                values[high] = reflectedValue;
            } else {
                std::vector<double> contracted = towards(0.5);
                const double contractedValue = value(contracted);
                if (contractedValue < values[high]) {
                    simplex[high] = contracted;
                    values[high] = contractedValue;
                } else {
                    for (std::size_t i = 0; i <= size; ++i) {
                        if (i == low)
                            continue;
                        for (std::size_t j = 0; j < size; ++j)
                            simplex[i][j] = simplex[low][j] + 0.5 * (simplex[i][j] - simplex[low][j]);
                        values[i] = value(simplex[i]);
                    }
                }
            }
        }
        const auto found = std::min_element(values.begin(), values.end()) - values.begin();
        if (!(values[static_cast<std::size_t>(found)] < bestValue - 1e-13))
            break;
        bestValue = values[static_cast<std::size_t>(found)];
        best = simplex[static_cast<std::size_t>(found)];
    }
    for (double& t : best)
        t = 1 / (1 + std::exp(-t));
    return best;
}

using Fennel1 = InTemporaryDirectory;

TEST_F(Fennel1, twoOccasionsAgreeWithTheClosedForm)
{
    struct Case {
        double n10, n01, n11;
    };
    const Case cases[] = {{10, 20, 30}, {1, 1, 1}, {40, 3, 7}, {5, 60, 12}, {0, 4, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.n10 << " " << c.n01 << " " << c.n11);
        // Cell 1 is history 10, cell 2 history 11; history 01 is the remainder.
        const auto estimates = estimate(PeriodCohort{1, c.n10 + c.n01 + c.n11, {c.n10, c.n11}}, 2);
        ASSERT_EQ(estimates.size(), 2u);
        EXPECT_TRUE(estimates[0].checked);
        EXPECT_NEAR(*estimates[0].value, c.n11 / (c.n01 + c.n11), 5e-7);
        EXPECT_NEAR(*estimates[1].value, c.n11 / (c.n10 + c.n11), 5e-7);
    }
}

TEST_F(Fennel1, fourOccasionsAgreeWithADirectMaximisation)
{
    const std::vector<std::vector<double>> cohorts = {
        {17, 4, 8, 2, 6, 1, 9, 5, 3, 2, 7, 1, 2, 3},
        {6, 4, 7, 3, 5, 4, 6, 7, 3, 5, 4, 5, 4, 3},
        {30, 2, 1, 0, 3, 1, 0, 25, 2, 1, 0, 2, 1, 1},
    };
    const double remainders[] = {12, 9, 20};
    for (std::size_t i = 0; i < cohorts.size(); ++i) {
        SCOPED_TRACE(i);
        double total = remainders[i];
        for (double count : cohorts[i])
            total += count;
        const auto estimates = estimate(PeriodCohort{1, total, cohorts[i]}, 4);
        const std::vector<double> expected = maximiseDirectly(cohorts[i], remainders[i], 4);
        ASSERT_EQ(estimates.size(), 4u);
        for (std::size_t j = 0; j < 4; ++j) {
            EXPECT_TRUE(estimates[j].checked);
            EXPECT_NEAR(*estimates[j].value, expected[j], 2e-6) << "p(" << j + 1 << ")";
        }
    }
}

TEST_F(Fennel1, estimateLinesHavePPAtPosition10AndTheEstimateRightAlignedFrom29)
{
    estimate(PeriodCohort{1, 60, {10, 30}}, 2);
    std::istringstream listing(slurp("runsurv.t2"));
    std::string line;
    int lines = 0;
    while (std::getline(listing, line)) {
        if (line.find("PP(") == std::string::npos)
            continue;
        ++lines;
        ASSERT_GE(line.size(), 42u) << line;
        EXPECT_EQ(line.substr(9, 3), "PP(") << line;
        EXPECT_NE(line[40], ' ') << line;   // the estimate ends at position 41
        EXPECT_EQ(line[41], ' ') << line;   // the standard error follows after a blank
        EXPECT_EQ(line.substr(28, 13), lines == 1 ? "     0.600000" : "     0.750000");
    }
    EXPECT_EQ(lines, 2);
}

TEST_F(Fennel1, unusableDataIsReportedInTheListing)
{
    struct Case {
        const char* name;
        PeriodCohort cohort;
        int nocc;
        std::string expected;  // a line of the listing
        std::size_t estimates;
    };
    const Case cases[] = {
        {"negativeRemainderGivesNoEstimates", {1, 30, {10, 25}}, 2,
         " ERROR: the cohort value 30 is less than the sum 35 of the cell counts (remainder -5)", 0},
        {"noAnimalCaughtGivesNoEstimates", {1, 0, {0, 0}}, 2,
         " ERROR: no animal was caught: the capture probabilities cannot be estimated", 0},
        {"noRecapturesAreNotAffirmed", {1, 40, {15, 0}}, 2,
         " Variances could not be computed: the information matrix is singular at the estimates.", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream out("runsurv.t1", std::ios::binary);
        writePeriodModel(out, c.cohort, c.nocc);
        out.close();
        runWithInput(kFennel1, kPeriodProgramInput);
        const std::string text = slurp("runsurv.t2");
        EXPECT_NE(text.find(c.expected + "\n"), std::string::npos) << text;
        std::istringstream in(text);
        const auto estimates = readPeriodListing(in);
        EXPECT_EQ(estimates.size(), c.estimates);
        for (const auto& estimate : estimates)
            EXPECT_FALSE(estimate.checked);
    }
}

TEST_F(Fennel1, refusesAStandardInputWithoutBothFileNames)
{
    EXPECT_EQ(runWithInput(kFennel1, "i=runsurv.t1\n"), 2);
    EXPECT_EQ(runWithInput(kFennel1, ""), 2);
    EXPECT_FALSE(fs::exists("runsurv.t2"));
}

// ---- The whole command through the real program ----------------------------------

using PerPeriodEndToEnd = InTemporaryDirectory;

TEST_F(PerPeriodEndToEnd, severalCohortsGiveFixingsListAndLog)
{
    Model model = startupModel();
    model.npar = 40;
    createCellArrays(model);
    int runs = 0;
    const RunCohort run = [&](const CohortRun&) -> RunAnswer {
        ++runs;
        return runWithInput(kFennel1, kPeriodProgramInput) < 0 ? RunAnswer{RunEnd::Failed, "not started"} : RunAnswer{};
    };
    const std::string input = std::string(TW_TEST_DATA) + "/persperiod/periods.inp";
    const auto result = runEachPeriodCommand(input, fs::current_path(), model, kFennel1 + " < input", run);
    ASSERT_TRUE(result.ok()) << result.error().text();
    EXPECT_EQ(runs, 4);  // the cohort of value 0 is not run; the last one, ended by LABELS, is

    // Cohort 1 (cells 21, 22): two occasions, n10 = 10, n11 = 30, n01 = 20 remaining.
    // Cohort 2 (cells 23..26): four occasions. Cohort 3 (27, 28): value 0. Cohort 4
    // (29, 30): no recaptures, not affirmed. Cohort 5 (31..33): three occasions.
    const std::vector<int> fixedCells = {21, 22, 23, 24, 25, 26, 31, 32, 33};
    ASSERT_EQ(model.fixedlist.size(), fixedCells.size());
    std::string quarlet;
    for (std::size_t i = 0; i < fixedCells.size(); ++i) {
        const int cell = fixedCells[i];
        const std::string& line = model.fixedlist[i];
        const std::string prefix = "S(" + std::to_string(cell) + ")=";
        ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
        EXPECT_DOUBLE_EQ(model.initval[static_cast<std::size_t>(cell)], std::stod(line.substr(prefix.size())));
        EXPECT_EQ(model.pim[static_cast<std::size_t>(cell)], -cell);
        quarlet += "s" + line.substr(1) + "\r\n";
    }
    EXPECT_EQ(model.fixedlist[0], "S(21)=.6 /* PP(01,1,1, ) A */;");
    EXPECT_EQ(model.fixedlist[1], "S(22)=.75 /* PP(01,1,2, ) A */;");
    EXPECT_EQ(slurp("quarlet.tmp"), quarlet);
    for (int cell : {27, 28, 29, 30})
        EXPECT_EQ(model.pim[static_cast<std::size_t>(cell)], cell);

    const std::vector<double> second = {6, 4, 7, 3, 5, 4, 6, 7, 3, 5, 4, 5, 4, 3};
    const std::vector<double> expected = maximiseDirectly(second, 75 - 66, 4);
    for (std::size_t j = 0; j < 4; ++j)
        EXPECT_NEAR(model.initval[23 + j], expected[j], 2e-6);
    EXPECT_EQ(model.unsaved, 1);
    EXPECT_EQ(model.nyrs, 0);

    const std::string log = slurp("Tallowick2.log");
    EXPECT_EQ(log.rfind("Input: " + input + "\r\n", 0), 0u);
    EXPECT_NE(log.find("Cohort 5/5 (line 29): " + kFennel1 + " < input\r\n"), std::string::npos);
    EXPECT_NE(log.find("Cohort 3/5 (line 23): not run, its cohort value is 0; its 2 estimate places stay empty.\r\n"),
              std::string::npos);
    std::size_t estimateLines = 0;
    std::istringstream logLines(log);
    for (std::string line; std::getline(logLines, line);)
        estimateLines += isEstimateLine(line);
    EXPECT_EQ(estimateLines, 11u);
    EXPECT_NE(log.find("9 fixing lines written to quarlet.tmp; 9 cells fixed.\r\n"), std::string::npos);
}

}  // namespace
