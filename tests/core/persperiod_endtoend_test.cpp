// The per-period command through the real estimation program: the cohorts run, their
// estimates fix the cells they belong to, and the list and the log say so.
#include "runs/persperiod.h"

#include <gtest/gtest.h>

#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

const std::string kFennel1 = builtProgram("fennel1");

TEST(PerPeriodEndToEnd, severalCohortsGiveFixingsListAndLog)
{
    TempDir dir;
    Model model = startupModel();  // of the dimensions periods.inp states
    model.npar = 40;
    model.nyrs = 5;
    model.nstrat = 1;
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
    // p(1) = n11 / (n01 + n11), p(2) = n11 / (n10 + n11)
    EXPECT_NEAR(model.initval[21], 0.6, 5e-7);
    EXPECT_NEAR(model.initval[22], 0.75, 5e-7);

    const std::string log = fileText("Tallowick2.log");
    EXPECT_NE(log.find("9 fixing lines written to quarlet.tmp; 9 cells fixed.\r\n"), std::string::npos) << log;
}

}  // namespace
