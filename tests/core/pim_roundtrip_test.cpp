// Generated models: a saved model reads back to the same model, and saving that again
// gives the same bytes, whatever the dimensions, fixings and special values.
#include <gtest/gtest.h>

#include <random>

#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

struct Generated {
    Model model;
    std::string head;  // the content of the model's input file
};

Generated generateModel(std::mt19937& random)
{
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    Model m = startupModel();
    m.groups = pick(0, 9) == 0 ? 0 : pick(1, 3);
    m.nage = pick(1, 3);
    m.nstrat = pick(1, 4);
    m.nyrs = pick(1, 5);
    m.secpers.assign(m.nyrs + 1, 0);
    m.cumsec.assign(m.nyrs + 1, 0);
    std::string secpers;
    for (int t = 1; t <= m.nyrs; ++t) {
        m.secpers[t] = pick(0, 4);
        m.cumsec[t] = static_cast<std::int16_t>(m.cumsec[t - 1] + m.secpers[t]);
        secpers += " " + std::to_string(static_cast<int>(m.secpers[t]));
    }
    m.totsec = m.cumsec[m.nyrs];
    computeDerivedSizes(m);
    const int cells = static_cast<int>(expectedCellCount(m));
    m.npar = cells;
    createCellArrays(m);
    m.proctest = kDefaultProcTest;

    // Fixed values the form can carry: 0, 1 and 2 would read back as special values.
    const double fixedValues[] = {0.5, 0.25, 3, 1e-5, 12.75, 1.5e20, 0.123456789012345, 7, 2.5, 1000000};
    for (int i = 1; i <= cells; ++i) {
        const int kind = pick(0, 19);
        if (kind < 12) {
            m.pim[i] = static_cast<std::int16_t>(pick(1, cells));
        } else if (kind < 14) {
            m.pim[i] = 0;
        } else if (kind == 14) {
            m.pim[i] = -1;
        } else if (kind == 15) {
            m.pim[i] = -2;
        } else {
            m.pim[i] = fixedMarker(static_cast<std::int16_t>(i));
            m.initval[i] = fixedValues[pick(0, 9)];
        }
    }
    const double designValues[] = {1, -1, 0.5, -2.25, 3, 1e-7};
    for (int n = pick(0, 2 * cells); n > 0; --n) {
        const int row = pick(0, cells + 2);
        const int col = pick(0, cells + 5);
        m.dm.set(row, col, designValues[pick(0, 5)]);
        if (pick(0, 4) > 0)
            m.dm.setColUsed(col);
    }
    const double rows[] = {0, cells / 2.0, static_cast<double>(cells), cells + 3.0, -1};
    m.dmrows = rows[pick(0, 4)];
    m.dmcols = pick(0, 2) == 0 ? 0 : pick(0, cells + 6);

    Generated g{std::move(m), {}};
    const Model& d = g.model;
    g.head = "PROC TITLE 'generated \xe9t\xe9';\r\nPROC MODEL NPAR=" + std::to_string(d.npar)
        + " GROUPS=" + std::to_string(d.groups) + " NAGE=" + std::to_string(d.nage) + "\r\n NYRS="
        + std::to_string(d.nyrs) + " STRATA=" + std::to_string(d.nstrat) + " SECPERS=" + secpers
        + ";\r\nCOHORT=12;\r\n 3 : 1 0 1;\n\r\nPROC ESTIMATE NAME=G;\r\nPIM;\r\nSRV(1);\r\n";
    return g;
}

TEST(PimRoundTrip, generatedModelsReadBackAndRewriteIdentically)
{
    std::mt19937 random(20240611);
    for (int n = 0; n < 400; ++n) {
        Generated g = generateModel(random);
        SCOPED_TRACE("model " + std::to_string(n));
        Model saved = g.model;
        auto first = writePimText(saved, g.head);
        ASSERT_TRUE(first.ok()) << first.error().text();

        auto read = readPimText(*first, "generated.inp");
        ASSERT_TRUE(read.ok()) << read.error().text() << "\n" << *first;
        EXPECT_EQ(read->pim, saved.pim);
        EXPECT_EQ(read->initval, saved.initval);
        EXPECT_EQ(read->nparms, saved.nparms);
        EXPECT_EQ(read->dmrows, saved.dmrows);
        EXPECT_EQ(read->dmcols, saved.dmcols);

        Model again = *read;
        auto second = writePimText(again, *first);
        ASSERT_TRUE(second.ok()) << second.error().text();
        EXPECT_EQ(*second, *first);
        if (HasFailure())
            return;
    }
}

}  // namespace
