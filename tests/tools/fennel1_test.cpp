// The per-period estimation program fennel1, run as built: its estimates against the
// closed form for two occasions and an independent solution for more, its listing
// layout and its errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

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

// Without a recapture the likelihood has no maximum inside: the information matrix is not
// positive-definite there, and the listing must not say it is.
TEST_F(Fennel1, unusableDataOrNoRecaptureIsReportedAndNoEstimateChecked)
{
    const std::tuple<PeriodCohort, std::string, std::size_t> cases[] = {
        {{1, 30, {10, 25}}, " ERROR: the cohort value 30 is less than the sum 35 of the cell counts (remainder -5)\n",
         0},
        {{1, 40, {15, 0}},
         " Variances could not be computed: the information matrix is singular at the estimates.\n", 2},
    };
    for (const auto& [cohort, line, count] : cases) {
        const std::string text = listing(cohort, 2);
        EXPECT_NE(text.find(line), std::string::npos) << text;
        const auto estimates = estimatesIn(text);
        ASSERT_EQ(estimates.size(), count) << text;
        for (const ListedEstimate& estimate : estimates)
            EXPECT_FALSE(estimate.checked);
    }
}

}  // namespace
