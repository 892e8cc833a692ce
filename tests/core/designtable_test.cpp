#include "design/designtable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

Model twelveCellModel() { return labelledParameters(12, 6); }

struct Entry {
    int row;
    int col;
    double value;
};

TEST(DesignBuild, laysOutRowsColumnsAndTexts)
{
    const struct {
        const char* name;
        std::vector<int> rowCells;
        std::vector<Entry> entries;
        std::function<void(Model&)> adjust;
        std::vector<std::string> headers;
        std::vector<std::string> texts;  // in cell order
        std::vector<std::string> rowNames;
        std::vector<bool> hasEntries;
    } cases[] = {
        {"onlyColumnsWithEntriesShown_B5CellsInSecondColumn", {7, 3},
         {{7, 2, 1}, {7, 5, 0.5}, {3, 5, -1}}, [](Model&) {},
         {"B2", "B5"}, {"1", "0", "0.5", "-1"}, {"7 \u00b7 c7", "3 \u00b7 c3"}, {true, true}},
        {"fixedAndSpecialCellsHaveEmptyReadOnlyRows", {4, 7, 5},
         {{4, 1, 1}, {7, 3, 1}},
         [](Model& m) { m.pim[4] = -4; m.pim[5] = 0; },
         {"B3"}, {"", "1", ""}, {"fixed \u00b7 c4", "7 \u00b7 c7", "0 \u00b7 c5"}, {false, true, false}},
        {"rowReadsTheParameterTheCellHolds", {3}, {{3, 1, 1}, {8, 2, 1}},
         [](Model& m) { m.pim[3] = 8; }, {"B2"}, {"1"}, {"8 \u00b7 c3"}, {true}},
        {"cellOutsideTheModelIsReadOnly_unlabelledRowNamedByCell", {40, 6}, {{6, 1, 1}},
         [](Model& m) { m.labels.set(6, ""); }, {"B1"}, {"", "1"}, {"cell 40", "6 \u00b7 cell 6"},
         {false, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Model m = twelveCellModel();
        for (const Entry& e : c.entries)
            m.dm.set(e.row, e.col, e.value);
        c.adjust(m);
        DesignTable table;
        table.build(m, c.rowCells);

        EXPECT_EQ(table.rowCells(), c.rowCells);
        std::vector<std::string> headers, texts, rowNames;
        std::vector<bool> hasEntries;
        for (int j = 0; j < table.columnCount(); ++j)
            headers.push_back(table.column(j).header);
        for (int n = 0; n < table.cellCount(); ++n)
            texts.push_back(table.text(n));
        for (int x = 0; x < table.rowCount(); ++x) {
            rowNames.push_back(table.rowName(x));
            hasEntries.push_back(table.row(x).hasEntries);
        }
        EXPECT_EQ(headers, c.headers);
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(rowNames, c.rowNames);
        EXPECT_EQ(hasEntries, c.hasEntries);
        EXPECT_FALSE(table.hasEdits());
    }
}

TEST(DesignBuild, rowsNameTheParameterAndTheProbabilityOfEveryKind)
{
    Model m = modelOfShape(2, 2, 2, {2, 3, 2});
    m.pim[static_cast<std::size_t>(transitionCell(m, 2, 1, 2, 2, 2))] = 12;
    const std::vector<int> cells = {transitionCell(m, 2, 1, 2, 2, 2), transitionCell(m, 1, 2, 1, 1, 2),
                                    openCaptureCell(m, 2, 1, 2), closedCaptureCell(m, 1, 2, 2, 3)};
    DesignTable table;
    table.build(m, cells);
    std::vector<std::string> names, factors;
    for (int x = 0; x < table.rowCount(); ++x) {
        names.push_back(table.rowName(x));
        factors.push_back(table.row(x).factors);
    }
    const auto number = [](int cell) { return std::to_string(cell) + " \u00b7 "; };
    EXPECT_EQ(names, (std::vector<std::string>{"12 \u00b7 Survival g2 a1 s2 t2", number(cells[1]) + "Movement g1 a2 s1\u2192s2 t1",
                                               number(cells[2]) + "Open capture a1 s2 t2",
                                               number(cells[3]) + "Closed capture a2 s1 p2 o3"}));
    EXPECT_EQ(factors[0], "group 2, age 1, stratum 2, time 2");
}

// A table of the given rows over a model with one entry per (row cell, column 1..cols).
DesignTable fullTable(Model& m, std::vector<int> rowCells, int cols)
{
    for (int cell : rowCells)
        for (int c = 1; c <= cols; ++c)
            m.dm.set(cell, c, 9);
    DesignTable table;
    table.build(m, rowCells);
    return table;
}

TEST(DesignCommands, addAfterDmcolsFourAppendsB5UpToTheLimit)
{
    Model m = twelveCellModel();
    m.dmcols = 4;
    DesignTable table = fullTable(m, {1, 2, 3}, 2);
    ASSERT_TRUE(table.addColumn(m).ok());
    ASSERT_EQ(table.columnCount(), 3);
    EXPECT_EQ(table.column(2).header, "B5");

    m.dmcols = DesignMatrix::kMaxIndex;
    const Status status = table.addColumn(m);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().message, "The design matrix already has 32767 columns, the most it can hold.");
    EXPECT_EQ(table.columnCount(), 3);
}

// Undo: the edit of each command, applied backwards, gives the table before it (texts,
// highlights, headers and hidden columns), and forwards again the table after it.
TEST(DesignUndo, editOfEachCommandRestoresBothSides)
{
    const std::vector<std::pair<const char*, std::function<void(DesignTable&)>>> commands = {
        {"typing", [](DesignTable& t) { t.setText(4, "2.5"); }},
        {"header", [](DesignTable& t) { t.setHeader(1, "B7"); }},
        {"identity after a highlight", [](DesignTable& t) { t.identity(); }},
        {"delete", [](DesignTable& t) {
             t.pressHeader(1);
             t.pressHeader(1);
             t.deleteSelected();
         }},
    };
    for (const auto& [name, command] : commands) {
        SCOPED_TRACE(name);
        Model m = twelveCellModel();
        DesignTable before = fullTable(m, {1, 2, 3}, 3);
        before.pressCell(0, PressKeys::Other);
        before.pressCell(4, PressKeys::ShiftOnly);
        before.setScrollPosition(0, 2);
        DesignTable after = before;
        command(after);
        const DesignEdit edit = before.editTo(after);
        ASSERT_FALSE(edit.empty());
        DesignTable undone = after;
        undone.apply(edit, ChangeSide::Before);
        for (int j = 0; j < before.columnCount(); ++j)
            undone.setHeaderShade(j, before.column(j).shade);  // a header press is no edit
        undone.setScrollPosition(before.firstRow(), before.firstShownColumn());
        EXPECT_EQ(undone, before);
        undone.apply(edit, ChangeSide::After);
        EXPECT_EQ(undone.editTo(after).empty(), true);
        EXPECT_EQ(undone.firstShownColumn(), std::min(2, after.shownColumnCount() - 1));
    }
}

}  // namespace
