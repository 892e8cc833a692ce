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

TEST_F(StandIns, EngineReportsAStructuralFaultOnAnErrorLine)
{
    const std::string model = replaced(fileText(TW_TEST_DATA "/runs/twostrata.mss"), "NPAR=24", "NPAR=25");
    const fs::path input = dir / "my model; $x & y.mss";
    writeFile(input, model);
    EXPECT_EQ(runProgram(corvane, "i=\"" + input.string() + "\" l=\"" + input.string() + ".out\" \n", dir), 0);
    const auto errors = errorLinesOf(fileText(input.string() + ".out"));
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.front(), "KESTON ERROR: NPAR=25 differs from the 24 cells of the survival/movement, open-capture "
                              "and closed-capture blocks");
}

// Capture histories in a file named as the engine input would be written over.
TEST_F(StandIns, ConverterRefusesToWriteOverTheHistories)
{
    writeFile(dir / "birds.inp", "1100\n0220\n");
    const std::string answers = "Y\r\nbirds.inp\r\n2,4,1,1\r\n1010\r\n12\r\n1\r\n0\r\n0\r\n2\r\n0\r\nt\r\n";
    EXPECT_EQ(runProgram(hadleck, answers, dir), 1);
    const std::string error = "Error: " + (dir / "birds.inp").string()
        + ": the engine input file would be the capture-history file itself; give the capture-history file "
          "another extension than .inp\n";
    const std::string listing = fileText(dir / "hadleck.out");
    EXPECT_EQ(listing.substr(listing.size() - std::min(listing.size(), error.size())), error);
    EXPECT_EQ(fileText(dir / "birds.inp"), "1100\n0220\n");
}

}  // namespace
