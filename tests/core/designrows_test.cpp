// Design rows follow their parameters through the PIM writer's gap closing and POINT(i).
#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

#include "model/constraintsreader.h"
#include "model/constraintstopims.h"
#include "model/numbering.h"
#include "model/renumbering.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

using Entries = std::vector<DesignMatrix::Entry>;

// Seven cells holding parameters 2 and 5; design rows 2, 3 and 5 filled, row 3 alone in
// column 3.
const std::string kGapModel = "PROC TITLE 'gaps';\r\n"
                              "PROC MODEL NPAR=7 NYRS=3 STRATA=1 SECPERS=1 1 1;\r\n"
                              "COHORT=2;\r\n"
                              " 1 : 1 1 0;\r\n"
                              "PIM;\r\nSRV(1);\r\n 2 2\r\n;\r\nP(1);\r\n 5 5\r\n;\r\nCP(1);\r\n 2 5 2 \r\n;\r\n"
                              "DESIGN  5   3  ONEDIGIT;\r\n"
                              " 2  1  1; 3  3  1; 5  1  1; 5  2  -1;\r\n"
                              "\r\nPROC TEST AICSAVE=CORVANE.AIC;\r\nPROC STOP;\r\n";

Model readText(const std::string& text)
{
    auto model = readPimText(text);
    EXPECT_TRUE(model.ok()) << (model.ok() ? "" : model.error().text());
    return model.ok() ? *model : Model{};
}

// The design entries (column, value) each cell's parameter has; empty for cells
// without a parameter.
std::vector<std::vector<std::pair<int, double>>> rowsOfCells(const Model& m)
{
    std::vector<std::vector<std::pair<int, double>>> rows(static_cast<std::size_t>(m.npar) + 1);
    for (int i = 1; i <= m.npar; ++i) {
        const int p = m.pim[static_cast<std::size_t>(i)];
        if (p <= 0)
            continue;
        for (const auto& entry : m.dm.row(p))
            rows[static_cast<std::size_t>(i)].emplace_back(entry.col, entry.value);
    }
    return rows;
}

struct CarryCase {
    const char* fault;
    Renumbering renumbering;
    Entries after;
    std::vector<int> columnsInUse;  // of columns 0..8
    double dmrows;
    int dmcols;
};

// Before: rows 0..4 with columns 0..3, column 3 flagged unused; dmrows 6.5, dmcols 7.
TEST(DesignRowsCarry, eachRowGoesWithItsParameter)
{
    const Entries before = {{0, 1, 9}, {1, 1, 1}, {1, 2, 2}, {2, 0, 7}, {2, 2, 3}, {3, 3, 4}, {4, 1, -1}};
    const CarryCase cases[] = {
        {"rows are swapped with their parameters", {{0, 2, 1, 0, 4}, true},
         {{1, 2, 3}, {2, 1, 1}, {2, 2, 2}, {4, 1, -1}}, {1, 2}, 4, 2},
        {"a split parameter keeps its row in both", {{0, 1, 0, 0, 0, 1}, true},
         {{1, 1, 1}, {1, 2, 2}, {5, 1, 1}, {5, 2, 2}}, {1, 2}, 5, 2},
        {"no entry left empties the matrix and keeps the sizes", {{0, 3, 0, 0, 0, 0, 6}, true}, {}, {}, 6.5, 7},
    };
    for (const CarryCase& c : cases) {
        SCOPED_TRACE(c.fault);
        Model model;
        for (const auto& [r, col, v] : before)
            model.dm.set(r, col, v);
        for (int col : {0, 1, 2})
            model.dm.setColUsed(col);
        model.dmrows = 6.5;
        model.dmcols = 7;
        carryDesignRows(model, c.renumbering);
        EXPECT_EQ(model.dm.entries(), c.after);
        std::vector<int> used;
        for (int col = 0; col <= 8; ++col)
            if (model.dm.colUsed(col))
                used.push_back(col);
        EXPECT_EQ(used, c.columnsInUse);
        EXPECT_EQ(model.dmrows, c.dmrows);
        EXPECT_EQ(model.dmcols, c.dmcols);
    }
}

TEST(DesignRowsFollowGapClosing, rowsMoveWithTheirParametersAndEmptyColumnsGo)
{
    Model model = readText(kGapModel);
    const auto before = rowsOfCells(model);
    auto written = writePimText(model, kGapModel);
    ASSERT_TRUE(written.ok()) << written.error().text();
    EXPECT_NE(written->find("DESIGN  2   2  ONEDIGIT;\r\n 1  1  1; 2  1  1; 2  2  -1;\r\n"), std::string::npos)
        << *written;
    // Parameters 2 and 5 are numbered 1 and 2: row 3 and column 3 are gone.
    EXPECT_EQ(model.dm.entries(), (Entries{{1, 1, 1}, {2, 1, 1}, {2, 2, -1}}));
    EXPECT_EQ(rowsOfCells(readText(*written)), before);
}

// A save that fails after the writer renumbered (here a full disk) gives the model back
// as it was, design matrix included.
TEST(DesignRowsFollowGapClosing, failedWriteKeepsTheDesignMatrix)
{
    TempDir dir;
    writeFile("gaps.inp", kGapModel);
    const auto save = [] {
        auto model = readPimFile("gaps.inp");
        const Model before = *model;
        const Status saved = savePimFile(*model, "out.inp");
        return std::string(saved.ok() ? "saved" : *model == before ? "kept" : "changed");
    };
    const auto fullDisk = [] {
        const rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
    };
    EXPECT_EQ(runInChild(save, 10, fullDisk).text, "kept");
}

// Parameters 2 and 7 become 1 and 2 and take their rows; the fixed list takes parameter
// 5's only cell out of the numbering: its row and its column go.
TEST(DesignRowsFollowPoint, rowsMoveAndTheRowOfAParameterFixedThroughTheListGoes)
{
    Model model = readText("PROC MODEL NPAR=7 NYRS=3 STRATA=1 SECPERS=1 1 1;\nCOHORT=2;\nPIM;\n"
                           "SRV(1);\n 2 2\n;\nP(1);\n 5 7\n;\nCP(1);\n 7 7 2 \n;\n"
                           "DESIGN 7 3 ONEDIGIT;\n 2 1 1; 5 2 1; 7 3 1;\n\nPROC STOP;\n");
    model.fixedlist = {"S(3)=.5 /* p */;"};
    computePointNumbering(model);
    EXPECT_EQ(model.dm.entries(), (Entries{{1, 1, 1}, {2, 2, 1}}));
    EXPECT_EQ(model.dmcols, 2);
}

// The conversion's identity design stays the identity whatever the renumbering: the
// saved bytes are those the writer gave before rows followed their parameters.
TEST(DesignRowsSameBytes, convertedConstraintsSaveAsBefore)
{
    const std::string expected = fileText(TW_TEST_DATA "/constraints/model1-converted.mss");
    for (bool point : {false, true}) {
        SCOPED_TRACE(point ? "with POINT" : "without POINT");
        auto read = readConstraintsFile(TW_TEST_DATA "/constraints/model1.inp");
        ASSERT_TRUE(read.ok()) << read.error().text();
        Model m = read->model;
        computePointNumbering(m);
        ASSERT_TRUE(convertConstraintsFile(m, TW_TEST_DATA "/constraints/model1-convert.inp").ok());
        if (point)
            computePointNumbering(m);
        auto written = writePimText(m, fileText(TW_TEST_DATA "/constraints/model1.inp"));
        ASSERT_TRUE(written.ok()) << written.error().text();
        EXPECT_EQ(*written, expected);
    }
}

}  // namespace
