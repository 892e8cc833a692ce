// Constraints the program saved read back as the constraints saved. The writer puts the
// CONSTRAINTS section after the head, which for a model read from a PIM file holds the
// estimation statement; the reader stopped at that first "PROC" line and read every
// cell as its own parameter, without a word. A save whose text would not read back as
// its ties, fixings and values is now refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "model/constraintsreader.h"
#include "model/constraintswriter.h"
#include "model/textrules.h"
#include "support.h"

using namespace twtest;

namespace {

const fs::path kExample = fs::path(TW_TEST_DATA) / ".." / ".." / "examples" / "example.inp";

// What a cell is in the constraints form: its own parameter or tied to the first cell of
// its parameter, a special value, or fixed at a value.
std::vector<std::string> senses(const tw::Model& m)
{
    std::vector<std::string> out(1);
    std::map<int, int> first;
    for (int i = 1; i <= m.npar; ++i) {
        const int value = m.pim[static_cast<std::size_t>(i)];
        if (tw::isFixedMarker(value))
            out.push_back("fixed at " + tw::signedText(m.initval[static_cast<std::size_t>(i)]));
        else if (tw::isSpecialValue(value))
            out.push_back(std::to_string(value));
        else
            out.push_back("with " + std::to_string(first.emplace(value, i).first->second));
    }
    return out;
}

TEST(ConstraintsReadBack, exampleSavedWithConstraintsKeepsEveryTieAndFixing)
{
    TempDir dir;
    auto model = tw::readPimFile(kExample.string());
    ASSERT_TRUE(model.ok());
    ASSERT_TRUE(tw::saveConstraints(*model, "out.inp").ok());
    auto back = tw::readConstraintsFile("out.inp");
    ASSERT_TRUE(back.ok()) << back.error().text();
    const std::vector<std::string> saved = senses(*model);
    EXPECT_EQ(senses(back->model), saved);
    EXPECT_GT(std::count_if(saved.begin(), saved.end(), [](const std::string& s) { return s.rfind("with", 0) == 0; }),
              100);
}

TEST(ConstraintsReadBack, labelsBeforeAndConstraintsAfterTheEstimationStatement)
{
    std::istringstream in("PROC TITLE 'hand made';\nPROC MODEL NPAR=5;\nCOHORT=1;\nLABELS;\nS(1)=phi ;\nS(2)=p ;\n"
                          "PROC ESTIMATE NAME=HAND;\nCONSTRAINTS;\nS(2)=S(1) /* p=phi */;\nS(3)=.5 /* c */;\n"
                          "S(4)=-1;\nPROC TEST AICSAVE=HAND.AIC;\nS(5)=S(1);\nPROC STOP;\n");
    auto read = tw::readConstraints(in, "hand.inp");
    ASSERT_TRUE(read.ok()) << read.error().text();
    const tw::Model& m = read->model;
    EXPECT_EQ(std::vector<std::int16_t>(m.pim.begin() + 1, m.pim.end()), (std::vector<std::int16_t>{1, 1, -3, -1, 5}));
    EXPECT_EQ(m.initval[3], 0.5);
    EXPECT_EQ(m.labels[1], "phi");
    EXPECT_EQ(m.labels[2], "p");
    EXPECT_EQ(m.fixedlist, std::vector<std::string>{"S(3)=.5 /* c */;"});
    EXPECT_EQ(m.proctest, tw::kDefaultProcTest);  // the first PROC line is the estimation statement
}

// A test statement in the head ends the reader's sections before the constraint lines
// the writer puts after it: the saved file would hold no constraints.
TEST(ConstraintsReadBack, headTheReaderTakesDifferentlyIsRefused)
{
    TempDir dir;
    std::string text = fileText(pimDataDir() / "twogroups" / "input.inp");
    text.insert(text.find("PIM;"), "PROC TEST AICSAVE=EARLY.AIC;\r\n");
    writeFile("m.inp", text);
    auto model = tw::readPimFile("m.inp");
    ASSERT_TRUE(model.ok()) << model.error().text();
    model->pim[2] = 1;
    const tw::Model before = *model;
    const tw::Status saved = tw::saveConstraints(*model, "out.inp");
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().text(), "out.inp: the saved file would not read back as this model (cell 2 reads back as "
                                    "its own parameter, not tied to cell 1); nothing was written");
    EXPECT_FALSE(fs::exists("out.inp"));
    EXPECT_EQ(*model, before);
}

}  // namespace
