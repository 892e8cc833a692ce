// The per-period runs in the core: the input scan, the cohort model file, the listing
// reader, the run driver (with runs answered in the program's stead) and the fixings.
#include "runs/persperiod.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

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

// ---- Occasions -------------------------------------------------------------------

TEST(PeriodOccasions, onlyCountsOfTheForm2PowerKMinus2HaveOccasions)
{
    // The old formula int(ln(n) * 1.45) + 1 gave 8 for 126 and 9 for 254.
    const std::map<std::size_t, std::optional<int>> cases = {{2, 2}, {126, 7}, {254, 8}, {0, {}}, {3, {}}, {253, {}}};
    for (const auto& [n, k] : cases)
        EXPECT_EQ(occasionsForCounts(n), k) << n << " counts";
}

// ---- The cohort model file -------------------------------------------------------

TEST(PeriodModelFile, fourteenCountsGiveTheWholeFileByteForByte)
{
    PeriodCohort cohort{3, 97, {17, 4, 8, 2, 6, 1, 9, 5, 3, 2, 7, 1, 2, 3}};
    std::ostringstream out;
    writePeriodModel(out, cohort, 4);
    EXPECT_EQ(out.str(), fileText(fs::path(TW_TEST_DATA) / "persperiod" / "runsurv14.t1"));
}

// ---- The input scan --------------------------------------------------------------

const char* const kHead = "PROC TITLE 'two periods';\r\n"
                          "PROC MODEL NPAR=40 NYRS=3 STRATA=1 SECPERS=2 2 4;\r\n"
                          "COHORT=100;\r\n"
                          "COHORT=80;\r\n";

TEST(PeriodInputScan, edgeCasesOfTheCohortsAndLabels)
{
    // An empty header before LABEL is no cohort; cells from 10000 read whole; a cohort of
    // value 0 is kept.
    const std::tuple<std::string, std::size_t, int, std::string> cases[] = {
        {"  N(1)=60;\n20\n30\n  N(0)=0;\nLABELS;\nS(0001)=PP(x) ;\nPROC\n", 1, 1, "PP(x) "},
        {"  N(1)=60;\n20\n30\nLABELS;\nS(10023)=PP(01,1,1, ) A ;\nPROC\n", 1, 10023, "PP(01,1,1, ) A "},
        {"  N(1)=00;\n2\n3\n  N(2)=07;\n1\n1\nLABEL\nS(0001)=PP ;\nPROC\n", 2, 0, "PP "},
    };
    for (const auto& [body, cohorts, first, label] : cases) {
        const auto input = scan(std::string(kHead) + body);
        ASSERT_TRUE(input.ok()) << input.error().text();
        EXPECT_EQ(input->cohorts.size(), cohorts) << body;
        EXPECT_EQ(input->first, first) << body;
        EXPECT_EQ(input->labels.at(0), label) << body;
    }
}

// The value was read from positions 8 and 9 only: 100 was read as 10.
TEST(PeriodInputScan, cohortValuesOf100AndMoreAreReadWhole)
{
    const std::pair<const char*, double> cases[] = {
        {"  N(1)=100;", 100}, {"  N(1)=1234;", 1234}, {"  N(1)=60;", 60},  {"  N(1)=5;", 5},
        {"  N(1)=00;", 0},    {"  N(1)=007;", 0},     {"  N(1)=9.5;", 9},  {"  N(1)=99;", 99},
    };
    for (const auto& [header, value] : cases) {
        const auto input = scan(std::string(kHead) + header + "\n2\n3\nLABELS;\nS(0001)=PP(x) ;\nPROC\n");
        ASSERT_TRUE(input.ok()) << input.error().text();
        EXPECT_EQ(input->cohorts.at(0).value, value) << header;
    }
}

// ---- The listing -----------------------------------------------------------------

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

// ---- The driver ------------------------------------------------------------------

