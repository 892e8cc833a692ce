// The PIM chart's block commands: new numbers, design rows, refusals, exact undo and redo.
#include "pim/blockcommands.h"

#include <gtest/gtest.h>

#include "pim/chartdata.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

using Numbers = std::vector<std::int16_t>;

constexpr std::int16_t F = -42;  // the fixed marker of cell 42

// Two groups, two age classes, two strata, three primary periods of 2, 3 and 1
// occasions: 64 cells in 12 blocks. Cells 1..40 hold 1..20 in pairs; the closed-capture
// block of stratum 1 (cells 41..52) holds kBlockBefore; that of stratum 2
// holds 21 and 27..37 (26 is held by no cell). The design is the identity over 1..37.
const Numbers kBlockBefore = {21, F, 22, 22, 23, 24,   // age 1: occasions 2 + 3 + 1
                              21, 25, -1, 0, 23, 24};  // age 2
constexpr int kBlock = 10;  // closed capture s1

Model closedCaptureModel()
{
    Model m = modelOfShape(2, 2, 2, {2, 3, 1});
    for (int i = 1; i <= 40; ++i)
        m.pim[static_cast<std::size_t>(i)] = static_cast<std::int16_t>((i + 1) / 2);
    std::copy(kBlockBefore.begin(), kBlockBefore.end(), m.pim.begin() + 41);
    m.initval[42] = 0.5;
    m.pim[53] = 21;
    for (int i = 54; i <= 64; ++i)
        m.pim[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i - 27);
    for (int p = 1; p <= 37; ++p) {
        m.dm.set(p, p, 1);
        m.dm.setColUsed(p);
    }
    m.dmrows = m.dmcols = 37;
    return m;
}

Numbers blockNumbers(const Model& m, const PimBlock& block)
{
    Numbers numbers;
    for (int cell : block.cells)
        numbers.push_back(m.pim[static_cast<std::size_t>(cell)]);
    return numbers;
}

// Undo gives back the model before, redo the model after, both exactly.
void expectUndoAndRedo(Model& model, const Model& before, const ModelChange& change)
{
    const Model after = model;
    undoChange(model, change);
    EXPECT_EQ(model, before);
    redoChange(model, change);
    EXPECT_EQ(model, after);
}

TEST(BlockCommands, newNumbersAboveTheLargestAndFixedAndSpecialCellsStay)
{
    const struct {
        const char* what;
        BlockCommand command;
        Numbers after;
    } cases[] = {
        {"Constant", BlockCommand::Constant, {38, F, 38, 38, 38, 38, 38, 38, -1, 0, 38, 38}},
        {"Time: one per occasion, across ages", BlockCommand::Time, {38, F, 40, 41, 42, 43, 38, 39, -1, 0, 42, 43}},
        {"Age", BlockCommand::Age, {38, F, 38, 38, 38, 38, 39, 39, -1, 0, 39, 39}},
        {"All different", BlockCommand::AllDifferent, {38, F, 39, 40, 41, 42, 43, 44, -1, 0, 45, 46}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Model model = closedCaptureModel();
        const Model before = model;
        const PimBlock block = pimBlocks(model)[kBlock];
        auto change = runBlockCommand(model, block, c.command);
        ASSERT_TRUE(change.ok()) << change.error().text();
        EXPECT_EQ(blockNumbers(model, block), c.after);
        EXPECT_EQ(model.unsaved, 1);
        EXPECT_EQ(model.initval, before.initval);
        Model others = model;  // every cell outside the block as it was
        std::copy(kBlockBefore.begin(), kBlockBefore.end(), others.pim.begin() + 41);
        EXPECT_EQ(others.pim, before.pim);
        expectUndoAndRedo(model, before, *change);
    }
}

TEST(BlockCommands, shiftMovesEstimatedNumbersOntoAnotherBlocksToShare)
{
    const struct {
        int d;
        Numbers after;
        int sharing;  // blocks sharing a number with the block afterwards
    } cases[] = {
        {3, {24, F, 25, 25, 26, 27, 24, 28, -1, 0, 26, 27}, 1},
        {-20, {1, F, 2, 2, 3, 4, 1, 5, -1, 0, 3, 4}, 4},  // group 1's survival and movement
        {0, kBlockBefore, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.d);
        Model model = closedCaptureModel();
        const Model before = model;
        const PimBlock block = pimBlocks(model)[kBlock];
        auto change = shiftBlockNumbers(model, block, c.d);
        ASSERT_TRUE(change.ok()) << change.error().text();
        EXPECT_EQ(blockNumbers(model, block), c.after);
        EXPECT_EQ(buildChartData(model).rows[kBlock].sharingCount, c.sharing);
        EXPECT_EQ(change->empty(), c.d == 0);
        EXPECT_EQ(model.unsaved, c.d == 0 ? 0 : 1);
        expectUndoAndRedo(model, before, *change);
    }
}

TEST(BlockCommands, numbersOutside1ToNparAreRefusedAndNothingChanges)
{
    Model model = closedCaptureModel();
    const PimBlock block = pimBlocks(model)[kBlock];
    model.pim[64] = 60;
    const Model before = model;
    const std::pair<Result<ModelChange>, const char*> cases[] = {
        {shiftBlockNumbers(model, block, -21), "Shifting by -21 would give parameter number 0, below 1."},
        {shiftBlockNumbers(model, block, 40), "Shifting by 40 would give parameter number 65, above NPAR=64."},
        {runBlockCommand(model, block, BlockCommand::AllDifferent),
         "\"All different\" would give parameter number 69, above NPAR=64."},
    };
    for (const auto& [result, message] : cases) {
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error().text(), message);
    }
    EXPECT_EQ(model, before);
}

