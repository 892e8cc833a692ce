// The PIM chart's data: blocks in file order, labels, runs, fixed and special cells, sharing.
#include "pim/chartdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

fs::path examplePath() { return fs::path(TW_TEST_DATA) / ".." / ".." / "examples" / "example.inp"; }

// The cells of each block as the PIM writer writes them for a model whose cell i holds
// number i: the numbers between a heading and its ";" line.
std::vector<std::vector<int>> writtenBlocks(Model model)
{
    model.proctest = kDefaultProcTest;
    auto text = writePimText(model, "PROC MODEL;\r\nCOHORT;\r\nPIM;\r\n");
    EXPECT_TRUE(text.ok()) << (text.ok() ? "" : text.error().text());
    std::vector<std::vector<int>> blocks;
    std::istringstream in(text.ok() ? *text : std::string());
    std::string line;
    while (std::getline(in, line) && line.rfind("DESIGN", 0) != 0) {
        if (line.find('(') != std::string::npos) {
            blocks.emplace_back();
            continue;
        }
        std::istringstream numbers(line);
        for (int n; numbers >> n;)
            blocks.back().push_back(n);
    }
    return blocks;
}

TEST(PimChartBlocks, blocksFollowTheFileOrderOfTheirCells)
{
    const Model shapes[] = {modelOfShape(2, 2, 2, {2, 3, 1}), modelOfShape(1, 1, 3, {1, 2}),
                            modelOfShape(3, 2, 1, {4}), modelOfShape(2, 1, 3, {2, 2})};
    for (const Model& model : shapes) {
        SCOPED_TRACE(model.npar);
        std::vector<std::vector<int>> cells;
        for (const PimBlock& block : pimBlocks(model)) {
            EXPECT_EQ(block.cells.size(), static_cast<std::size_t>(block.ages * block.columns));
            cells.push_back(block.cells);
        }
        EXPECT_EQ(cells, writtenBlocks(model));
    }
}

// A model whose cells lie beyond its npar cannot be charted: no blocks, no out-of-range
// reads.
TEST(PimChartBlocks, modelThatDoesNotFitItsDimensionsHasNoBlocks)
{
    Model model = modelOfShape(1, 1, 2, {2, 2});
    model.npar -= 1;
    EXPECT_TRUE(pimBlocks(model).empty());
    EXPECT_TRUE(pimBlocks(startupModel()).empty());
}

// One line per block: label, cells, special cells, runs of numbers, blocks sharing.
TEST(PimChartDescribe, bundledExample)
{
    auto model = readPimFile(examplePath().string());
    ASSERT_TRUE(model.ok()) << model.error().text();
    const std::string text = describeBlocks(*model);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 24);
    for (const char* line : {"Survival g1 s1\t8\t0\t1-2\t0\n", "Movement g2 1→3\t8\t4\t14\t1\n",
                             "Open capture s3\t8\t0\t27-30\t0\n", "Closed capture s3\t28\t0\t41-45\t0\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

// Two groups, one age class, two strata, one interval, closed capture of 2 and 1
// occasions. Cells: group 1's survival s1 at 1 and s2 at 4, movement 1→2 at 2 and 2→1
// at 3; group 2's at 5..8 alike; open capture 9 and 10; closed capture 11..13 and 14..16.
TEST(PimChartRows, labelsFixedSpecialAndSharedNumbersOfTwoGroups)
{
    Model model = modelOfShape(2, 1, 2, {2, 1});
    const std::vector<std::int16_t> pim = {0, 1, 9, 3, 4, 1, 6, 7, 4, 2, 3, -1, 4, fixedMarker(30), 0, 5, 5};
    model.pim = pim;
    model.initval[13] = 0.5;
    const ChartData chart = buildChartData(model);
    std::vector<std::string> labels;
    std::vector<int> fixed, special;
    for (const ChartRow& row : chart.rows) {
        labels.push_back(row.label);
        fixed.push_back(row.fixedCells);
        special.push_back(row.specialCells);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"Survival g1 s1", "Survival g1 s2", "Survival g2 s1", "Survival g2 s2",
                                                "Movement g1 1→2", "Movement g2 1→2", "Movement g1 2→1",
                                                "Movement g2 2→1", "Open capture s1", "Open capture s2",
                                                "Closed capture s1", "Closed capture s2"}));
    EXPECT_EQ(fixed, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0}));
    EXPECT_EQ(special, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1}));
    // Survival g1 s2 and g2 s2 share 4 with Closed capture s1; the sharing of every row is
    // checked against every pair of rows below.
    EXPECT_EQ(sharingRows(chart, 10), (std::vector<int>{1, 3}));
    EXPECT_EQ(chart.largestNumber, 9);
    EXPECT_EQ(rowsHoldingAny(chart, 3, 4), (std::vector<int>{1, 3, 6, 9, 10}));
    EXPECT_EQ(rowsHoldingAny(chart, 4, 4, 10), (std::vector<int>{1, 3}));
}

TEST(PimChartRows, runsSplitAtGapsAndJoinAcrossCells)
{
    EXPECT_EQ(runsText({{1, 4}, {9, 9}}), "1-4,9");
    EXPECT_EQ(runsText({}), "");
    Model model = modelOfShape(1, 2, 1, {1, 1, 1, 1, 1});  // survival: cells 1..8
    const std::int16_t survival[] = {9, 2, 4, 1, 3, 3, 12, 11};
    std::copy(std::begin(survival), std::end(survival), model.pim.begin() + 1);
    const ChartData chart = buildChartData(model);
    EXPECT_EQ(chart.rows[0].runs, (std::vector<NumberRun>{{1, 4}, {9, 9}, {11, 12}}));
}

// Sharing counted through the sets of rows, against every pair of rows compared, on
// models of more than 64 and more than 128 rows (several words of bits, numbers added
// one by one and as sets).
TEST(PimChartRows, sharingAgreesWithComparingEveryPairOfRows)
{
    std::mt19937 random(20);
    for (const int nstrat : {6, 9}) {
        Model model = modelOfShape(2, 1, nstrat, {1, 1});
        for (int range : {5, 40, 400}) {
            std::uniform_int_distribution<int> number(-3, range);
            for (int i = 1; i <= model.npar; ++i)
                model.pim[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(number(random));
            const ChartData chart = buildChartData(model);
            std::vector<std::set<int>> numbers;
            for (const ChartRow& row : chart.rows) {
                numbers.emplace_back();
                for (int cell : row.block.cells)
                    if (model.pim[static_cast<std::size_t>(cell)] > 0)
                        numbers.back().insert(model.pim[static_cast<std::size_t>(cell)]);
            }
            for (std::size_t a = 0; a < numbers.size(); ++a) {
                std::vector<int> sharing;
                for (std::size_t b = 0; b < numbers.size(); ++b)
                    if (a != b && std::any_of(numbers[a].begin(), numbers[a].end(),
                                              [&](int p) { return numbers[b].count(p) > 0; }))
                        sharing.push_back(static_cast<int>(b));
                ASSERT_EQ(chart.rows[a].sharingCount, static_cast<int>(sharing.size())) << nstrat << " " << range;
                ASSERT_EQ(sharingRows(chart, static_cast<int>(a)), sharing);
            }
        }
    }
}

}  // namespace