std::string listing(const std::vector<double>& estimates, bool definite = true)
{
    std::string text = definite ? " The information matrix is positive-definite.\n" : " Variances could not be computed.\n";
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
                                    std::vector<CohortRun>* asked = nullptr, int cancelAt = 0)
    {
        writeFile(dir / "periods.inp", std::string(kHead) + body);
        std::size_t next = 0;
        const RunCohort runner = [&](const CohortRun& cohort) -> RunAnswer {
            if (asked)
                asked->push_back(cohort);
            EXPECT_FALSE(fs::exists(dir / "runsurv.t2")) << "a stale listing is left for run " << cohort.run;
            models.push_back(fileText(dir / "runsurv.t1"));
            if (cohort.run == cancelAt)
                return {RunEnd::Cancelled, {}};
            if (next < listings.size() && listings[next])
                writeFile(dir / "runsurv.t2", *listings[next]);
            ++next;
            return {};
        };
        return runEachPeriodCommand((dir / "periods.inp").string(), dir, model, "fennel1 < input", runner);
    }

    // Whether the log holds line as a whole line.
    bool logged(const std::string& line) const
    {
        return fileText(dir / "Tallowick2.log").find(line + "\r\n") != std::string::npos;
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

TEST_F(PeriodRunsTest, estimatesFixTheirCellsAndNotAsSpecialValues)
{
    // A cohort of 100 is written whole.
    const auto result = run("  N(1)=60;\n20\n30\n  N(2)=100;\n10\n11\n" + kLabels,
                            {listing({0.45, 0.6}), listing({0.3125, 1.0 / 3})});
    ASSERT_TRUE(result.ok()) << result.error().text();
    const std::vector<std::string> lines = {"S(21)=.45 /* PP(a) */;", "S(22)=.6 /* PP(b) */;",
                                            "S(23)=.3125 /* PP(c) */;", "S(24)=.333333 /* PP(d) */;"};
    EXPECT_EQ(model.fixedlist, lines);
    EXPECT_EQ(model.initval[21], 0.45);
    EXPECT_EQ(model.pim[21], -21);  // the fixed marker, not -round(.45) = 0
    EXPECT_EQ(model.pim[22], -3);   // it held the special value 0
    EXPECT_TRUE(model.unsaved);
    EXPECT_EQ(result->notFixed, "");
    EXPECT_NE(models.at(1).find("cohort=100;\r\n10: s(1)*q(2)/prd /* 2  10 */;"), std::string::npos);
    EXPECT_TRUE(logged("4 fixing lines written to quarlet.tmp; 4 cells fixed."));
}

// A fixing for a cell the list names already was appended as a second line, and the
// constraints writer then wrote two constraints for one cell.
TEST_F(PeriodRunsTest, newFixingReplacesTheListLineOfItsCell)
{
    model.fixedlist = {"S(22)=.9 /* old */;", "S(5)=.1;", "S(0021)=.8;"};
    const auto result = run("  N(1)=60;\n20\n30\n" + kLabels, {listing({0.45, 0.6})});
    ASSERT_TRUE(result.ok()) << result.error().text();
    EXPECT_EQ(model.fixedlist,
              (std::vector<std::string>{"S(22)=.6 /* PP(b) */;", "S(5)=.1;", "S(21)=.45 /* PP(a) */;"}));
    EXPECT_EQ(fileText(dir / "quarlet.tmp"), "s(21)=.45 /* PP(a) */;\r\ns(22)=.6 /* PP(b) */;\r\n");
    EXPECT_TRUE(logged("S(21)=.45 /* PP(a) */; replaces S(0021)=.8; in the list."));
    EXPECT_TRUE(logged("S(22)=.6 /* PP(b) */; replaces S(22)=.9 /* old */; in the list."));
}

// With the 252-cell example loaded, runs on a file of 40 cells fixed cells of the example.
TEST_F(PeriodRunsTest, fixingsOfAnInputOfAnotherModelFixNoCell)
{
    struct Case {
        const char* name;
        std::function<void(Model&)> change;
        std::string message;  // after the input's name
    };
    const std::string listed = ": the estimates were listed, no cell was fixed";
    const Case cases[] = {
        {"another number of cells", [](Model& m) { m.npar = 252; createCellArrays(m); },
         " has 40 cells, the model 252" + listed},
        {"other primary periods", [](Model& m) { m.nyrs = 4; },
         ": the file states NYRS=3 but the loaded model has nyrs=4" + listed},
        {"other secondary periods", [](Model& m) { m.secpers[3] = 3; },
         ": the file states 4 secondary periods for primary period 3 but the loaded model has 3" + listed},
    };
    const Model fitting = model;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        model = fitting;
        fs::remove(dir / "Tallowick2.log");
        c.change(model);
        const Model before = model;
        const auto result = run("  N(1)=60;\n20\n30\n" + kLabels, {listing({0.45, 0.6})});
        ASSERT_TRUE(result.ok()) << result.error().text();
        const std::string message = (dir / "periods.inp").string() + c.message;
        EXPECT_EQ(result->notFixed, message);
        EXPECT_EQ(result->fixings.fixedCells, 0);
        EXPECT_EQ(model.pim, before.pim);
        EXPECT_EQ(model.initval, before.initval);
        EXPECT_EQ(model.fixedlist, (std::vector<std::string>{"S(21)=.45 /* PP(a) */;", "S(22)=.6 /* PP(b) */;"}));
        EXPECT_EQ(fileText(dir / "quarlet.tmp"), "s(21)=.45 /* PP(a) */;\r\ns(22)=.6 /* PP(b) */;\r\n");
        EXPECT_TRUE(logged(message));
    }
}

