#include "model/model.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

TEST(DesignMatrixSparse, setManyMergesInAnyOrderAndTheLaterChangeWins)
{
    DesignMatrix dm;
    for (int r = 1; r <= 5; ++r)
        dm.set(r, r, 1);
    dm.set(2, 7, 3);  // out of order insert
    dm.set(32767, 32767, 2.5);
    dm.setMany({{4, 4, 0}, {1, 2, 5}, {1, 2, 6}, {9, 1, -1}, {3, 3, 2}, {0, 0, 0}});
    const std::vector<DesignMatrix::Entry> expected{{1, 1, 1}, {1, 2, 6}, {2, 2, 1}, {2, 7, 3},
                                                    {3, 3, 2}, {5, 5, 1}, {9, 1, -1}, {32767, 32767, 2.5}};
    EXPECT_EQ(dm.entries(), expected);
    EXPECT_EQ(dm.row(2).lowerBound(3)->col, 7);
    EXPECT_TRUE(dm.row(4).empty());
}

}  // namespace
