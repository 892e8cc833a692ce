// The per-period runs in the core: the input scan, the cohort model file, the listing
// reader, the run driver (with runs answered in the program's stead) and the fixings.
#include "runs/persperiod.h"

#include <gtest/gtest.h>

#include <map>

#include "runs/persperiodinput.h"
#include "runs/persperiodlisting.h"
#include "runs/persperiodmodel.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

Result<PeriodInput> scan(const std::string& text)
{
    std::istringstream in(text);
    return readPeriodInput(in, "periods.inp");
}

TEST(PeriodOccasions, onlyCountsOfTheForm2PowerKMinus2HaveOccasions)
{
    // The old formula int(ln(n) * 1.45) + 1 gave 8 for 126 and 9 for 254.
    const std::map<std::size_t, std::optional<int>> cases = {{2, 2}, {126, 7}, {254, 8}, {0, {}}, {3, {}}, {253, {}}};
    for (const auto& [n, k] : cases)
        EXPECT_EQ(occasionsForCounts(n), k) << n << " counts";
}

TEST(PeriodModelFile, fourteenCountsGiveTheWholeFileByteForByte)
{
    PeriodCohort cohort{3, 97, {17, 4, 8, 2, 6, 1, 9, 5, 3, 2, 7, 1, 2, 3}};
    std::ostringstream out;
    writePeriodModel(out, cohort, 4);
    EXPECT_EQ(out.str(), fileText(fs::path(TW_TEST_DATA) / "persperiod" / "runsurv14.t1"));
}

const char* const kHead = "PROC TITLE 'two periods';\r\n"
                          "PROC MODEL NPAR=40 NYRS=3 STRATA=1 SECPERS=2 2 4;\r\n"
                          "COHORT=100;\r\n"
                          "COHORT=80;\r\n";

// The value was read from positions 8 and 9 only: 100 was read as 10. Cells from 10000
// are read whole too.
TEST(PeriodInputScan, cohortsOf100AndCellsFrom10000AreReadWhole)
{
    const auto input = scan(std::string(kHead) + "  N(1)=100;\n20\n30\nLABELS;\nS(10023)=PP(01,1,1, ) A ;\nPROC\n");
    ASSERT_TRUE(input.ok()) << input.error().text();
    EXPECT_EQ(input->cohorts.at(0).value, 100);
    EXPECT_EQ(input->first, 10023);
}

TEST(PeriodListing, onlyAnAffirmedPositiveDefiniteMatrixSetsTheCheck)
{
    const std::pair<const char*, bool> cases[] = {
        {" The information matrix is positive-definite.", true},
        {" The information matrix is NOT positive-definite.", false},
        {" The matrix is non-positive-definite.", false},
        {" not positive-definite here, but positive-definite there", true},
    };
    for (const auto& [line, affirmed] : cases)
        EXPECT_EQ(affirmsPositiveDefinite(line), affirmed) << line;
}

TEST(PeriodListing, estimatesAreTakenOnlyFromPPAtPosition10)
{
    std::istringstream in("   2    PP(2)               0.999999     0.05\n"    // PP( at 9
                          "     3    PP(3)             0.999999     0.05\n"  // PP( at 11
                          " The information matrix is positive-definite.\n"
                          "    2    PP(2)                   .25\r\n"
                          "    3    PP(3)                         \n");     // no number
    const auto estimates = readPeriodListing(in);
    ASSERT_EQ(estimates.size(), 2u);
    EXPECT_EQ(estimates[0].value, 0.25);
    EXPECT_TRUE(estimates[0].checked);
    EXPECT_EQ(estimates[1].value, std::nullopt);
}

std::string listing(const std::vector<double>& estimates, bool definite = true)
{
    std::string text =
        definite ? " The information matrix is positive-definite.\n" : " Variances could not be computed.\n";
    for (std::size_t k = 0; k < estimates.size(); ++k) {
        char line[80];
        std::snprintf(line, sizeof line, "%5zu    %-19s%13.6f %13.6f\n", k + 1, "PP(x)", estimates[k], 0.01);
        text += line;
    }
    return text;
}

