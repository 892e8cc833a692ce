// Every bundled example taken through its road with the built programs and the
// stand-in outside programs, so that an example that no longer works is seen here.
#include <gtest/gtest.h>

#include <algorithm>

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

TEST_F(ExampleRoads, constraintsExampleSavesAndConvertsToFilesTheEnginePasses)
{
    auto original = readConstraintsFile(example("sites.inp"));
    ASSERT_TRUE(original.ok()) << original.error().text();
    const ToolRun saveRun =
        runModelTool("--read-constraints '" + example("sites.inp") + "' --write-constraints saved.inp");
    ASSERT_EQ(saveRun.exitCode, 0) << saveRun.err;
    auto saved = readConstraintsFile("saved.inp");
    ASSERT_TRUE(saved.ok()) << saved.error().text();
    EXPECT_EQ(saved->model.pim, original->model.pim);
    EXPECT_EQ(saved->model.initval, original->model.initval);
    EXPECT_EQ(saved->model.labels, original->model.labels);

    const ToolRun convertRun = runModelTool("--read-constraints '" + example("sites.inp") + "' --convert '"
                                            + example("sites-convert.inp") + "' --write-pims pims.inp");
    ASSERT_EQ(convertRun.exitCode, 0) << convertRun.err;
    auto pims = readPimFile("pims.inp");
    ASSERT_TRUE(pims.ok()) << pims.error().text();
    EXPECT_EQ(pims->nparms, 23);
    for (const std::string& file : {example("sites.inp"), std::string("saved.inp"), example("sites-convert.inp"),
                                   std::string("pims.inp")})
        EXPECT_EQ(engineErrors(file), std::vector<std::string>{}) << file;
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
    for (int cell = 13; cell <= 30; ++cell)
        EXPECT_TRUE(isFixedMarker(model.pim[static_cast<std::size_t>(cell)])) << cell;
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
    const ToolRun run = runModelTool("--read-pims captures.inp --write-pims copy.inp");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(fileText("copy.inp"), fileText("captures.inp"));  // written as the program writes it
    EXPECT_EQ(engineErrors("captures.inp"), std::vector<std::string>{});
}

}  // namespace
