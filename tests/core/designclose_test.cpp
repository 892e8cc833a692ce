#include "design/designtable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

// Twelve cells, each its own parameter, labelled "c1".."c12"; dmcols = 6; entries
// dm(3, 2) = 1, dm(7, 2) = 2, dm(7, 5) = 3.
Model closeModel()
{
    Model m = labelledParameters(12, 6);
    m.dm.set(3, 2, 1);
    m.dm.set(7, 2, 2);
    m.dm.set(7, 5, 3);
    m.dm.setColUsed(2);
    m.dm.setColUsed(5);
    return m;
}

struct Entry {
    int row;
    int col;
    double value;
};

TEST(DesignWriteBack, storesWhatWasTyped)
{
    const struct {
        const char* name;
        std::vector<int> rowCells;
        std::function<void(Model&, DesignTable&)> act;  // runs between build and Close
        std::vector<Entry> expected;                     // entries that must read so afterwards
        int dmcols = 6;
    } cases[] = {
        {"unchangedTwinRowDoesNotUndoAnEdit", {7, 9},
         [](Model& m, DesignTable& t) {
             m.pim[9] = 7;  // the twin is a later row of the same parameter
             t.setText(t.cellIndex(0, 0), "8");
         },
         {{7, 2, 8}}},
        {"hiddenColumnsAreStillStored", {3, 7},
         [](Model&, DesignTable& t) {
             t.setText(t.cellIndex(0, 1), "-2");
             t.pressHeader(1);
             t.pressHeader(1);
             ASSERT_EQ(t.deleteSelected(), std::vector<int>{1});
         },
         {{3, 5, -2}}},
        {"identityStoredButRowFixedSinceBuildSkipped", {4, 7},
         [](Model& m, DesignTable& t) { m.pim[4] = -4; t.identity(); },
         {{7, 2, 0}, {7, 5, 1}}},
        {"storesIntoTheParameterTheCellHoldsAtClose", {3},
         [](Model& m, DesignTable& t) { t.setText(0, "6"); m.pim[3] = 11; },
         {{11, 2, 6}, {3, 2, 1}}},
        {"retypedHeaderStoresTheColumnAndKeepsItWritable", {7},
         [](Model&, DesignTable& t) { t.setHeader(0, "b 40"); },
         {{7, 40, 2}, {7, 2, 2}}, 40},
        {"addedColumnStoresItsZeros", {7},
         [](Model& m, DesignTable& t) { m.dm.set(7, 7, 5); ASSERT_TRUE(t.addColumn(m).ok()); },
         {{7, 7, 0}}, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Model m = closeModel();
        DesignTable table;
        table.build(m, c.rowCells);
        c.act(m, table);
        ASSERT_FALSE(table.check());
        EXPECT_TRUE(table.writeBack(m));
        for (const Entry& e : c.expected) {
            EXPECT_EQ(m.dm.get(e.row, e.col), e.value) << "dm(" << e.row << ", " << e.col << ")";
            // The writer emits used columns only: a stored entry must stay in reach.
            EXPECT_TRUE(e.value == 0 || m.dm.colUsed(e.col)) << "column " << e.col;
        }
        EXPECT_TRUE(m.unsaved);
        EXPECT_EQ(m.dmcols, c.dmcols);
    }
}

TEST(DesignRefusals, closeRefusesAndWritesNothing)
{
    const struct {
        const char* name;
        std::function<void(Model&, DesignTable&)> act;
        std::string message;
        int cell;
        int column;
    } cases[] = {
        {"headerWithoutNumber", [](Model&, DesignTable& t) { t.setHeader(1, "Bx"); },
           "The header \"Bx\" of column 2 does not name a design-matrix column (B1 to B32767).", -1, 1},
        {"emptyEntry", [](Model&, DesignTable& t) { t.setText(3, ""); },
           "The entry in row \"7 \u00b7 c7\" under B5 is empty: type a number (0 for none).", 3, 1},
        {"firstBadEntryInCellOrderIsNamed",
           [](Model&, DesignTable& t) { t.setText(3, "x"); t.setText(2, "y"); },
           "The entry \"y\" in row \"3 \u00b7 c3\" under B5 is not a number.", 2, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Model m = closeModel();
        DesignTable table;
        table.build(m, {3, 7});
        c.act(m, table);
        const auto refusal = table.check();
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->message, c.message);
        EXPECT_EQ(refusal->cell, c.cell);
        EXPECT_EQ(refusal->column, c.column);
    }
}

TEST(DesignTexts, columnNumberReadsOnlyWholeColumnNumbers)
{
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"b 12", 12}, {"7", 7}, {"B32767", 32767}, {"B0", std::nullopt}, {"B32768", std::nullopt},
        {"B5x", std::nullopt}, {"B000001", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(columnNumber(text), expected) << '"' << text << '"';
}

TEST(DesignTexts, entryValueReadsOnlyWholeNumbers)
{
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"1E-05", 1e-5}, {" 3\t", 3.0}, {"-0", 0.0}, {"", std::nullopt}, {"1,5", std::nullopt},
        {"1e999", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(entryValue(text), expected) << '"' << text << '"';
    EXPECT_FALSE(std::signbit(*entryValue("-0")));
}

}  // namespace
