// The per-period estimation program fennel1, run as built: its estimates against the
// closed form for two occasions, and a cohort without recaptures.
#include <gtest/gtest.h>

#include <tuple>

#include "runs/persperiod.h"
#include "runs/persperiodlisting.h"
#include "runs/persperiodmodel.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

const std::string kFennel1 = builtProgram("fennel1");

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

// For two occasions cell 1 is history 10, cell 2 history 11, the remainder 01, and the
// estimates have a closed form: p(1) = n11 / (n01 + n11), p(2) = n11 / (n10 + n11).
TEST_F(Fennel1, twoOccasionEstimatesAgreeWithTheClosedForm)
{
    const std::tuple<double, double, double> cases[] = {{10, 30, 20}, {0, 9, 4}};
    for (const auto& [n10, n11, n01] : cases) {
        SCOPED_TRACE(testing::Message() << n10 << " " << n11 << " " << n01);
        const auto estimates = estimatesIn(listing(PeriodCohort{1, n10 + n11 + n01, {n10, n11}}, 2));
        EXPECT_EQ(exitCode, 0);
        ASSERT_EQ(estimates.size(), 2u);
        EXPECT_TRUE(estimates[0].checked && estimates[1].checked);
        EXPECT_NEAR(*estimates[0].value, n11 / (n01 + n11), 5e-7);
        EXPECT_NEAR(*estimates[1].value, n11 / (n10 + n11), 5e-7);
    }
}

// Without a recapture the likelihood has no maximum inside: the information matrix is not
// positive-definite there, and the listing must not say it is.
TEST_F(Fennel1, noRecaptureIsReportedAndNoEstimateChecked)
{
    const std::string text = listing(PeriodCohort{1, 40, {15, 0}}, 2);
    EXPECT_NE(text.find(" Variances could not be computed: the information matrix is singular at the estimates.\n"),
              std::string::npos)
        << text;
    const auto estimates = estimatesIn(text);
    ASSERT_EQ(estimates.size(), 2u) << text;
    EXPECT_FALSE(estimates[0].checked || estimates[1].checked);
}

}  // namespace
