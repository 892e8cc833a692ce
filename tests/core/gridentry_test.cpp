#include "pim/gridentry.h"

#include <gtest/gtest.h>

#include "model/model.h"
#include "model/pimreader.h"
#include "pim/gridview.h"
#include "pim/gridwriteback.h"
#include "pim/pimgrid.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

using Kind = CellEntry::Kind;

Model example() { return readPimOrFail(bundledExample("example.inp")); }

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

// What each text stores: the whole number, the rounded decimal, the fixed value, or
// nothing for numbers out of range.
TEST(GridEntries, eachTextStoresWhatItReads)
{
    const std::pair<const char*, CellEntry> cases[] = {
        {"12", {Kind::Number, 12, 0, true}},
        {"32767", {Kind::Number, 32767, 0, true}},
        {"12abc", {Kind::Number, 12, 0, false}},
        {"2.5", {Kind::Number, 2, 0, false}},
        {"3.5", {Kind::Number, 4, 0, false}},
        {"", {Kind::Number, 0, 0, false}},
        {"32768", {Kind::OutOfRange, 0, 0, true}},
        {"=0.3", {Kind::Fixed, 0, 0.3, true}},
        {"=1E-05", {Kind::Fixed, 0, 1e-5, true}},
        {"=0.3x", {Kind::Fixed, 0, 0.3, false}},
        {"=1e400", {Kind::OutOfRange, 0, 0, false}},
    };
    for (const auto& [text, entry] : cases)
        EXPECT_EQ(readCellEntry(text), entry) << "text \"" << text << "\"";
}

// The example fixes 16 movement cells at .02: the grids show "=0.02", not the marker.
TEST(GridFixedCells, showTheValueTheyAreFixedAt)
{
    const Model m = example();
    const auto windows = buildView(m, ViewKind::Movement);
    ASSERT_TRUE(windows.ok());
    const GridWindowLayout& fromA = windows->at(0);  // group 1, from A: rows to B, to C
    ASSERT_TRUE(isFixedMarker(m.pim[static_cast<std::size_t>(fromA.cellmap[4])]));
    EXPECT_EQ(fromA.builtTexts[4], "=0.02");  // age 1, to C, first interval
    EXPECT_EQ(fromA.builtTexts[0], "13");
}

// Writing back every window of every view as it was built changes nothing, fixed cells
// included, even where a fixed value's text rounds it.
TEST(GridWriteBack, builtTextsChangeNothing)
{
    Model m = example();
    const std::size_t fixedCell = 1;  // survival, group 1, age 1, stratum 1, first interval
    m.pim[fixedCell] = fixedMarker(m.pim[fixedCell]);
    m.initval[fixedCell] = 0.1 + 0.2;  // shown as "=0.3"
    const Model before = m;
    for (ViewKind kind : {ViewKind::Survival, ViewKind::Movement, ViewKind::OpenCapture, ViewKind::ClosedCapture}) {
        const auto windows = buildView(m, kind);
        ASSERT_TRUE(windows.ok());
        for (const GridWindowLayout& w : *windows)
            EXPECT_FALSE(writeBackGrid(m, w.cellmap, w.builtTexts).changed) << w.caption;
    }
    EXPECT_EQ(m, before);
}

// "=v" fixes a cell at v (its pim the fixed marker of its old value), a number makes a
// fixed cell estimated again (the rounded decimal value is stored); the model is marked
// unsaved only when something changed.
TEST(GridWriteBack, fixingsAndNumbers)
{
    struct Case {
        const char* name;
        std::int16_t oldPim;
        double oldValue;
        const char* text;
        std::int16_t pim;
        double initval;
    };
    const Case cases[] = {
        {"estimatedGetsFixed", 5, 0, "=0.3", -5, 0.3},
        {"numberUpTo2TakesTheMarkerMinus3", 2, 0, "=0.3", -3, 0.3},
        {"fixedGetsANewValue", -5, 0.02, "=0.3", -5, 0.3},
        {"fixedGetsEstimated", -5, 0.02, "7", 7, 0},
        {"tooLargeAFixingKeepsTheCell", -5, 0.02, "=1e400", -5, 0.02},
        {"markerTypedKeepsTheFixedValue", -5, 0.7, "-32768", -32768, 0.7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Model m = modelOfShape(1, 1, 2, {1, 1, 1});
        m.pim[5] = c.oldPim;
        m.initval[5] = c.oldValue;
        m.unsaved = false;
        const WriteBackReport report = writeBackGrid(m, {5}, {c.text});
        EXPECT_EQ(report.outOfRangeCells.empty(), std::string(c.text) != "=1e400");
        EXPECT_EQ(m.pim[5], c.pim);
        EXPECT_DOUBLE_EQ(m.initval[5], c.initval);
        EXPECT_EQ(m.unsaved, report.changed ? 1 : 0);
        EXPECT_EQ(report.changed, c.pim != c.oldPim || c.initval != c.oldValue);
    }
}

// Numbers held outside a window: the other open windows' texts stand for their cells,
// the model for the rest, and the window's own cells count for nothing.
TEST(VaryingNumbers, heldOutsideReadsOtherWindowsAsTheyStand)
{
    Model m = modelOfShape(1, 1, 1, {1, 1, 1, 1, 1});  // cells 1..4 survival, 5..8 open, 9..13 closed
    m.pim[9] = 40;
    m.pim[10] = fixedMarker(10);
    const std::vector<int> window = {1, 2, 3, 4};
    EXPECT_EQ(numbersHeldOutside(m, window, {}), (std::vector<int>{5, 6, 7, 8, 11, 12, 13, 40}));
    const std::vector<int> otherCells = {9, 11, 12, 13};
    const std::vector<std::string> otherTexts = {"=0.5", "70", "70", "99999"};
    EXPECT_EQ(numbersHeldOutside(m, window, {{&otherCells, &otherTexts}}), (std::vector<int>{5, 6, 7, 8, 13, 70}));
}

TEST(VaryingNumbers, zerosStayAndNumbersPastTheLimitFillTheGaps)
{
    struct Case {
        const char* name;
        std::vector<std::string> before;
        Zeros zeros;
        std::vector<int> held;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {"aboveTheLargest", {"3", "0", "3", "7"}, Zeros::Skip, {2, 11}, {"12", "0", "13", "14"}},
        {"zerosToo", {"3", "0"}, Zeros::Change, {11}, {"12", "13"}},
        {"pastTheLimitTakesTheGaps", {"1", "1", "1"}, Zeros::Skip, {2, 4, 32766}, {"1", "3", "5"}},
        {"upToTheLimit", {"1"}, Zeros::Skip, {32766}, {"32767"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PimGrid g = grid(static_cast<int>(c.before.size()), 1, c.before);
        numberVarying(g, c.zeros, c.held);
        EXPECT_EQ(g.texts, c.after);
    }
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

TEST(GridWriteBackErrors, outOfRangeKeepsTheOldValueAndNamesTheCells)
{
    Model m = modelOfShape(1, 1, 2, {1, 1, 1});
    const auto report = writeBackGrid(m, {3, 4, 6}, {"40000", "9", "-32769"});
    EXPECT_EQ(report.outOfRangeCells, (std::vector<int>{3, 6}));
    EXPECT_EQ(m.pim[3], 3);
    EXPECT_EQ(m.pim[4], 9);
    EXPECT_EQ(m.pim[6], 6);
    EXPECT_EQ(outOfRangeMessage(report.outOfRangeCells),
              "Cells 3, 6 read a number outside -32768..32767 and keep their old parameter numbers.");
}

}  // namespace
