#include "model/constraintstopims.h"

#include <gtest/gtest.h>

#include "model/constraintsreader.h"
#include "support.h"

using namespace tw;

namespace {

const std::string kStatement = "PROC TITLE 'c';\nPROC MODEL NPAR=5 NYRS=1 STRATA=1 SECPERS=5;\nCOHORT=1;\n";

Model loadedFiveCells()
{
    std::istringstream in(kStatement + "PROC EST;\n");
    auto read = readConstraints(in, "m.inp");
    EXPECT_TRUE(read.ok());
    return read->model;
}

Status convertText(Model& m, const std::string& text)
{
    std::istringstream in(text);
    return convertConstraints(m, in, "c.inp");
}

std::string estimation(const std::string& lines)
{
    return kStatement + "PROC ESTIMATE NAME=X;\nCONSTRAINTS;\n" + lines + "PROC TEST;\n";
}

// Only the CONSTRAINTS section after the estimation statement counts; an equality to a
// fixed cell copies the fixing; nothing goes into the fixed-parameter list.
TEST(ConstraintsConversion, appliesTheSectionAfterTheEstimationStatement)
{
    Model m = loadedFiveCells();
    const std::string file = kStatement + "CONSTRAINTS;\nS(2)=S(1);\nINIT;\nPROC ESTIMATE NAME=X;\n"
                                          "CONSTRAINTS;\nS(4)=.5;\nS(5)=S(4);\nS(3)=S(1);\nPROC TEST;\n";
    const Status converted = convertText(m, file);
    ASSERT_TRUE(converted.ok()) << converted.error().text();
    EXPECT_EQ(std::vector<int>(m.pim.begin() + 1, m.pim.end()), (std::vector<int>{1, 2, 1, -4, -5}));
    EXPECT_EQ(std::vector<double>(m.initval.begin() + 1, m.initval.end()), (std::vector<double>{0, 0, 0, 0.5, 0.5}));
    EXPECT_EQ(m.nparms, 2);
    EXPECT_TRUE(m.fixedlist.empty());
}

TEST(ConstraintsConversionDesign, identityOverTheParametersAndDesignSizesCleared)
{
    Model m = loadedFiveCells();
    m.pim = {0, 1, 2, 3, -4, 0};
    m.dmrows = 7;
    m.dmcols = 7;
    m.dm.set(7, 7, 2);
    m.unsaved = false;
    ASSERT_TRUE(convertText(m, estimation("")).ok());
    EXPECT_EQ(m.nparms, 3);
    EXPECT_EQ(m.dmrows + m.dmcols, 0);
    EXPECT_EQ(m.dm.entries(), (std::vector<DesignMatrix::Entry>{{1, 1, 1}, {2, 2, 1}, {3, 3, 1}}));
    EXPECT_TRUE(m.dm.colUsed(3) && !m.dm.colUsed(4));
    EXPECT_TRUE(m.unsaved);
}

TEST(ConstraintsConversionRefusal, refusesBeforeAnythingChanges)
{
    const std::pair<std::string, std::string> cases[] = {
        {kStatement + "CONSTRAINTS;\nS(2)=S(1);\nPROC TEST;\n",
         "c.inp: the file has no line containing \"NAME=\" (the estimation statement)"},
        {kStatement + "PROC ESTIMATE NAME=X;\nPROC TEST;\n",
         "c.inp: the file has no CONSTRAINTS line after its \"NAME=\" line"},
        {kStatement + "PROC ESTIMATE NAME=X;\nCONSTRAINTS;\nS(2)=S(1);\n",
         "c.inp, line 6: the file ends before the INIT or PROC line that ends the CONSTRAINTS section"},
        {"PROC MODEL NYRS=1 SECPERS=\n 4;\n",
         "c.inp, line 2: the file states 4 secondary periods for primary period 1 but the loaded model has 5"},
    };
    for (const auto& [file, message] : cases) {
        Model m = loadedFiveCells();
        const Model before = m;
        const Status converted = convertText(m, file);
        ASSERT_FALSE(converted.ok()) << message;
        EXPECT_EQ(converted.error().text(), message);
        EXPECT_EQ(m, before);
    }
}

}  // namespace
