// tallowick2-model as scripts see it: exit codes, one message line each on standard
// error, files written only by steps that were done.
#include <gtest/gtest.h>

#include "support.h"

using namespace twtest;

namespace {

// "--write-pims --help" printed the usage and exited 0, and "--version" between steps
// printed the version and exited 0, so a script saw a save that was never made: --help
// and --version count only as the first argument.
TEST(PimCommandLine, optionsOutsideTheStepsRunNoStep)
{
    struct Case {
        const char* arguments;
        int exitCode;
        std::string outStart;
        std::string errStart;
        const char* written;  // "" for none
    };
    const Case cases[] = {
        {"--read-pims m.inp --write-pims out.mss --frobnicate", 2, "",
         "tallowick2-model: unknown option \"--frobnicate\"\nusage:", ""},
        {"--read-pims m.inp --write-pims --help", 0, "", "", "--help"},
        {"--read-pims m.inp --help", 2, "", "tallowick2-model: unknown option \"--help\"\n", ""},
        {"--read-pims m.inp --version --write-pims out.mss", 2, "",
         "tallowick2-model: unknown option \"--version\"\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        TempDir dir;
        fs::copy_file(pimDataDir() / "example26" / "input.inp", "m.inp");
        const ToolRun run = runModelTool(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_EQ(run.out.rfind(c.outStart, 0), 0u) << run.out;
        EXPECT_EQ(run.out.empty(), c.outStart.empty());
        EXPECT_EQ(run.err.rfind(c.errStart, 0), 0u) << run.err;
        EXPECT_EQ(run.err.empty(), c.errStart.empty());
        EXPECT_FALSE(fs::exists("out.mss"));
        if (*c.written) {
            EXPECT_EQ(fileText(c.written), fileText(pimDataDir() / "example26" / "expected.inp"));
        }
    }
}

}  // namespace