class PeriodRunsTest : public ::testing::Test {
protected:
    // Runs the command on body with runs answered from listings (nullopt: no listing).
    Result<PeriodCommandResult> run(const std::string& body, const std::vector<std::optional<std::string>>& listings,
                                    std::vector<CohortRun>* asked = nullptr)
    {
        writeFile(dir / "periods.inp", std::string(kHead) + body);
        std::size_t next = 0;
        const RunCohort runner = [&](const CohortRun& cohort) -> RunAnswer {
            if (asked)
                asked->push_back(cohort);
            EXPECT_FALSE(fs::exists(dir / "runsurv.t2")) << "a stale listing is left for run " << cohort.run;
            models.push_back(fileText(dir / "runsurv.t1"));
            if (next < listings.size() && listings[next])
                writeFile(dir / "runsurv.t2", *listings[next]);
            ++next;
            return {};
        };
        return runEachPeriodCommand((dir / "periods.inp").string(), dir, model, "fennel1 < input", runner);
    }

    ScratchDir scratch;
    const fs::path& dir = scratch.path();
    // A model of the dimensions the input states (NPAR=40 NYRS=3 STRATA=1 SECPERS=2 2 4).
    Model model = [] {
        Model m = startupModel();
        m.npar = 40;
        m.nyrs = 3;
        m.nstrat = 1;
        m.secpers = {0, 2, 2, 4};
        createCellArrays(m);
        m.pim[22] = 0;  // a special value that the fixing must not keep
        return m;
    }();
    std::vector<std::string> models;
};

const std::string kLabels = "LABELS;\nS(0021)=PP(a) ;\nS(0022)=PP(b) ;\nS(0023)=PP(c) ;\nS(0024)=PP(d) ;\n"
                            "S(0025)=PP(e) ;\nS(0026)=PP(f) ;\nPROC ESTIMATE;\n";

// A fixing for a cell the list names already was appended as a second line, and the
// constraints writer then wrote two constraints for one cell.
TEST_F(PeriodRunsTest, estimatesFixTheirCellsAndReplaceTheListLinesOfTheirCells)
{
    model.fixedlist = {"S(22)=.9 /* old */;", "S(5)=.1;", "S(0021)=.8;"};
    // A cohort of 100 is written whole.
    const auto result = run("  N(1)=60;\n20\n30\n  N(2)=100;\n10\n11\n" + kLabels,
                            {listing({0.45, 0.6}), listing({0.3125, 1.0 / 3})});
    ASSERT_TRUE(result.ok()) << result.error().text();
    const std::vector<std::string> lines = {"S(22)=.6 /* PP(b) */;", "S(5)=.1;", "S(21)=.45 /* PP(a) */;",
                                            "S(23)=.3125 /* PP(c) */;", "S(24)=.333333 /* PP(d) */;"};
    EXPECT_EQ(model.fixedlist, lines);
    EXPECT_EQ(fileText(dir / "quarlet.tmp"), "s(21)=.45 /* PP(a) */;\r\ns(22)=.6 /* PP(b) */;\r\n"
                                             "s(23)=.3125 /* PP(c) */;\r\ns(24)=.333333 /* PP(d) */;\r\n");
    EXPECT_EQ(model.initval[21], 0.45);
    EXPECT_EQ(model.pim[21], -21);  // the fixed marker, not -round(.45) = 0
    EXPECT_EQ(model.pim[22], -3);   // it held the special value 0
    EXPECT_TRUE(model.unsaved);
    EXPECT_EQ(result->notFixed, "");
    EXPECT_NE(models.at(1).find("cohort=100;\r\n10: s(1)*q(2)/prd /* 2  10 */;"), std::string::npos);
}

// With the 252-cell example loaded, runs on a file of 40 cells fixed cells of the example.
TEST_F(PeriodRunsTest, fixingsOfAnInputOfAnotherModelOrOfNoModelFixNoCell)
{
    const std::string input = (dir / "periods.inp").string();
    const std::string listed = ": the estimates were listed, no cell was fixed";
    const std::pair<std::function<void(Model&)>, std::string> cases[] = {
        {[](Model& m) { m.npar = 252; createCellArrays(m); }, input + " has 40 cells, the model 252" + listed},
        {[](Model& m) { m.secpers[3] = 3; },
         input + ": the file states 4 secondary periods for primary period 3 but the loaded model has 3" + listed},
        {[](Model& m) { m = startupModel(); }, "no model is loaded" + listed},
    };
    const Model fitting = model;
    for (const auto& [change, message] : cases) {
        SCOPED_TRACE(message);
        model = fitting;
        change(model);
        const Model before = model;
        const auto result = run("  N(1)=60;\n20\n30\n" + kLabels, {listing({0.45, 0.6})});
        ASSERT_TRUE(result.ok()) << result.error().text();
        EXPECT_EQ(result->notFixed, message);
        EXPECT_EQ(result->fixings.fixedCells, 0);
        EXPECT_EQ(model.pim, before.pim);
        EXPECT_EQ(model.fixedlist, (std::vector<std::string>{"S(21)=.45 /* PP(a) */;", "S(22)=.6 /* PP(b) */;"}));
    }
}

