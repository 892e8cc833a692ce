// tallowick2-model as scripts see it: exit codes, one message line each on standard
// error, files written only by steps that were done.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include "support.h"

using namespace twtest;

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ToolRun runModelTool(const std::string& arguments)
{
    const std::string command = std::string("'") + TW_BINARY_DIR "/cli/tallowick2-model' " + arguments
        + " >stdout.txt 2>stderr.txt";
    const int status = std::system(command.c_str());
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = fileText("stdout.txt");
    run.err = fileText("stderr.txt");
    return run;
}

TEST(PimCommandLine, exitCodeMessageAndFiles)
{
    struct CliCase {
        const char* name;
        std::string arguments;
        int exitCode;
        std::string errorStart;  // standard error starts with this ("" : standard error is empty)
        bool outWritten;
    };
    const CliCase cases[] = {
        {"readAndWrite", "--read-pims m.inp --write-pims out.mss", 0, "", true},
        {"unknownOption", "--read-pims m.inp --frobnicate", 2,
                "tallowick2-model: unknown option \"--frobnicate\"\nusage:", false},
        {"saveBeforeAnyRead", "--write-pims out.mss", 1,
                "\"Save model w/ PIM's\" is not available at this point\n", false},
        {"failedReadStopsLaterSteps", "--read-pims absent.inp --write-pims out.mss", 1,
                "absent.inp: cannot open the file: No such file or directory\n", false},
    };
    for (const CliCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        fs::copy_file(pimDataDir() / "example26" / "input.inp", "m.inp");
        const ToolRun run = runModelTool(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.err.substr(0, c.errorStart.size()), c.errorStart);
        if (c.errorStart.empty()) {
            EXPECT_EQ(run.err, "");
        }
        if (c.exitCode == 1) {  // one line per message
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        }
        EXPECT_EQ(fs::exists("out.mss"), c.outWritten);
    }
}

TEST(PimCommandLineHelp, printsUsageAndRunsNothing)
{
    TempDir dir;
    const ToolRun run = runModelTool("--help --write-pims out.mss");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.rfind("usage: tallowick2-model STEP...\n", 0), 0u);
    EXPECT_EQ(run.err, "");
    EXPECT_FALSE(fs::exists("out.mss"));
}

TEST(PimCommandLineSave, chainedSavesGiveTheSameBytes)
{
    TempDir dir;
    fs::copy_file(fs::path(TW_TEST_DATA) / ".." / ".." / "examples" / "example.inp", "example.inp");
    const ToolRun run = runModelTool("--read-pims example.inp --write-pims a.mss --read-pims a.mss --write-pims b.mss");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(fileText("a.mss"), fileText("example.inp"));
    EXPECT_EQ(fileText("b.mss"), fileText("example.inp"));
}

}  // namespace
