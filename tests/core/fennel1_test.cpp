// The per-period estimation program fennel1, run as built: its estimates against the
// closed form for two occasions and an independent solution for more, its listing
// layout and its errors; then the whole per-period command through it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "runs/persperiod.h"
#include "runs/persperiodlisting.h"
#include "runs/persperiodmodel.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

const std::string kFennel1 = builtProgram("fennel1");

// The estimates found another way: they are p(j) = m(j) / N, where m(j) counts the
// animals caught at occasion j and N is the population for which the expected number
// caught, N (1 - prod(1 - m(j) / N)), equals the number caught. That one equation in N
// is solved by bisection. counts[h - 2] belong to history h (occasion 1 the highest
// bit), the remainder to history 1.
std::vector<double> independentEstimates(const std::vector<double>& counts, double remainder, int k)
{
    std::vector<double> caughtAt(static_cast<std::size_t>(k), 0.0);
    caughtAt.back() = remainder;
    double caught = remainder;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        caught += counts[i];
        for (int j = 0; j < k; ++j)
            if (((i + 2) >> (k - 1 - j)) & 1)
                caughtAt[static_cast<std::size_t>(j)] += counts[i];
    }
    const auto expectedCaught = [&](double n) {
        double missed = 1;
        for (double m : caughtAt)
            missed *= 1 - m / n;
        return n * (1 - missed);
    };
    double low = *std::max_element(caughtAt.begin(), caughtAt.end()), high = 1e9;
    for (int i = 0; i < 200; ++i)
        (expectedCaught((low + high) / 2) < caught ? low : high) = (low + high) / 2;
    for (double& m : caughtAt)
        m /= low;
    return caughtAt;
}

class Fennel1 : public ::testing::Test {
protected:
    // Writes runsurv.t1 for a cohort, runs fennel1 on it and gives the listing.
    std::string listing(const PeriodCohort& cohort, int nocc)
    {
        std::ofstream out("runsurv.t1", std::ios::binary);
        writePeriodModel(out, cohort, nocc);
        out.close();
        exitCode = runProgram(kFennel1, kPeriodProgramInput);
        return fileText("runsurv.t2");
    }
    static std::vector<ListedEstimate> estimatesIn(const std::string& listing)
    {
        std::istringstream in(listing);
        return readPeriodListing(in);
    }

    TempDir dir;
    int exitCode = -1;
};

TEST_F(Fennel1, estimatesAgreeWithTheClosedFormAndAnIndependentSolution)
{
    struct Case {
        std::vector<double> counts;
        double remainder;
        int nocc;
    };
    // For two occasions cell 1 is history 10, cell 2 history 11, the remainder 01.
    const Case cases[] = {
        {{10, 30}, 20, 2}, {{0, 9}, 4, 2}, {{10, 6, 12, 5, 8, 4}, 10, 3},
        {{30, 2, 1, 0, 3, 1, 0, 25, 2, 1, 0, 2, 1, 1}, 20, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.counts.size() << " counts, first " << c.counts[0]);
        double total = c.remainder;
        for (double count : c.counts)
            total += count;
        const auto estimates = estimatesIn(listing(PeriodCohort{1, total, c.counts}, c.nocc));
        EXPECT_EQ(exitCode, 0);
        const std::vector<double> expected = independentEstimates(c.counts, c.remainder, c.nocc);
        ASSERT_EQ(estimates.size(), static_cast<std::size_t>(c.nocc));
        for (std::size_t j = 0; j < estimates.size(); ++j) {
            EXPECT_TRUE(estimates[j].checked);
            EXPECT_NEAR(*estimates[j].value, expected[j], 2e-6) << "p(" << j + 1 << ")";
        }
        if (c.nocc == 2) {  // p(1) = n11 / (n01 + n11), p(2) = n11 / (n10 + n11)
            EXPECT_NEAR(*estimates[0].value, c.counts[1] / (c.remainder + c.counts[1]), 5e-7);
            EXPECT_NEAR(*estimates[1].value, c.counts[1] / (c.counts[0] + c.counts[1]), 5e-7);
        }
    }
}

TEST_F(Fennel1, unusableDataIsReportedInTheListing)
{
    const std::string text = listing({1, 30, {10, 25}}, 2);
    EXPECT_NE(text.find(" ERROR: the cohort value 30 is less than the sum 35 of the cell counts (remainder -5)\n"),
              std::string::npos) << text;
    EXPECT_TRUE(estimatesIn(text).empty());
}

// ---- The whole command through the real program ----------------------------------

TEST(PerPeriodEndToEnd, severalCohortsGiveFixingsListAndLog)
{
    TempDir dir;
    Model model = startupModel();
    model.npar = 40;
    createCellArrays(model);
    int runs = 0;
    const RunCohort run = [&](const CohortRun&) -> RunAnswer {
        ++runs;
        return runProgram(kFennel1, kPeriodProgramInput) < 0 ? RunAnswer{RunEnd::Failed, "not started"} : RunAnswer{};
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
    for (int cell : fixedCells)
        EXPECT_EQ(model.pim[static_cast<std::size_t>(cell)], -cell);
    EXPECT_EQ(model.fixedlist[1], "S(22)=.75 /* PP(01,1,2, ) A */;");
    EXPECT_EQ(model.pim[29], 29);
    const auto expected = independentEstimates({6, 4, 7, 3, 5, 4, 6, 7, 3, 5, 4, 5, 4, 3}, 75 - 66, 4);
    for (std::size_t j = 0; j < 4; ++j)
        EXPECT_NEAR(model.initval[23 + j], expected[j], 2e-6);

    const std::string log = fileText("Tallowick2.log");
    EXPECT_NE(log.find("9 fixing lines written to quarlet.tmp; 9 cells fixed.\r\n"), std::string::npos) << log;
}

}  // namespace
