// The design data of each cell, read off the cell numbering.
#include "design/designdata.h"

#include <gtest/gtest.h>

#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

CellDesign design(CellKind kind, std::initializer_list<std::pair<Variable, int>> levels)
{
    CellDesign d;
    d.kind = kind;
    for (const auto& [factor, level] : levels)
        d.set(factor, level);
    return d;
}

TEST(DesignData, eachCellHasItsKindAndLevels)
{
    using V = Variable;
    // Two groups, two age classes, two strata; periods of 2, 3 and 2 occasions.
    const Model m = modelOfShape(2, 2, 2, {2, 3, 2});
    const Result<std::vector<CellDesign>> data = designData(m);
    ASSERT_TRUE(data.ok()) << data.error().text();
    ASSERT_EQ(data->size(), static_cast<std::size_t>(m.npar) + 1);
    const auto at = [&](int cell) { return (*data)[static_cast<std::size_t>(cell)]; };

    EXPECT_EQ(at(transitionCell(m, 2, 1, 2, 1, 2)),
              design(CellKind::Movement,
                     {{V::Group, 2}, {V::Age, 1}, {V::Stratum, 1}, {V::ToStratum, 2}, {V::Time, 2}}));
    EXPECT_EQ(at(transitionCell(m, 1, 2, 1, 2, 2)),
              design(CellKind::Survival, {{V::Group, 1}, {V::Age, 2}, {V::Stratum, 2}, {V::Time, 1}}));
    EXPECT_EQ(at(openCaptureCell(m, 2, 2, 1)), design(CellKind::Open, {{V::Age, 2}, {V::Stratum, 2}, {V::Time, 1}}));
    const CellDesign closed = at(closedCaptureCell(m, 1, 2, 2, 3));
    EXPECT_EQ(closed,
              design(CellKind::Closed, {{V::Age, 2}, {V::Stratum, 1}, {V::Session, 2}, {V::Occasion, 3}}));
    EXPECT_EQ(closed.value(V::SessionNumber), 1);
    EXPECT_EQ(closed.value(V::OccasionNumber), 2);
    EXPECT_EQ(closed.value(V::AgeNumber), 1);
    EXPECT_EQ(designDataText(closed), "age 2, stratum 1, session 2, occasion 3");

    // Every cell is reached once: the kinds' counts add up.
    for (CellKind kind : kAllKinds) {
        long count = 0;
        for (int cell = 1; cell <= m.npar; ++cell)
            count += at(cell).kind == kind && at(cell).value(V::Stratum) > 0;
        EXPECT_EQ(count, kindCellCount(m, kind)) << kindName(kind);
    }
}

TEST(DesignData, refusesCellsThatDisagreeWithTheDimensions)
{
    Model m = modelOfShape(1, 1, 2, {2, 2});
    m.npar += 1;
    tw::createCellArrays(m);
    const Result<std::vector<CellDesign>> data = designData(m);
    ASSERT_FALSE(data.ok());
    EXPECT_EQ(data.error().message,
              "the model has NPAR=" + std::to_string(m.npar) + " cells, but its dimensions give "
                  + std::to_string(m.npar - 1) + ": design data needs every cell in its block");

    Model uneven = modelOfShape(1, 1, 2, {2, 2});
    uneven.secpers[2] = 3;  // no longer what cumsec adds up
    EXPECT_FALSE(designData(uneven).ok());
}

}  // namespace