TEST_F(PeriodRunsTest, eachRunOwnsItsPlacesWhateverItsListingHolds)
{
    struct Case {
        const char* name;
        std::vector<std::optional<std::string>> listings;
        std::vector<std::string> lines;
        std::vector<std::string> logged;
    };
    const std::string body = "  N(1)=60;\n20\n30\n  N(2)=45;\n10\n11\n  N(3)=40;\n5\n6\n" + kLabels;
    const Case cases[] = {
        {"missingEstimatesLeaveTheirPlacesEmpty",
         {listing({}), listing({0.5, 0.25}), listing({0.125})},
         {"S(23)=.5 /* PP(c) */;", "S(24)=.25 /* PP(d) */;", "S(25)=.125 /* PP(e) */;"},
         {"Cohort 1/3 (line 5): 0 of 2 estimates listed; 2 places stay empty.",
          "Cohort 3/3 (line 11): 1 of 2 estimates listed; 1 places stay empty."}},
        {"staleListingIsNeverRead",
         {listing({0.5, 0.25}), std::nullopt, listing({0.3, 0.4})},
         {"S(21)=.5 /* PP(a) */;", "S(22)=.25 /* PP(b) */;", "S(25)=.3 /* PP(e) */;", "S(26)=.4 /* PP(f) */;"},
         {"Cohort 2/3 (line 8): no listing runsurv.t2; its 2 estimate places stay empty."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        model.fixedlist.clear();
        const auto result = run(body, c.listings);
        ASSERT_TRUE(result.ok()) << result.error().text();
        EXPECT_EQ(model.fixedlist, c.lines);
        for (const std::string& line : c.logged)
            EXPECT_TRUE(logged(line)) << line;
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
    EXPECT_TRUE(logged("Cohort 1/3 (line 5): not run, its cohort value is 0; its 3 estimate places stay empty."));
}

TEST_F(PeriodRunsTest, withoutALoadedModelTheFixingsAreListedButNoCellIsFixed)
{
    model = startupModel();
    const auto result = run("  N(1)=60;\n20\n30\nLABELS;\nS(0031)=PP(a) ;\nS(0032)=PP(b) ;\nPROC\n", {listing({0.5, 0.25})});
    ASSERT_TRUE(result.ok()) << result.error().text();
    EXPECT_EQ(fileText(dir / "quarlet.tmp"), "s(31)=.5 /* PP(a) */;\r\ns(32)=.25 /* PP(b) */;\r\n");
    EXPECT_EQ(model.fixedlist, (std::vector<std::string>{"S(31)=.5 /* PP(a) */;", "S(32)=.25 /* PP(b) */;"}));
    EXPECT_EQ(model.pim, startupModel().pim);
    EXPECT_EQ(result->notFixed, "no model is loaded: the estimates were listed, no cell was fixed");
    EXPECT_TRUE(logged(result->notFixed));
}

TEST_F(PeriodRunsTest, cancelledOrBrokenCommandFixesNothing)
{
    const Model before = model;
    const auto cancelled = run("  N(1)=60;\n20\n30\n  N(2)=45;\n10\n11\n" + kLabels, {listing({0.5, 0.25})}, nullptr, 2);
    ASSERT_TRUE(cancelled.ok());
    EXPECT_EQ(cancelled->end, RunEnd::Cancelled);
    EXPECT_EQ(model, before);
    EXPECT_FALSE(fs::exists(dir / "quarlet.tmp"));

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
    EXPECT_EQ(models.size(), 2u);  // the broken inputs ran nothing
}

}  // namespace
