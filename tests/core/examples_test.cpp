// Every bundled example taken through its road with the built programs and the
// stand-in outside programs, so that an example that no longer works is seen here.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "convert/answercheck.h"
#include "convert/answerfile.h"
#include "model/constraintsreader.h"
#include "model/numbering.h"
#include "runs/persperiod.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

std::string example(const std::string& name) { return bundledExample(name).string(); }

/// The stand-in engine's error lines on a model file; "no report" when it wrote none.
std::vector<std::string> engineErrors(const std::string& model)
{
    const std::string report = fs::absolute("engine report.out").string();
    fs::remove(report);
    runProgram(builtProgram("corvane"), "i=\"" + fs::absolute(model).string() + "\" l=\"" + report + "\" \n");
    return fs::exists(report) ? errorLinesOf(fileText(report)) : std::vector<std::string>{"no report"};
}

/// The cells grouped by the parameter they belong to; fixed cells with their value.
std::set<std::vector<int>> tiedCells(const Model& m)
{
    std::map<int, std::vector<int>> byParameter;
    for (int i = 1; i <= m.npar; ++i)
        if (m.pim[static_cast<std::size_t>(i)] > 0)
            byParameter[m.pim[static_cast<std::size_t>(i)]].push_back(i);
    std::set<std::vector<int>> groups;
    for (const auto& [parameter, cells] : byParameter)
        groups.insert(cells);
    return groups;
}

std::map<int, double> fixedCells(const Model& m)
{
    std::map<int, double> fixed;
    for (int i = 1; i <= m.npar; ++i)
        if (isFixedMarker(m.pim[static_cast<std::size_t>(i)]))
            fixed[i] = m.initval[static_cast<std::size_t>(i)];
    return fixed;
}

// The ties and fixings the constraints of sites.inp state.
const std::map<int, double> kSitesFixed = {{3, 0.05}, {7, 0.05}};
const std::vector<std::vector<int>> kSitesTies = {{1, 5}, {2, 6}, {4, 8}, {9, 10}, {11, 12}};

void expectSitesModel(const Model& m)
{
    EXPECT_EQ(m.npar, 30);
    EXPECT_EQ(fixedCells(m), kSitesFixed);
    const auto tied = tiedCells(m);
    for (const auto& cells : kSitesTies)
        EXPECT_TRUE(tied.count(cells)) << cells.front() << " and " << cells.back() << " are not one parameter";
    EXPECT_EQ(tied.size(), 30u - 2 - kSitesTies.size());  // every other cell its own parameter
}

class ExampleRoads : public testing::Test {
protected:
    TempDir dir;
};

TEST_F(ExampleRoads, pimExampleSavesToItsOwnBytesAndPassesTheEngine)
{
    const ToolRun run = runModelTool("--read-pims '" + example("example.inp") + "' --write-pims copy.inp");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(fileText("copy.inp"), fileText(example("example.inp")));
    EXPECT_EQ(engineErrors(example("example.inp")), std::vector<std::string>{});
}

TEST_F(ExampleRoads, constraintsExampleReadsAndSavesWithItsTiesAndFixings)
{
    auto original = readConstraintsFile(example("sites.inp"));
    ASSERT_TRUE(original.ok()) << original.error().text();
    expectSitesModel(original->model);
    EXPECT_EQ(original->model.labels[13], "PP(01,1,1, ) A");

    const ToolRun run = runModelTool("--read-constraints '" + example("sites.inp") + "' --write-constraints saved.inp");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto saved = readConstraintsFile("saved.inp");
    ASSERT_TRUE(saved.ok()) << saved.error().text();
    expectSitesModel(saved->model);
    EXPECT_EQ(saved->model.labels, original->model.labels);
    EXPECT_EQ(engineErrors(example("sites.inp")), std::vector<std::string>{});
    EXPECT_EQ(engineErrors("saved.inp"), std::vector<std::string>{});
}

