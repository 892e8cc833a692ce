#include "cli/constraintsteps.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cli/steps.h"
#include "support.h"

using namespace tw;
using namespace tw::cli;
using namespace twtest;

namespace {

const std::string kModel1 = TW_TEST_DATA "/constraints/model1.inp";

// Runs the steps in a fresh directory, as the command line does in the current one.
class ConstraintSteps : public ::testing::Test {
protected:
    Status read(const std::string& file) { return readConstraintsStep(model, menus(), file, sink()); }
    Status convert(const std::string& file) { return convertStep(model, menus(), file); }
    Status point() { return pointStep(model, sink()); }
    Status write(const std::string& file) { return writeConstraintsStep(model, menus(), file, sink()); }

    ConstraintsMenus menus() { return {menuSave, menuSavePims, menuConvert}; }
    StepMessage sink()
    {
        return [this](const std::string& text) { messages.push_back(text); };
    }

    Model model = startupModel();
    bool menuSave = false;
    bool menuSavePims = false;
    bool menuConvert = false;
    std::vector<std::string> messages;
    TempDir m_dir;
};

TEST_F(ConstraintSteps, readNumbersWritesTheListingAndSetsTheMenus)
{
    menuSavePims = true;
    ASSERT_TRUE(read(kModel1).ok());
    EXPECT_EQ(fileText("quarlet.chk"), fileText(TW_TEST_DATA "/constraints/model1.chk"));
    EXPECT_TRUE(menuSave);
    EXPECT_FALSE(menuSavePims);
    EXPECT_TRUE(menuConvert);
    EXPECT_EQ(model.nparms, 3);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ConstraintSteps, stepsTheMenusRefuseWriteNothing)
{
    const std::vector<std::pair<std::function<Status()>, std::string>> cases = {
        {[&] { return write("OUT.INP"); }, "\"Save model w/ constraints\" is not available at this point"},
        {[&] { return convert(kModel1); }, "\"Convert constraints to PIMs\" is not available at this point"},
        {[&] { return read(""); }, "No file selected"},
    };
    for (const auto& [step, message] : cases) {
        const Status done = step();
        ASSERT_FALSE(done.ok()) << message;
        EXPECT_EQ(done.error().text(), message);
    }
    EXPECT_TRUE(fs::is_empty(m_dir.path()));
    EXPECT_EQ(model, startupModel());
    EXPECT_FALSE(menuSave || menuSavePims || menuConvert);
}

TEST_F(ConstraintSteps, pointReportsAllFixedOnce)
{
    model.npar = 4;
    createCellArrays(model);
    model.pim[4] = 0;
    model.fixedlist = {"S(1)=.5", "S(2)=.5", "S(3)=.5"};
    ASSERT_TRUE(point().ok());
    EXPECT_EQ(messages, std::vector<std::string>{"All params are fixed. Nothing to estimate"});
    EXPECT_EQ(fileText("quarlet.chk"),
              "    1    -1     1 \r\n    2    -2     2 \r\n    3    -3     3 \r\n    4    -4     0 \r\n");
    EXPECT_TRUE(model.unsaved);
}

struct CommandCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    std::string err;
    std::vector<std::string> filesWritten;
};

TEST_F(ConstraintSteps, commandLineRunsTheConstraintRoad)
{
    const std::string chk = "quarlet.chk";
    const std::vector<CommandCase> cases = {
        {"readAndWrite", {"--read-constraints", kModel1, "--write-constraints", "out.inp"}, 0,
         "New CORVANE input file saved as out.inp\n", {"out.inp", chk}},
        {"pimsNeedTheConversion", {"--read-constraints", kModel1, "--write-pims", "out.mss"}, 1,
         "\"Save model w/ PIM's\" is not available at this point\n", {chk}},
        {"convertThenPims",
         {"--read-constraints", kModel1, "--convert", TW_TEST_DATA "/constraints/model1-convert.inp", "--point",
          "--write-pims", "out.mss"},
         0, "", {"out.mss", chk}},
    };
    for (const CommandCase& c : cases) {
        for (const auto& entry : fs::directory_iterator(m_dir.path()))
            fs::remove_all(entry.path());
        CliState state;
        std::ostringstream out, err;
        EXPECT_EQ(runCommandLine(c.arguments, state, out, err), c.exitCode) << c.name;
        EXPECT_EQ(err.str(), c.err) << c.name;
        std::vector<std::string> written;
        for (const auto& entry : fs::directory_iterator(m_dir.path()))
            written.push_back(entry.path().filename().string());
        std::sort(written.begin(), written.end());
        EXPECT_EQ(written, c.filesWritten) << c.name;
    }
}

}  // namespace
