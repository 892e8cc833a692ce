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

TEST(ConstraintsConversion, appliesTheSectionAfterTheEstimationStatement)
{
    struct Case {
        const char* name;
        std::string file;
        std::vector<int> pim;
        std::vector<double> initval;
        int nparms;
    };
    const Case cases[] = {
        {"equalityToFixedCell", estimation("S(4)=.5;\nS(5)=S(4);\nS(2)=S(1);\n"), {1, 1, 3, -4, -5},
         {0, 0, 0, 0.5, 0.5}, 3},
        {"sectionBeforeTheEstimationStatementIsSkipped",
         kStatement + "CONSTRAINTS;\nS(2)=S(1);\nINIT;\nPROC ESTIMATE NAME=X;\nCONSTRAINTS;\nS(3)=S(1);\nPROC TEST;\n",
         {1, 2, 1, 4, 5}, {0, 0, 0, 0, 0}, 5},
        {"nameOnTheStatementLineAfterTheSecpersList",
         "PROC MODEL NPAR=5 NYRS=1 SECPERS=\n5 NAME=Y;\nCONSTRAINTS;\nS(2)=S(1);\nPROC TEST;\n",
         {1, 1, 3, 4, 5}, {0, 0, 0, 0, 0}, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Model m = loadedFiveCells();
        const Status converted = convertText(m, c.file);
        ASSERT_TRUE(converted.ok()) << converted.error().text();
        EXPECT_EQ(std::vector<int>(m.pim.begin() + 1, m.pim.end()), c.pim);
        EXPECT_EQ(std::vector<double>(m.initval.begin() + 1, m.initval.end()), c.initval);
        EXPECT_EQ(m.nparms, c.nparms);
        EXPECT_TRUE(m.fixedlist.empty()) << "the conversion lists nothing";
    }
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
        {"PROC MODEL NPAR=4;\nCOHORT;\nNAME=X;\nCONSTRAINTS;\nPROC TEST;\n",
         "c.inp, line 1: the file states NPAR=4 but the loaded model has npar=5"},
        {kStatement + "CONSTRAINTS;\nS(2)=S(1);\nPROC TEST;\n",
         "c.inp: the file has no line containing \"NAME=\" (the estimation statement)"},
        {kStatement + "PROC ESTIMATE NAME=X;\nPROC TEST;\n",
         "c.inp: the file has no CONSTRAINTS line after its \"NAME=\" line"},
        {kStatement + "PROC ESTIMATE NAME=X;\nCONSTRAINTS;\nS(2)=S(1);\n",
         "c.inp, line 6: the file ends before the INIT or PROC line that ends the CONSTRAINTS section"},
        {estimation(""), "no model is loaded to convert"},  // with the startup model
    };
    for (const auto& [file, message] : cases) {
        Model m = message == "no model is loaded to convert" ? startupModel() : loadedFiveCells();
        const Model before = m;
        const Status converted = convertText(m, file);
        ASSERT_FALSE(converted.ok()) << message;
        EXPECT_EQ(converted.error().text(), message);
        EXPECT_EQ(m, before);
    }
}

}  // namespace
