// The stand-in engine and converter run as real programs, fed as the windows feed them.
#include <gtest/gtest.h>

#include "support.h"

using namespace twtest;

namespace {

class StandIns : public testing::Test {
protected:
    ScratchDir scratch;  // its name holds a blank
    const fs::path& dir = scratch.path();
    const std::string corvane = builtProgram("corvane");
    const std::string hadleck = builtProgram("hadleck");
};

/// The engine's report on a model edited from the well-formed two-strata file.
std::string engineReport(const fs::path& dir, const std::string& engine, const std::string& from,
                         const std::string& to)
{
    const std::string wellFormed = fileText(TW_TEST_DATA "/runs/twostrata.mss");
    const std::string model = from.empty() ? wellFormed : replaced(wellFormed, from, to);
    const fs::path input = dir / "my model; $x & y.mss";
    writeFile(input, model);
    EXPECT_EQ(runProgram(engine, "i=\"" + input.string() + "\" l=\"" + input.string() + ".out\" \n", dir), 0);
    return fileText(input.string() + ".out");
}

TEST_F(StandIns, EngineReportsEachStructuralFaultOnAnErrorLine)
{
    struct Case {
        const char* from;
        const char* to;
        const char* error;
    };
    const Case cases[] = {
        {"NPAR=24", "NPAR=25",
         "KESTON ERROR: NPAR=25 differs from the 24 cells of the survival/movement, open-capture and "
         "closed-capture blocks"},
        {" 18  18  1;", "", "KESTON ERROR: parameter 18 has no design-matrix row"},
    };
    for (const Case& c : cases) {
        const auto errors = errorLinesOf(engineReport(dir, corvane, c.from, c.to));
        ASSERT_FALSE(errors.empty()) << c.error;
        EXPECT_EQ(errors.front(), c.error);
    }
}

TEST_F(StandIns, ConverterWritesNoEngineInputWhenItCannot)
{
    struct Case {
        const char* fault;
        std::string file;
        std::string counts;
        std::string codes;
        std::string error;
    };
    const Case cases[] = {
        {"codes for fewer strata", "birds.cap", "2,4,1,1", "1",
         "Error: the 1 strata codes do not match the 2 strata; no engine input file is written.\n"},
        {"the histories in a file named as the engine input", "birds.inp", "2,4,1,1", "12",
         "Error: " + (dir / "birds.inp").string()
             + ": the engine input file would be the capture-history file itself; give the capture-history file "
               "another extension than .inp\n"},
    };
    for (const Case& c : cases) {
        fs::remove(dir / "birds.inp");
        writeFile(dir / c.file, "1100\n0220\n");
        const std::string answers = "Y\r\n" + c.file + "\r\n" + c.counts + "\r\n1010\r\n" + c.codes
            + "\r\n1\r\n0\r\n0\r\n2\r\n0\r\nt\r\n";
        EXPECT_EQ(runProgram(hadleck, answers, dir), 1) << c.fault;
        const std::string listing = fileText(dir / "hadleck.out");
        EXPECT_EQ(listing.substr(listing.size() - std::min(listing.size(), c.error.size())), c.error) << c.fault;
        EXPECT_EQ(fs::exists(dir / "birds.inp"), c.file == "birds.inp") << c.fault;
    }
    EXPECT_EQ(fileText(dir / "birds.inp"), "1100\n0220\n");  // the histories were not written over
}

}  // namespace
