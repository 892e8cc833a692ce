// The bundled model examples saved or converted by the built program and passed to the
// stand-in engine, so that an example that no longer works is seen here.
#include <gtest/gtest.h>

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

TEST_F(ExampleRoads, constraintsExampleConvertsToAFileTheEnginePasses)
{
    const ToolRun convertRun = runModelTool("--read-constraints '" + example("sites.inp") + "' --convert '"
                                            + example("sites-convert.inp") + "' --write-pims pims.inp");
    ASSERT_EQ(convertRun.exitCode, 0) << convertRun.err;
    auto pims = readPimFile("pims.inp");
    ASSERT_TRUE(pims.ok()) << pims.error().text();
    EXPECT_EQ(pims->nparms, 23);
    for (const std::string& file : {example("sites.inp"), example("sites-convert.inp"), std::string("pims.inp")})
        EXPECT_EQ(engineErrors(file), std::vector<std::string>{}) << file;
}

}  // namespace
