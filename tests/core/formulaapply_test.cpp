// Applying formulas to a model: parameter numbering, kept cells, columns and their names, refusals.
#include "design/formulaapply.h"

#include <gtest/gtest.h>

#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

// Two groups, one age class, two strata, three primary periods of 2, 3 and 2 occasions.
// Cells: 1-16 survival and movement (group 1: 1-8; interval 1: 1 = 1->1, 2 = 1->2,
// 3 = 2->1, 4 = 2->2; interval 2: 5-8 alike), 17-20 open capture (stratum 1: 17, 18),
// 21-34 closed capture (stratum 1: 21-27, stratum 2: 28-34).
Model smallModel() { return modelOfShape(2, 1, 2, {2, 3, 2}); }

FormulaSet formulas(const char* text)
{
    const FormulaResult<FormulaSet> set = parseFormulaList(text);
    EXPECT_TRUE(set.ok()) << set.error().text();
    return set.ok() ? set.value() : FormulaSet{};
}

FormulaModel applied(const Model& model, const char* text)
{
    FormulaResult<FormulaModel> result = applyFormulas(model, formulas(text));
    EXPECT_TRUE(result.ok()) << result.error().text();
    return result.ok() ? std::move(result.value()) : FormulaModel{};
}

std::vector<int> pimOf(const Model& model) { return {model.pim.begin() + 1, model.pim.end()}; }

using Row = std::vector<std::pair<int, double>>;

Row designRow(const Model& model, int parameter)
{
    Row row;
    for (const DesignMatrix::Entry& entry : model.dm.row(parameter))
        row.emplace_back(entry.col, entry.value);
    return row;
}

TEST(FormulaApply, equalRowsShareAParameterNumberedByFirstCell)
{
    const FormulaModel result = applied(smallModel(), "survival ~ time");
    // Survival cells of interval 1 (1, 4, 9, 12) share parameter 1, those of interval 2
    // (5, 8, 13, 16) parameter 4: the number follows the first cell, after movement cells 2, 3.
    EXPECT_EQ(pimOf(result.model), (std::vector<int>{1,  2,  3,  1,  4,  5,  6,  4,  1,  7,  8,  1,  4,  9,  10, 4,  11,
                                                     12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28}));
    EXPECT_EQ(result.model.nparms, 28);
    EXPECT_EQ(result.model.dmrows, 28);
    EXPECT_EQ(result.model.dmcols, 28);
    EXPECT_TRUE(result.model.unsaved);

    std::vector<std::string> expected{"survival:(Intercept)", "survival:time2"};
    for (int p : {2, 3, 5, 6, 7, 8, 9, 10})
        expected.push_back("movement:" + std::to_string(p));
    for (int p = 11; p <= 14; ++p)
        expected.push_back("open:" + std::to_string(p));
    for (int p = 15; p <= 28; ++p)
        expected.push_back("closed:" + std::to_string(p));
    EXPECT_EQ(result.columnNames, expected);

    EXPECT_EQ(designRow(result.model, 1), (Row{{1, 1}}));
    EXPECT_EQ(designRow(result.model, 4), (Row{{1, 1}, {2, 1}}));
    EXPECT_EQ(designRow(result.model, 2), (Row{{3, 1}}));
    EXPECT_EQ(designRow(result.model, 28), (Row{{28, 1}}));
    for (int c = 1; c <= 28; ++c)
        EXPECT_TRUE(result.model.dm.colUsed(c)) << c;
    EXPECT_FALSE(result.model.dm.colUsed(29));
}

