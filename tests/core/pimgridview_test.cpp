#include "pim/gridview.h"

#include <gtest/gtest.h>

#include <map>

#include "model/model.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

// Two groups, two age classes, three strata, three primary periods with 2, 0 and 1
// secondary occasions: survival and movement cells 1..72, open capture 73..84,
// closed capture 85..102; pim(i) = i.
Model twoGroupsTwoAgesThreeStrata() { return modelOfShape(2, 2, 3, {2, 0, 1}); }

std::vector<GridWindowLayout> view(const Model& m, ViewKind kind)
{
    auto built = buildView(m, kind);
    EXPECT_TRUE(built.ok()) << (built.ok() ? "" : built.error().message);
    return built.ok() ? *built : std::vector<GridWindowLayout>{};
}

TEST(ViewCellNumbers, showTheModelFileCells)
{
    struct WindowCase {
        const char* name;
        ViewKind kind;
        std::size_t window;
        int rowsPerAge;  // the rows the commands over strata and age classes step by
        std::vector<int> cells;  // model cells in grid order, from the model-file numbering
    };
    const WindowCase cases[] = {
        {"survivalGroup1", ViewKind::Survival, 0, 3, {1, 10, 5, 14, 9, 18, 19, 28, 23, 32, 27, 36}},
        {"movementFromBGroup2", ViewKind::Movement, 4, 2, {40, 49, 42, 51, 58, 67, 60, 69}},
        {"openCaptureStratumOutermost", ViewKind::OpenCapture, 0, 3,
         {73, 74, 77, 78, 81, 82, 75, 76, 79, 80, 83, 84}},
        {"closedCaptureStratumOutermost", ViewKind::ClosedCapture, 0, 3,
         {85, 86, 87, 91, 92, 93, 97, 98, 99, 88, 89, 90, 94, 95, 96, 100, 101, 102}},
    };
    for (const WindowCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto windows = view(twoGroupsTwoAgesThreeStrata(), c.kind);
        ASSERT_GT(windows.size(), c.window);
        EXPECT_EQ(windows[c.window].cellmap, c.cells);
        EXPECT_EQ(windows[c.window].number, static_cast<int>(c.window));  // (g - 1) * nstrat + r - 1
        EXPECT_EQ(windows[c.window].rowsPerAge, c.rowsPerAge);
        EXPECT_EQ(windows[c.window].builtTexts.back(), std::to_string(c.cells.back()));  // pim(i) = i
    }
}

TEST(GridViews, everyCellOfTheModelIsShownExactlyOnce)
{
    const Model m = twoGroupsTwoAgesThreeStrata();
    std::map<int, int> shown;
    for (ViewKind kind : {ViewKind::Survival, ViewKind::Movement, ViewKind::OpenCapture, ViewKind::ClosedCapture})
        for (const GridWindowLayout& w : view(m, kind))
            for (int cell : w.cellmap)
                ++shown[cell];
    ASSERT_EQ(static_cast<int>(shown.size()), m.npar);
    EXPECT_EQ(shown.rbegin()->first, m.npar);
    for (const auto& [cell, times] : shown)
        EXPECT_EQ(times, 1) << "cell " << cell;
}

TEST(GridViews, modelTooSmallForItsDimensionsIsAnErrorNotACrash)
{
    Model m = twoGroupsTwoAgesThreeStrata();
    m.npar = 100;
    createCellArrays(m);
    EXPECT_TRUE(buildView(m, ViewKind::Survival).ok());
    const auto closed = buildView(m, ViewKind::ClosedCapture);
    ASSERT_FALSE(closed.ok());
    EXPECT_EQ(closed.error().message, "The view needs cell 101, but the model has only 100 cells (NPAR).");

    Model periods = twoGroupsTwoAgesThreeStrata();
    periods.secpers.resize(2);
    const auto noPeriods = buildView(periods, ViewKind::ClosedCapture);
    ASSERT_FALSE(noPeriods.ok());
    EXPECT_EQ(noPeriods.error().message,
              "The model lists the secondary periods of fewer than 3 primary periods (SECPERS).");
}

}  // namespace