// Constant splits parameter 21 (closed capture s2 keeps it) and ends 22..25: row 38 is
// row 21's; rows and columns 22..26 go (26 had no cell) and the later columns move down
// five places.
TEST(BlockCommandsDesign, rowsStayWithTheirParameters)
{
    Model model = closedCaptureModel();
    const PimBlock block = pimBlocks(model)[kBlock];
    ASSERT_TRUE(runBlockCommand(model, block, BlockCommand::Constant).ok());
    using Entries = std::vector<DesignMatrix::Entry>;
    auto row = [&](int p) { return Entries(model.dm.row(p).begin(), model.dm.row(p).end()); };
    EXPECT_EQ(row(38), (Entries{{38, 21, 1}}));
    EXPECT_EQ(row(21), (Entries{{21, 21, 1}}));
    EXPECT_TRUE(row(22).empty());
    EXPECT_EQ(row(37), (Entries{{37, 32, 1}}));
    EXPECT_EQ(model.dmrows, 38);
    EXPECT_EQ(model.dmcols, 32);

    // A shift onto survival's numbers: those parameters keep their own rows.
    Model shifted = closedCaptureModel();
    ASSERT_TRUE(shiftBlockNumbers(shifted, block, -20).ok());
    EXPECT_EQ(shifted.dm.row(1).begin()->col, 1);
    EXPECT_EQ(shifted.dm.row(5).begin()->col, 5);
    EXPECT_EQ(shifted.dm.size(), 32u);
}

// Cells of the two-group model in file order: survival g1 s1 (1), g1 s2 (4), g2 s1 (5),
// g2 s2 (8), movement g1 1→2 (2), g2 1→2 (6), g1 2→1 (3), g2 2→1 (7), open capture 9, 10,
// closed capture 11..13, 14..16.
TEST(BlockCommandsRenumber, withoutGapsAndWithoutSharingInBlockOrder)
{
    const Numbers before = {0, 1, 9, 3, 4, 1, 6, 7, 4, 2, 3, -1, 4, -13, 0, 5, 5};
    const Numbers withoutGaps = {0, 1, 3, 5, 2, 1, 4, 6, 2, 7, 5, -1, 2, -13, 0, 8, 8};
    const Numbers withoutSharing = {0, 1, 5, 7, 2, 3, 6, 8, 4, 9, 10, -1, 11, -13, 0, 12, 12};
    for (bool sharing : {false, true}) {
        SCOPED_TRACE(sharing ? "without sharing" : "without gaps");
        Model model = modelOfShape(2, 1, 2, {2, 1});
        model.pim = before;
        model.initval[13] = 0.25;
        for (int p = 1; p <= 9; ++p) {
            model.dm.set(p, p, p);
            model.dm.setColUsed(p);
        }
        const Model original = model;
        const ModelChange change = sharing ? renumberWithoutSharing(model) : renumberWithoutGaps(model);
        EXPECT_EQ(model.pim, sharing ? withoutSharing : withoutGaps);
        // Each cell's new parameter has the row of its old one (value p in column p before).
        for (std::size_t cell = 1; cell < before.size(); ++cell) {
            if (before[cell] <= 0)
                continue;
            EXPECT_EQ(model.dm.row(model.pim[cell]).begin()->value, before[cell]) << cell;
        }
        expectUndoAndRedo(model, original, change);
    }
}

}  // namespace
