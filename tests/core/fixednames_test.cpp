// Files of fixed names ("quarlet.chk", the per-period files, the log) are never written
// over a file the command reads or over something that is not a regular file: an input
// of such a name, or linked to one, is refused by name and kept as it was.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "runs/persperiod.h"
#include "runs/persperiodlisting.h"
#include "runs/persperiodmodel.h"
#include "support.h"

using namespace twtest;

namespace {

const fs::path kModel1 = fs::path(TW_TEST_DATA) / "constraints" / "model1.inp";
const fs::path kPeriods = fs::path(TW_TEST_DATA) / "persperiod" / "periods.inp";

std::string sameFileMessage(const std::string& written, const std::string& read)
{
    return written + " is the same file as " + read + ", which this command reads, so it is not written";
}

// The listing was written over the model file: "--read-constraints quarlet.chk" exited 0
// with the model gone.
TEST(FixedNames, checkListingIsNeverAFileTheCommandReads)
{
    struct Case {
        const char* name;
        std::function<void()> setup;
        const char* arguments;
        std::string message;
    };
    const Case cases[] = {
        {"input linked as quarlet.chk",
         [] {
             fs::copy_file(kModel1, "model.inp");
             fs::create_hard_link("model.inp", "quarlet.chk");
         },
         "--read-constraints model.inp", sameFileMessage("quarlet.chk", "model.inp")},
        {"model file of --point named quarlet.chk",
         [] {
             fs::copy_file(pimDataDir() / "twogroups" / "input.inp", "model.inp");
             fs::create_symlink("model.inp", "quarlet.chk");
         },
         "--read-pims model.inp --point", sameFileMessage("quarlet.chk", "model.inp")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        c.setup();
        const std::string input = fileText("quarlet.chk");
        const ToolRun run = runModelTool(c.arguments);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, c.message + "\n");
        EXPECT_EQ(fileText("quarlet.chk"), input);
        EXPECT_TRUE(fs::exists("model.inp") || !fs::is_symlink("quarlet.chk"));
    }
}

// A model of the shape of the per-period example, loaded from "model.inp".
tw::Model periodModel()
{
    tw::Model model = tw::startupModel();
    model.npar = 40;
    model.nyrs = 5;
    model.nstrat = 1;
    tw::createCellArrays(model);
    model.infile = "model.inp";
    return model;
}

tw::Result<tw::PeriodCommandResult> runPeriods(const std::string& input, tw::Model& model)
{
    const tw::RunCohort notRun = [](const tw::CohortRun&) { return tw::RunAnswer{tw::RunEnd::Failed, "not run"}; };
    return tw::runEachPeriodCommand(input, fs::current_path(), model, "none", notRun);
}

TEST(FixedNames, perPeriodFilesAreNeverTheInputOrTheModelFile)
{
    for (const std::string name : {"quarlet.tmp", "runsurv.t1", "runsurv.t2", "Tallowick2.log"})
        for (const bool isModelFile : {false, true}) {
            SCOPED_TRACE(name + (isModelFile ? " as the model file" : " as the input"));
            TempDir dir;
            tw::Model model = periodModel();
            std::string input = "periods.inp";
            if (isModelFile) {
                model.infile = name;
                fs::copy_file(kModel1, name);
                fs::copy_file(kPeriods, input);
            } else {
                input = name;
                fs::copy_file(kPeriods, name);
            }
            const std::string kept = fileText(name);
            const tw::Model before = model;
            const auto result = runPeriods(input, model);
            ASSERT_FALSE(result.ok());
            EXPECT_EQ(result.error().text(), sameFileMessage((fs::current_path() / name).string(), name));
            EXPECT_EQ(fileText(name), kept);
            EXPECT_EQ(model, before);
            EXPECT_EQ(fs::exists("Tallowick2.log"), name == "Tallowick2.log");
        }
}

// The scratch model file was opened with a truncating stream: a FIFO there blocked the
// command, a link led the writes out of the directory without an atomic save.
TEST(FixedNames, perPeriodScratchFileThatIsAFifoIsRefused)
{
    TempDir dir;
    fs::copy_file(kPeriods, "periods.inp");
    ASSERT_EQ(::mkfifo("runsurv.t1", 0644), 0);
    tw::Model model = periodModel();
    const ChildRun run = runInChild([&] {
        const auto result = runPeriods("periods.inp", model);
        return result ? std::string("done") : result.error().text();
    }, 5);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.text, (fs::current_path() / "runsurv.t1").string() + " is not a regular file");
}

TEST(FixedNames, logIsAppendedAndNeverWrittenThroughALink)
{
    TempDir dir;
    fs::copy_file(kPeriods, "periods.inp");
    writeFile("elsewhere.txt", "kept\n");
    fs::create_symlink("elsewhere.txt", "Tallowick2.log");
    tw::Model model = periodModel();
    const auto linked = runPeriods("periods.inp", model);
    ASSERT_FALSE(linked.ok());
    EXPECT_EQ(linked.error().text(), (fs::current_path() / "Tallowick2.log").string()
                                         + " is a symbolic link, which is not written through");
    EXPECT_EQ(fileText("elsewhere.txt"), "kept\n");

    fs::remove("Tallowick2.log");
    writeFile("Tallowick2.log", "an earlier run\r\n");
    ASSERT_TRUE(runPeriods("periods.inp", model).ok());
    const std::string log = fileText("Tallowick2.log");
    EXPECT_EQ(log.rfind("an earlier run\r\nInput: periods.inp\r\n", 0), 0u) << log;
}

}  // namespace
