// The fixed-parameter list as the model's fixings: fixing lines, "Done", following grid edits.
#include "session/fixings.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

using Lines = std::vector<std::string>;

// Eight cells; parameters 1 1 . 2 2 3 3 4 with cell 3 fixed at .02 and listed.
Model smallModel()
{
    Model m = startupModel();
    m.npar = 8;
    createCellArrays(m);
    const std::int16_t numbers[] = {0, 1, 1, 0, 2, 2, 3, 3, 4};
    for (int cell = 1; cell <= 8; ++cell)
        m.pim[static_cast<std::size_t>(cell)] = numbers[cell];
    m.pim[3] = fixedMarker(3);
    m.initval[3] = .02;
    m.fixedlist = {"S(0003)=.02;"};
    return m;
}

// What a cell stands for: its parameter number, or "fixed at" and its value.
std::string cellState(const Model& m, int cell)
{
    const int value = m.pim[static_cast<std::size_t>(cell)];
    if (isFixedMarker(value))
        return "fixed at " + std::to_string(m.initval[static_cast<std::size_t>(cell)]).substr(0, 4);
    return std::to_string(value);
}

std::vector<std::string> cellStates(const Model& m)
{
    std::vector<std::string> states;
    for (int cell = 1; cell <= m.npar; ++cell)
        states.push_back(cellState(m, cell));
    return states;
}

TEST(FixingLines, onlyAFixingOfACellInRangeReads)
{
    struct Case {
        const char* line;
        std::optional<Fixing> fixing;
    };
    const Case cases[] = {
        {"S(0003)=.02;", Fixing{3, .02}},
        {"  s( 3 ) = .5 /* phi */;", Fixing{3, .5}},
        {"S(3)=abc;", std::nullopt},  // would read as 0
        {"S(0)=.5;", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(readFixingLine(c.line, 8), c.fixing);
    }
}

TEST(FixingLines, aModelListsEachFixedCellInTheConstraintsForm)
{
    Model m = smallModel();
    m.pim[7] = fixedMarker(m.pim[7]);
    m.initval[7] = -0.25;
    m.pim[5] = 0;  // a special value is no fixing
    m.pim[6] = -1;
    m.pim[8] = fixedMarker(m.pim[8]);
    m.initval[8] = 1.5;
    EXPECT_EQ(fixingLines(m), (Lines{"S(0003)=.02;", "S(0007)=-.25;", "S(0008)=1.5;"}));
}

TEST(ListEdits, doneTakesAddedChangedAndRemovedLinesIntoTheModel)
{
    struct Case {
        const char* name;
        Lines before;  // the model's list (cells 3 and, when listed, 4 fixed as listed)
        Lines entries;
        std::vector<std::string> cells;  // cells 1..8 afterwards
    };
    const std::string f02 = "fixed at 0.02", f05 = "fixed at 0.05";
    const Case cases[] = {
        {"a changed value fixes the cell at it", {"S(0003)=.02;"}, {"S(0003)=.05 /* p */;"},
         {"1", "1", f05, "2", "2", "3", "3", "4"}},
        {"an added line fixes its cell; a line the model lists already is not read again",
         {"S(0003)=.02;", "a comment the file had"}, {"S(0003)=.02;", "a comment the file had", "S(5)=0.05"},
         {"1", "1", f02, "2", f05, "3", "3", "4"}},
        {"a removed line frees its cell with a number above the largest", {"S(0003)=.02;"}, {},
         {"1", "1", "5", "2", "2", "3", "3", "4"}},
        {"two freed cells get a number each", {"S(0003)=.02;", "S(0004)=.02;"}, {},
         {"1", "1", "5", "6", "2", "3", "3", "4"}},
        {"0, -1 and -2 set the special values", {"S(0003)=.02;"}, {"S(0003)=.02;", "S(1)=0;", "S(2)=-1;", "S(8)=-2;"},
         {"0", "-1", f02, "2", "2", "3", "3", "-2"}},
        {"the last line naming a cell wins", {"S(0003)=.02;"}, {"S(3)=.07;", "S(0003)=.05;"},
         {"1", "1", f05, "2", "2", "3", "3", "4"}},
        {"a removed twin leaves the cell fixed by the kept line", {"S(0003)=.02;", "S(3)=.05;"}, {"S(3)=.05;"},
         {"1", "1", f05, "2", "2", "3", "3", "4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Model m = smallModel();
        m.fixedlist = c.before;
        if (c.before.size() > 1 && c.before[1] == "S(0004)=.02;") {
            m.pim[4] = fixedMarker(m.pim[4]);
            m.initval[4] = .02;
        }
        const Model before = m;
        ASSERT_TRUE(applyListEdits(m, c.entries).ok());
        EXPECT_EQ(cellStates(m), c.cells);
        EXPECT_EQ(m.fixedlist, c.entries);
        EXPECT_EQ(m.unsaved, m.pim != before.pim || m.initval != before.initval || c.entries != c.before);
        for (int cell = 1; cell <= 8; ++cell) {
            const auto index = static_cast<std::size_t>(cell);
            EXPECT_TRUE(isFixedMarker(m.pim[index]) || m.initval[index] == 0) << "cell " << cell;
        }
    }
}

TEST(ListEdits, aFreedCellBeyondNparTakesTheSmallestFreeNumber)
{
    Model m = smallModel();
    for (int cell = 1; cell <= 8; ++cell)
        if (!isFixedMarker(m.pim[static_cast<std::size_t>(cell)]))
            m.pim[static_cast<std::size_t>(cell)] = static_cast<std::int16_t>(cell);
    // Numbers 1 2 4 5 6 7 8 are held; 8 is the largest, and 9 lies beyond npar.
    ASSERT_TRUE(applyListEdits(m, {}).ok());
    EXPECT_EQ(m.pim[3], 3);
}

TEST(ListEdits, withoutAModelEveryNewLineIsRefused)
{
    Model m = startupModel();
    const Status applied = applyListEdits(m, {"S(1)=.5;"});
    ASSERT_FALSE(applied.ok());
    EXPECT_EQ(applied.error().text(), "\"S(1)=.5;\" fixes no cell: no model has been read.");
    EXPECT_EQ(m, startupModel());
}

// Lines of cells a grid fixed or freed move in cell order: the session's tests show it.
TEST(ListFollowsGrid, aFixedCellsNewValueReplacesItsLine)
{
    Model m = smallModel();
    m.initval[3] = .05;
    const std::vector<int> changed = changedFixings(m, {2, 3}, {FixingState{}, FixingState{true, .02}});
    EXPECT_EQ(changed, std::vector<int>{3});
    Lines lines = {"S(0003)=.02 /* c */;", "S(0007)=.7;"};
    followFixings(lines, m, changed);
    EXPECT_EQ(lines, (Lines{"S(0003)=.05;", "S(0007)=.7;"}));
}

}  // namespace
