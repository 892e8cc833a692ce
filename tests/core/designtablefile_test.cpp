// The design matrix as a tab-separated table.
#include "design/designtablefile.h"

#include <gtest/gtest.h>

#include <clocale>
#include <sstream>

#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

Model threeParameters()
{
    Model m = labelledParameters(3, 4);
    m.dm.set(1, 1, 1);
    m.dm.set(2, 1, 1);
    m.dm.set(2, 2, -1);
    m.dm.set(3, 3, 0.5);
    m.dm.set(3, 4, 1e20);
    for (int c = 1; c <= 3; ++c)
        m.dm.setColUsed(c);
    return m;
}

std::string tableText(const Model& model, const std::vector<std::string>& names)
{
    std::ostringstream out;
    EXPECT_TRUE(writeDesignTable(model, names, out).ok());
    return out.str();
}

TEST(DesignTableFile, headerThenOneLinePerParameter)
{
    // Column 4 is not marked used, so the model files leave its entry out, and so does
    // the table; column 3 has no name and is called by its header.
    EXPECT_EQ(tableText(threeParameters(), {"survival:(Intercept)", "survival:time2"}),
              "parameter\tsurvival:(Intercept)\tsurvival:time2\tB3\tB4\n"
              "1\t1\t0\t0\t0\n"
              "2\t1\t-1\t0\t0\n"
              "3\t0\t0\t0.5\t0\n");
    // An empty name is no name either: a hand-made column among named ones, or a model
    // read from a file, whose columns are all unnamed.
    EXPECT_EQ(tableText(threeParameters(), {"survival:(Intercept)", "", "", ""}).substr(0, 40),
              "parameter\tsurvival:(Intercept)\tB2\tB3\tB4\n");
    Model empty = labelledParameters(2, 0);
    EXPECT_EQ(tableText(empty, {}), "parameter\n1\n2\n");
}

TEST(DesignTableFile, decimalPointWhateverTheLocale)
{
    const char* comma = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_ALL, name)) {
            comma = name;
            break;
        }
    if (!comma)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    Model m = threeParameters();
    m.dm.set(1, 2, 12345.25);
    std::ostringstream out;
    out.imbue(std::locale(comma));
    const Status written = writeDesignTable(m, {}, out);
    std::setlocale(LC_ALL, "C");
    ASSERT_TRUE(written.ok());
    const std::string text = out.str();
    const std::size_t first = text.find('\n') + 1;
    EXPECT_EQ(text.substr(first, text.find('\n', first) - first), "1\t1\t12345.25\t0\t0");
}

TEST(DesignTableFile, neverWrittenOverTheModelsInput)
{
    TempDir dir;
    Model m = threeParameters();
    m.infile = "model.inp";
    writeFile("model.inp", "the model");
    const Status refused = saveDesignTable(m, {}, "./model.inp");
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message, "the design table cannot be written over the model's input file (model.inp)");
    EXPECT_EQ(fileText("model.inp"), "the model");
}

}  // namespace