TEST(FormulaApply, fixedAndSpecialCellsKeepTheirValuesAndSharedNumbersStayShared)
{
    Model model = smallModel();
    model.pim[5] = fixedMarker(5);  // survival, fixed
    model.initval[5] = 0.5;
    model.pim[13] = 0;   // survival, special
    model.pim[2] = -1;   // movement, special
    model.pim[21] = -2;  // closed, special
    model.pim[15] = 3;   // movement cells 3 and 15 share a parameter
    model.pim[18] = 17;  // open cells 17 and 18 share one
    model.pim[22] = 6;   // closed cell 22 shares movement cell 6's parameter
    const FormulaModel result = applied(model, "survival ~ stratum");

    EXPECT_EQ(pimOf(result.model), (std::vector<int>{1, -1, 2, 3, -5, 4, 5, 3, 1,  6,  7,  3,  0,  8,  2,  3,  9,
                                                     9, 10, 11, -2, 4, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}));
    EXPECT_EQ(result.model.initval, model.initval);
    EXPECT_EQ(result.model.labels, model.labels);
    // Parameter 4 began in the movement block, so its column is movement's.
    std::vector<std::string> expected{"survival:(Intercept)", "survival:stratum2", "movement:2", "movement:4",
                                      "movement:5", "movement:6", "movement:7", "movement:8",
                                      "open:9", "open:10", "open:11"};
    for (int p = 12; p <= 23; ++p)
        expected.push_back("closed:" + std::to_string(p));
    EXPECT_EQ(result.columnNames, expected);
    EXPECT_EQ(designRow(result.model, 3), (Row{{1, 1}, {2, 1}}));
    EXPECT_EQ(designRow(result.model, 4), (Row{{4, 1}}));

    // The PIM writer's gap closing finds nothing to change.
    Model renumbered = result.model;
    ASSERT_TRUE(renumberParameters(renumbered).ok());
    EXPECT_EQ(renumbered.pim, result.model.pim);
}

TEST(FormulaApply, equalRowsOfUnequalDataShare)
{
    // One group, two strata, intervals 1 and 2: survival cells 1, 4 (interval 1), 5, 8.
    const Model model = modelOfShape(1, 1, 2, {1, 1, 1});
    // Time is 0 over interval 1, so both strata have the intercept alone there.
    const FormulaModel slopes = applied(model, "survival ~ Time:stratum");
    EXPECT_EQ(std::vector<int>(slopes.model.pim.begin() + 1, slopes.model.pim.begin() + 9),
              (std::vector<int>{1, 2, 3, 1, 4, 5, 6, 7}));
    EXPECT_EQ(slopes.columnNames[1], "survival:Time:stratum1");
    EXPECT_EQ(designRow(slopes.model, 4), (Row{{1, 1}, {2, 1}}));
    EXPECT_EQ(designRow(slopes.model, 7), (Row{{1, 1}, {3, 1}}));
}

TEST(FormulaApply, rankShortfallIsReportedAndTheModelStillBuilt)
{
    // Three strata, one interval: six movement cells, each its own row; stratum:tostratum
    // takes indicators for both factors beside the intercept: seven columns of rank six.
    const FormulaModel result = applied(modelOfShape(1, 1, 3, {1, 1}), "movement ~ stratum:tostratum");
    EXPECT_EQ(result[CellKind::Movement].rank, (RankCheck{6, 7, 6}));
    EXPECT_EQ(identifiabilityLines(result)[1],
              "movement: 6 parameters, 7 columns: 1 column cannot be estimated (rank 6)");
}

TEST(FormulaApply, refusals)
{
    const struct {
        const char* name;
        Model model;
        const char* formulas;
        std::optional<CellKind> kind;
        const char* text;
    } cases[] = {
        {"oneStratumHasNoMovement", modelOfShape(1, 1, 1, {2, 2}), "movement ~ stratum", CellKind::Movement,
         "movement ~ stratum\nthe model has no movement cells"},
        {"noColumnAtAll", smallModel(), "survival ~ 0", CellKind::Survival,
         "survival ~ 0\nthe formula gives no column that is non-zero on a survival cell"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FormulaResult<FormulaModel> result = applyFormulas(c.model, formulas(c.formulas));
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error().kind, c.kind);
        EXPECT_EQ(result.error().text(), c.text);
    }
}

TEST(FormulaApply, moreColumnsThanAModelFileHoldsIsRefused)
{
    // The largest model (3 groups, 2 ages, 10 strata, 50 periods of 2 occasions): the
    // first term gives one indicator column per movement cell (26460), the second one
    // per cell with Time > 0 (25920), and the intercept one; the identity columns of the
    // other kinds add 2940 + 980 + 2000.
    const Model model = modelOfShape(3, 2, 10, std::vector<int>(50, 2));
    const FormulaResult<FormulaModel> result = applyFormulas(
        model, formulas("movement ~ group:age:stratum:tostratum:time + Time:group:age:stratum:tostratum:time"));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().text(), "the formulas give 58301 columns, more than the 32767 a model file can hold");
}

}  // namespace
