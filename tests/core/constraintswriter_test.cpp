#include "model/constraintswriter.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "model/constraintsreader.h"
#include "model/numbering.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

const std::string kHead = "PROC TITLE 'x';\nPROC MODEL NPAR=5;\nCOHORT;\nCONSTRAINTS;\nS(2)=S(1);\n";

Model withCells(const std::vector<int>& pim, const std::vector<double>& initval = {})
{
    Model m = modelWithMap(pim);
    std::copy(initval.begin(), initval.end(), m.initval.begin() + 1);
    m.proctest = kDefaultProcTest;
    return m;
}

// The constraint lines written for a model (between the head and the tail).
std::vector<std::string> constraintLines(const Model& m, const std::string& head = kHead)
{
    Model withHead = m;
    withHead.infile = "in.inp";
    setHead(withHead, head);
    std::ostringstream out;
    Status written = writeConstraints(withHead, out);
    EXPECT_TRUE(written.ok()) << written.error().text();
    std::vector<std::string> lines;
    std::istringstream text(out.str());
    std::string line;
    bool body = false;
    while (std::getline(text, line)) {
        line.pop_back();  // the CR of CR LF
        if (line == kDefaultProcTest)
            break;
        if (body)
            lines.push_back(line);
        body = body || line == "CONSTRAINTS;";
    }
    return lines;
}

TEST(ConstraintsWriterLines, writesOneLinePerCellThatNeedsOne)
{
    struct WriterCase {
        const char* name;
        std::vector<int> pim;
        std::vector<double> initval;
        std::vector<std::string> lines;
    };
    const WriterCase cases[] = {
        {"tiesSpecialsAndNoLineForTheFirstCell", {4, 4, 0, 4, -1}, {},
               {"S(0002)=S(0001) /* b=a */;", "S(0003)=0 /* c */;", "S(0004)=S(0001) /* d=a */;",
                "S(0005)=-1 /* e */;"}},
        {"firstCellWithAValueHandsOverToTheSecond", {1, 2, 3, 4, 5, 6, 7, 5, 9, 10, 5},
               {0, 0, 0, 0, 0.5}, {"S(0005)=.5 /* e */;", "S(0011)=S(0008) /* k=h */;"}},
        {"fixedCellKeepsItsValueToTheLastDigit", {1, 2, -3, -4, -5}, {0, 0, 0.123456789012345, -0.25, 0},
               {"S(0003)=.123456789012345 /* c */;", "S(0004)=-.25 /* d */;", "S(0005)=0 /* e */;"}},
        {"nonPositiveValueOnAParameterGivesNoLine", {1, 2, 3}, {0, -0.5, 0}, {}},
    };
    for (const WriterCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(constraintLines(withCells(c.pim, c.initval)), c.lines);
    }
}

TEST(ConstraintsWriterLines, cellsBeyondNconcellsAreWritten)
{
    Model m = withCells({1, 1, 3, 1});
    m.nconcells = 2;  // ties made after the read on later cells must not be lost
    EXPECT_EQ(constraintLines(m),
              (std::vector<std::string>{"S(0002)=S(0001) /* b=a */;", "S(0004)=S(0001) /* d=a */;"}));
}

// A head without a line that ends it cannot be saved with constraints; the writer says why.
TEST(ConstraintsWriterHead, headWithoutAnEndingLineIsRefused)
{
    Model m = withCells({1, 1});
    m.infile = "in.inp";
    setHead(m, "T;\nCOHORT;\n");
    std::ostringstream out;
    const Status written = writeConstraints(m, out);
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error().text(),
              "in.inp: the file has no line that ends its head (one containing \"constraint\", \"CONSTRAINT\", "
              "\"PIM\" or \"pim\")");
}

// The golden output of a numbered model.
TEST(ConstraintsWriterFiles, goldenOutputOfANumberedModel)
{
    auto read = readConstraintsFile(TW_TEST_DATA "/constraints/model1.inp");
    ASSERT_TRUE(read.ok()) << read.error().text();
    Model m = read->model;
    computePointNumbering(m);
    const ScratchDir dir;
    const fs::path out = dir / kConstraintsOutputName;
    ASSERT_TRUE(saveConstraints(m, out.string()).ok());
    EXPECT_EQ(fileText(out), fileText(TW_TEST_DATA "/constraints/model1.out"));
}

}  // namespace
