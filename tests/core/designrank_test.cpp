// The rank of sparse design rows and the identifiability message.
#include "design/designrank.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

SparseRows rowsOf(const std::vector<std::vector<double>>& dense)
{
    SparseRows rows;
    for (const auto& row : dense) {
        for (std::size_t c = 0; c < row.size(); ++c)
            if (row[c] != 0)
                rows.add(static_cast<int>(c), row[c]);
        rows.endRow();
    }
    return rows;
}

TEST(DesignRank, exactOnSmallWholeNumberMatrices)
{
    struct Case {
        const char* name;
        std::vector<std::vector<double>> rows;
        int rank;
    };
    const Case cases[] = {
        {"thirdIsFirstMinusSecond", {{1, 1, 0}, {0, 1, 1}, {1, 0, -1}}, 2},
        // Indicators of both factors beside the intercept: the indicators sum to it.
        {"indicatorsSumToTheIntercept", {{1, 1, 0}, {1, 0, 1}}, 2},
        // Needs elimination with fill-in: no two rows share a leading column pattern.
        {"fullRankWithFillIn", {{2, 3, 1}, {4, 1, 5}, {1, 1, 1}}, 3},
        {"dependentWithLargerValues", {{48, 49, 0}, {0, 7, 1}, {96, 105, 1}}, 2},
        {"emptyRows", {{}, {0, 0}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sparseRank(rowsOf(c.rows)), c.rank);
    }
}

TEST(DesignRank, notCheckedBeyondTheColumnLimit)
{
    SparseRows identity;
    for (int c = 0; c < kRankColumnLimit + 1; ++c) {
        identity.add(c, 1);
        identity.endRow();
    }
    EXPECT_EQ(checkRank(identity, kRankColumnLimit + 1), (RankCheck{2001, 2001, std::nullopt}));
    EXPECT_EQ(checkRank(identity, kRankColumnLimit), (RankCheck{2001, 2000, 2001}));
}

TEST(DesignRank, messageSaysWhatCannotBeEstimated)
{
    const struct {
        RankCheck check;
        const char* text;
    } cases[] = {
        {{14, 6, 6}, "14 parameters, 6 columns"},
        {{12, 13, 12}, "12 parameters, 13 columns: 1 column cannot be estimated (rank 12)"},
        {{10, 13, 10}, "10 parameters, 13 columns: 3 columns cannot be estimated (rank 10)"},
        {{1, 1, 1}, "1 parameter, 1 column"},
        {{4410, 4459, std::nullopt}, "4410 parameters, 4459 columns: rank not checked"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rankText(c.check), c.text);
}

}  // namespace