TEST_F(ExampleRoads, constraintsExampleConvertsToPimsWithTheConversionFile)
{
    const ToolRun run = runModelTool("--read-constraints '" + example("sites.inp") + "' --convert '"
                                     + example("sites-convert.inp") + "' --write-pims pims.inp");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto pims = readPimFile("pims.inp");
    ASSERT_TRUE(pims.ok()) << pims.error().text();
    expectSitesModel(*pims);
    EXPECT_EQ(pims->nparms, 23);
    EXPECT_EQ(engineErrors("pims.inp"), std::vector<std::string>{});
    EXPECT_EQ(engineErrors(example("sites-convert.inp")), std::vector<std::string>{});
}

TEST_F(ExampleRoads, perPeriodRunsOnTheConstraintsExampleFixEveryClosedCaptureCell)
{
    auto read = readConstraintsFile(example("sites.inp"));
    ASSERT_TRUE(read.ok()) << read.error().text();
    Model model = read->model;
    computePointNumbering(model);
    int runs = 0;
    const RunCohort run = [&](const CohortRun&) -> RunAnswer {
        ++runs;
        return runProgram(builtProgram("fennel1"), kPeriodProgramInput) < 0 ? RunAnswer{RunEnd::Failed, "not started"}
                                                                           : RunAnswer{};
    };
    const auto result = runEachPeriodCommand(example("sites.inp"), fs::current_path(), model, "fennel1", run);
    ASSERT_TRUE(result.ok()) << result.error().text();
    EXPECT_EQ(runs, 6);  // two sites, three seasons
    EXPECT_TRUE(result->refused.empty());
    EXPECT_EQ(result->fixings.fixedCells, 18);
    // The list held the example's own two fixings; the estimates follow them.
    ASSERT_EQ(model.fixedlist.size(), 20u);
    EXPECT_EQ(model.fixedlist[2].substr(0, 7), "S(13)=.");
    EXPECT_NE(model.fixedlist.back().find(" /* PP(02,3,3, ) A */;"), std::string::npos);
    // The counts were made with these capture probabilities; the estimates lie near them.
    const double made[] = {.45, .35, .5, .4, .5, .3, .35, .3, .45, .5, .4, .4, .3, .45, .35, .55, .35, .4};
    for (int cell = 13; cell <= 30; ++cell) {
        EXPECT_TRUE(isFixedMarker(model.pim[static_cast<std::size_t>(cell)])) << cell;
        EXPECT_NEAR(model.initval[static_cast<std::size_t>(cell)], made[cell - 13], 0.03) << cell;
    }
}

TEST_F(ExampleRoads, captureHistoriesConvertWithTheDocumentedAnswersToAFileTheProgramReads)
{
    fs::copy_file(example("captures.cap"), "captures.cap");
    // The dialog's initial answers describe the example: only the file and the title are typed.
    ConversionAnswers answers;
    answers.infile = "captures.cap";
    answers.title = "Example: six sites, two seasons of two nights";
    EXPECT_EQ(firstAnswerProblem(answers), std::nullopt);
    std::ostringstream answerFile;
    ASSERT_TRUE(writeAnswerFile(answerFile, answers).ok());
    ASSERT_EQ(runProgram(builtProgram("hadleck"), answerFile.str()), 0) << fileText("hadleck.out");

    auto converted = readPimFile("captures.inp");
    ASSERT_TRUE(converted.ok()) << converted.error().text();
    EXPECT_EQ(converted->npar, 66);
    EXPECT_EQ(converted->nstrat, 6);
    EXPECT_EQ(converted->nyrs, 2);
    EXPECT_EQ(converted->nparms, 66);
    const ToolRun run = runModelTool("--read-pims captures.inp --write-pims copy.inp");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(fileText("copy.inp"), fileText("captures.inp"));  // written as the program writes it
    EXPECT_EQ(engineErrors("captures.inp"), std::vector<std::string>{});
}

}  // namespace
