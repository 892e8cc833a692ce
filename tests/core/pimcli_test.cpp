// tallowick2-model as scripts see it: exit codes, one message line each on standard
// error, files written only by steps that were done.
#include <gtest/gtest.h>

#include "buildinfo.h"
#include "support.h"

using namespace twtest;

namespace {

TEST(PimCommandLine, unknownOptionExitsTwoAndRunsNoStep)
{
    TempDir dir;
    fs::copy_file(pimDataDir() / "example26" / "input.inp", "m.inp");
    const ToolRun run = runModelTool("--read-pims m.inp --write-pims out.mss --frobnicate");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err.rfind("tallowick2-model: unknown option \"--frobnicate\"\nusage:", 0), 0u) << run.err;
    EXPECT_FALSE(fs::exists("out.mss"));
}

// "--write-pims --help" printed the usage and exited 0, so a script saw a save that was
// never made.
TEST(PimCommandLine, helpOnlyAsTheFirstArgument)
{
    TempDir dir;
    fs::copy_file(pimDataDir() / "example26" / "input.inp", "m.inp");
    ToolRun run = runModelTool("--read-pims m.inp --write-pims --help");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(fileText("--help"), fileText(pimDataDir() / "example26" / "expected.inp"));

    run = runModelTool("--read-pims m.inp --help");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err.rfind("tallowick2-model: unknown option \"--help\"\n", 0), 0u) << run.err;

    run = runModelTool("--help --read-pims m.inp");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.rfind("usage: tallowick2-model STEP...\n", 0), 0u) << run.out;
}

TEST(PimCommandLine, versionPrintsTheVersionAndRunsNoStep)
{
    TempDir dir;
    fs::copy_file(pimDataDir() / "example26" / "input.inp", "m.inp");
    for (const char* arguments : {"--version", "--read-pims m.inp --version --write-pims out.mss"}) {
        const ToolRun run = runModelTool(arguments);
        EXPECT_EQ(run.exitCode, 0) << arguments;
        EXPECT_EQ(run.out, std::string("tallowick2-model ") + tw::kVersion + "\n") << arguments;
        EXPECT_EQ(run.err, "") << arguments;
        EXPECT_FALSE(fs::exists("out.mss")) << arguments;
    }
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