TEST_F(PeriodRunsTest, eachRunOwnsItsPlacesWhateverItsListingHolds)
{
    struct Case {
        const char* name;
        std::vector<std::optional<std::string>> listings;
        std::vector<std::string> lines;
    };
    const std::string body = "  N(1)=60;\n20\n30\n  N(2)=45;\n10\n11\n  N(3)=40;\n5\n6\n" + kLabels;
    const Case cases[] = {
        {"estimatesMissingOrOfAMatrixNotAffirmedPositiveDefiniteAreNotFixed",
         {listing({0.5}, false), listing({0.3, 0.4}), listing({0.125})},
         {"S(23)=.3 /* PP(c) */;", "S(24)=.4 /* PP(d) */;", "S(25)=.125 /* PP(e) */;"}},
        {"staleListingIsNeverRead",
         {listing({0.5, 0.25}), std::nullopt, listing({0.3, 0.4})},
         {"S(21)=.5 /* PP(a) */;", "S(22)=.25 /* PP(b) */;", "S(25)=.3 /* PP(e) */;", "S(26)=.4 /* PP(f) */;"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        model.fixedlist.clear();
        const auto result = run(body, c.listings);
        ASSERT_TRUE(result.ok()) << result.error().text();
        EXPECT_EQ(model.fixedlist, c.lines);
    }
}

TEST_F(PeriodRunsTest, refusedAndZeroCohortsKeepTheirPlacesAndTheRunsGoOn)
{
    std::vector<CohortRun> asked;
    const auto result = run("  N(1)=00;\n1\n2\n3\n4\n5\n6\n  N(2)=45;\n1\n2\n3\n4\n5\n  N(3)=40;\n5\n6\n" + kLabels
                                + "\n",
                            {listing({0.3, 0.4})}, &asked);
    ASSERT_TRUE(result.ok()) << result.error().text();
    ASSERT_EQ(asked.size(), 1u);  // neither the zero cohort nor the refused one is run
    EXPECT_EQ(asked[0].run, 3);
    ASSERT_EQ(result->refused.size(), 1u);
    EXPECT_EQ(result->refused[0].text(),
              (dir / "periods.inp").string()
                  + ", line 12: the cohort holds 5 counts; a cohort of k occasions holds 2^k - 2 (2, 6, 14, 30, ...). "
                    "It is not run and its 3 estimate places stay empty.");
    // 3 places of the zero cohort, 3 of the refused one: the third cohort's are 7 and 8,
    // which lie past the six labels.
    EXPECT_EQ(model.fixedlist, (std::vector<std::string>{"S(27)=.3 /* */;", "S(28)=.4 /* */;"}));
}

TEST_F(PeriodRunsTest, brokenInputRunsNothingAndFixesNothing)
{
    const Model before = model;
    const std::pair<std::string, std::string> broken[] = {
        {"  N(1)=60;\n20\n30\n", ", line 7: the file ends before a line containing \"LABEL\""},
        // A multistate model file, as the bundled example: not read as one long head.
        {"COHORT=3 GROUP=1;\n 1 : 1 0;\nPROC ESTIMATE NAME=X;\nPIM;\nSRV(1);\n 1\n;\n",
         ": the file holds no cohort of counts opened by a line containing \"N(\" and no LABELS section, so it is "
         "no input of the per-period runs: they read the counts of the closed-population capture histories of "
         "each primary period after a line such as \"  N(1)=45;\", and a LABELS section whose lines "
         "S(cell)=PP(...) name the cells of the capture probabilities"},
        {"  N(1)=60;\n20\n30\nLABELS;\nS(0001)=PHI ;\nPROC\n",
         ": the labels section holds no line \"S(cell)=PP(...\", so the cells of the estimates are not known"},
    };
    for (const auto& [body, message] : broken) {
        const auto result = run(body, {listing({0.5, 0.25})});
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error().text(), (dir / "periods.inp").string() + message);
        EXPECT_EQ(model, before);
    }
    EXPECT_TRUE(models.empty());
    EXPECT_FALSE(fs::exists(dir / "quarlet.tmp"));
}

}  // namespace
