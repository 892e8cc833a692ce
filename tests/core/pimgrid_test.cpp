#include "pim/pimgrid.h"

#include <gtest/gtest.h>

#include "model/model.h"
#include "pim/gridview.h"
#include "pim/gridwriteback.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

using Texts = std::vector<std::string>;

PimGrid grid(int rowLength, int rowsPerAge, Texts texts)
{
    PimGrid g;
    g.rowLength = rowLength;
    g.rowsPerAge = rowsPerAge;
    g.texts = std::move(texts);
    g.marks.assign(g.texts.size(), 0);
    return g;
}

constexpr auto Skip = Zeros::Skip;
constexpr auto Change = Zeros::Change;

TEST(GridCommands, changeTheTextsAsStated)
{
    struct CommandCase {
        const char* name;
        int rowLength;
        int rowsPerAge;
        Texts before;
        GridCommand command;
        Zeros zeros;
        Texts after;
    };
    const CommandCase cases[] = {
        {"varyingLeavesZeros", 4, 1, {"3", "0", "3", "7"}, GridCommand::Varying, Skip, {"1", "0", "2", "3"}},
        {"timeTakingPartDependsOnTheTarget", 3, 2, {"4", "5", "6", "0", "8", "9"},
           GridCommand::ConstantOverTime, Skip, {"4", "4", "4", "0", "0", "0"}},
        {"timeCopiesTheTextVerbatim", 2, 2, {"1.5", "7", "12abc", "3"}, GridCommand::ConstantOverTime,
           Skip, {"1.5", "1.5", "12abc", "12abc"}},
        {"allWithZerosToo", 2, 2, {"5", "0", "7", "8"}, GridCommand::ConstantOverAll, Change,
           {"5", "5", "5", "5"}},
        {"ageCopiesTheFirstClassZerosIncluded", 2, 2, {"1", "2", "3", "0", "5", "6", "7", "8"},
           GridCommand::ConstantOverAge, Skip, {"1", "2", "3", "0", "1", "2", "3", "0"}},
        {"strataKeepsEachClassItsOwnFirstRow", 2, 2,
           {"1", "2", "3", "4", "5", "6", "7", "0", "9", "10", "11", "12"}, GridCommand::ConstantOverStrata,
           Skip, {"1", "2", "1", "2", "5", "6", "5", "0", "9", "10", "9", "10"}},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.name);
        PimGrid g = grid(c.rowLength, c.rowsPerAge, c.before);
        applyCommand(g, c.command, c.zeros);
        EXPECT_EQ(g.texts, c.after);
    }
}

// Two groups, two age classes, three strata, three periods of 2, 1 and 2 occasions.
Model modelTwoGroups() { return modelOfShape(2, 2, 3, {2, 1, 2}); }

TEST(GridCommandsInViews, strataInMovementWindowUsesNstratMinusOneRows)
{
    const auto windows = buildView(modelTwoGroups(), ViewKind::Movement);
    ASSERT_TRUE(windows.ok());
    const GridWindowLayout& w = windows->at(4);  // group 2, from B: rows to A, to C per age class
    PimGrid g = gridFromLayout(w);
    applyCommand(g, GridCommand::ConstantOverStrata, Zeros::Skip);
    // Rows of nint = 2 cells; the row "to C" of each age class copies the row "to A".
    const Texts& b = w.builtTexts;
    EXPECT_EQ(g.texts, (Texts{b[0], b[1], b[0], b[1], b[4], b[5], b[4], b[5]}));
}

TEST(GridOops, restoresTheBuiltStateOfThisVeryWindow)
{
    const auto windows = buildView(modelTwoGroups(), ViewKind::Movement);
    ASSERT_TRUE(windows.ok());
    const GridWindowLayout& second = windows->at(1);
    PimGrid g = gridFromLayout(second);
    applyCommand(g, GridCommand::ConstantOverAll, Zeros::Change);
    g.texts[1] = "77";
    g.toggleMark(1);
    restoreBuilt(g, second.builtTexts);
    EXPECT_EQ(g.texts, second.builtTexts);
    EXPECT_NE(g.texts, windows->at(0).builtTexts);
    EXPECT_TRUE(g.marked(1)) << "Oops restores texts, not marks";
}

// The rounded decimal value is stored; the same value is no change; a cell unfixed by
// typing loses its fixed value.
TEST(GridWriteBack, storesTheRoundedDecimalValue)
{
    struct Case {
        const char* text;
        std::int16_t pim;
        double initval;
    };
    const Case cases[] = {{"12abc", 12, 0}, {"2.5", 2, 0}, {"", 0, 0}, {"5", 5, 0}, {"-32768", -32768, 0.7}, {"-5", -5, 0.7}};
    for (const Case& c : cases) {
        Model m = modelTwoGroups();
        m.pim[5] = -5;
        m.initval[5] = 0.7;
        m.unsaved = false;
        EXPECT_TRUE(writeBackGrid(m, {5}, {c.text}).outOfRangeCells.empty()) << c.text;
        EXPECT_EQ(m.pim[5], c.pim) << c.text;
        EXPECT_DOUBLE_EQ(m.initval[5], c.initval) << c.text;
        EXPECT_EQ(m.unsaved, c.pim != -5) << c.text;
    }
}

TEST(GridWriteBackErrors, outOfRangeKeepsTheOldValueAndNamesTheCells)
{
    Model m = modelTwoGroups();
    const auto report = writeBackGrid(m, {3, 4, 6}, {"40000", "9", "-32769"});
    EXPECT_EQ(report.outOfRangeCells, (std::vector<int>{3, 6}));
    EXPECT_EQ(m.pim[3], 3);
    EXPECT_EQ(m.pim[4], 9);
    EXPECT_EQ(m.pim[6], 6);
    EXPECT_EQ(outOfRangeMessage(report.outOfRangeCells),
              "Cells 3, 6 read a number outside -32768..32767 and keep their old parameter numbers.");
}

}  // namespace
