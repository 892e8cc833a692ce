#include "model/constraintsreader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

using namespace tw;

namespace {

// A one-stratum model of five cells; the body follows the cohort line.
std::string fiveCells(const std::string& body)
{
    return "PROC TITLE 'five';\nPROC MODEL NPAR=5 NYRS=1 STRATA=1 SECPERS=5;\nCOHORT=1;\n" + body;
}

Result<ConstraintsRead> readText(const std::string& text)
{
    std::istringstream in(text);
    return readConstraints(in, "m.inp");
}

struct MapCase {
    const char* name;
    std::string body;
    std::vector<int> pim;         // cells 1..5
    std::vector<double> initval;  // cells 1..5
    std::vector<std::string> fixedlist;
};

TEST(ConstraintsReaderMap, appliesLinesInFileOrder)
{
    const MapCase cases[] = {
        {"smallProbabilityStaysAFixing", "CONSTRAINTS;\nS(5)=0.3;\nPROC EST;\n",
            {1, 2, 3, 4, -5}, {0, 0, 0, 0, 0.3}, {"S(5)=0.3;"}},
        {"specialValuesAreNotListed", "CONSTRAINTS;\nS(3)=0;\nS(4)=-1;\nS(5)=-2;\nPROC EST;\n",
            {1, 2, 0, -1, -2}, {0, 0, 0, 0, 0}, {}},
        {"firstCellsNeverBecomeSpecialValues", "CONSTRAINTS;\nS(1)=.9;\nS(2)=.8;\nPROC EST;\n",
            {-3, -3, 3, 4, 5}, {0.9, 0.8, 0, 0, 0}, {"S(1)=.9;", "S(2)=.8;"}},
        {"equalityCopiesTheCurrentMapValue", "CONSTRAINTS;\nS(3)=S(1);\nS(5)=s(3);\nS(1)=S(2);\nPROC EST;\n",
            {2, 2, 1, 4, 1}, {0, 0, 0, 0, 0}, {}},
        {"fileEndingInsideTheSectionKeepsItsLines", "CONSTRAINTS;\nS(2)=S(1);\nS(3)=S(1);",
            {1, 1, 1, 4, 5}, {0, 0, 0, 0, 0}, {}}};
    for (const MapCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto read = readText(fiveCells(c.body));
        ASSERT_TRUE(read.ok()) << read.error().text();
        const Model& m = read->model;
        EXPECT_EQ(std::vector<int>(m.pim.begin() + 1, m.pim.end()), c.pim);
        EXPECT_EQ(std::vector<double>(m.initval.begin() + 1, m.initval.end()), c.initval);
        EXPECT_EQ(m.fixedlist, c.fixedlist);
    }
}

// Failures the bad-input corpus does not hold; each names the file and line.
TEST(ConstraintsReaderFailure, failsWithFileAndLine)
{
    const std::pair<std::string, std::string> cases[] = {
        {"PROC MODEL NPAR=5;\n", "m.inp, line 1: the file ends before a line containing \"COHORT\""},
        {fiveCells("CONSTRAINTS;\nS(2)=1E999;\n"), "m.inp, line 5: a number is too large: 1E999;"},
    };
    for (const auto& [text, message] : cases) {
        auto read = readText(text);
        ASSERT_FALSE(read.ok()) << message;
        EXPECT_EQ(read.error().text(), message);
    }
}

// The reader reads on past a test statement that ends its sections for the head both
// writers copy, up to the line that ends it.
TEST(ConstraintsReaderHead, headReadsOnToItsEndingLine)
{
    auto read = readText(fiveCells("PROC TEST X;\nCONSTRAINTS;\nS(2)=S(1);\n"));
    ASSERT_TRUE(read.ok()) << read.error().text();
    ASSERT_FALSE(read->model.head.lines.empty());
    EXPECT_EQ(read->model.head.lines.back(), "CONSTRAINTS;");
}

}  // namespace
