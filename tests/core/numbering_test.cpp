#include "model/numbering.h"

#include <gtest/gtest.h>

#include <random>

#include "model/constraintsreader.h"
#include "model/textrules.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

// The label each listing line ends with ("" for cells that are not estimated).
std::vector<std::string> listingLines(const std::string& listing)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = listing.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(listing.substr(start, end - start));
    EXPECT_EQ(start, listing.size()) << "the listing ends with a line end";
    return lines;
}

TEST(CheckListing, goldenListingOfAConstraintsModel)
{
    auto read = readConstraintsFile(TW_TEST_DATA "/constraints/model1.inp");
    ASSERT_TRUE(read.ok()) << read.error().text();
    Model m = read->model;
    EXPECT_EQ(computePointNumbering(m).listing, fileText(TW_TEST_DATA "/constraints/model1.chk"));
    EXPECT_EQ(m.nparms, 3);
}

// The numbering exactly as it reads, one cell at a time, used to check the fast one on
// random maps. Phase 4 ends when no cell holds the number sought nor a higher one.
struct Literal {
    std::vector<int> point;
    std::vector<std::string> labels;
    std::vector<int> pim;
    int nparms = 0;
    int events = 0;
};

Literal literalNumbering(const Model& m)
{
    const int npar = m.npar;
    Literal r{std::vector<int>(npar + 2, 0), m.labels.all(), std::vector<int>(m.pim.begin(), m.pim.end())};
    int T = 0, F = 0;
    for (int i = 1; i <= npar; ++i) {
        if (r.pim[i] > 0) {
            r.point[i] = i;
            for (int j = i - 1; j >= 1; --j)
                if (r.pim[j] == r.pim[i]) {
                    r.point[i] = r.point[j];
                    ++T;
                    break;
                }
        } else {
            r.point[i] = -i;
            ++F;
        }
    }
    for (const auto& entry : m.fixedlist) {
        const double c = decimalValueOr0(textFrom(entry, 3));
        if (c >= 1 && c <= npar && c == static_cast<int>(c))
            r.point[static_cast<int>(c)] = -static_cast<int>(c);
    }
    r.nparms = npar - T - F;
    if (F > 0) {
        int w = npar - F;
        for (int i = 1; i <= npar - F; ++i) {
            if (r.point[i] != -i)
                continue;
            ++w;
            int m2 = w;
            while (m2 <= npar && r.point[m2] == -m2)
                ++m2;
            if (m2 > npar) {
                ++r.events;
                continue;
            }
            w = m2;
            std::swap(r.labels[i], r.labels[w]);
            r.point[i] = -w;
            if (r.point[w] == w)
                for (int k = 1; k <= npar; ++k)
                    if (r.point[k] == w)
                        r.point[k] = i;
        }
    }
    if (T > 0) {
        const int count = r.nparms;
        for (int i = 1; i <= count; ++i) {
            for (;;) {
                bool holds = false, higher = false;
                for (int k = 1; k <= npar; ++k) {
                    holds = holds || r.point[k] == i;
                    higher = higher || r.point[k] > i;
                }
                if (holds)
                    break;
                if (!higher) {
                    r.nparms = i - 1;
                    break;
                }
                for (int k = 1; k <= npar; ++k)
                    if (r.point[k] > i)
                        --r.point[k];
                for (int k = i + 1; k <= npar; ++k)
                    r.labels[k - 1] = r.labels[k];
            }
            if (r.nparms == i - 1)
                break;
        }
    }
    for (int i = 1; i <= npar; ++i)
        if (r.point[i] > 0)
            r.pim[i] = r.point[i];
    return r;
}

TEST(PointNumberingRandom, fastNumberingAgreesWithTheLiteralOne)
{
    std::mt19937 random(20240611);
    for (int round = 0; round < 1000; ++round) {
        const int npar = 1 + static_cast<int>(random() % 24);
        std::vector<int> pim(npar);
        const int distinct = 1 + static_cast<int>(random() % npar);
        for (int& p : pim) {
            const int kind = static_cast<int>(random() % 10);
            p = kind == 0   ? 0
                : kind == 1 ? -static_cast<int>(3 + random() % 5)
                : kind == 2 ? -1
                            : 1 + static_cast<int>(random() % distinct);
        }
        std::vector<std::string> list;
        for (int k = static_cast<int>(random() % 4); k > 0; --k)
            list.push_back("S(" + std::to_string(random() % (npar + 2)) + ")=.5");
        Model fast = modelWithMap(pim);
        fast.fixedlist = list;
        const Literal expected = literalNumbering(fast);
        const NumberingResult r = computePointNumbering(fast);
        const auto lines = listingLines(r.listing);
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(npar));
        ASSERT_EQ(r.point, expected.point) << "round " << round;
        ASSERT_EQ(fast.nparms, expected.nparms) << "round " << round;
        ASSERT_EQ(r.allFixedEvents, expected.events) << "round " << round;
        for (int i = 1; i <= npar; ++i) {
            ASSERT_EQ(fast.pim[i], expected.pim[i]) << "round " << round;
            std::string line;
            const std::string label = expected.point[i] > 0 ? expected.labels[expected.point[i]] : "";
            appendCheckListingLine(line, i, expected.point[i], expected.pim[i], label);
            ASSERT_EQ(lines[i - 1] + "\r\n", line) << "round " << round;
        }
    }
}

}  // namespace
