#include "model/pimreader.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "model/textrules.h"
#include "session/session.h"
#include "sessionsupport.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

// One group, one stratum, two seasons of one secondary period: cells 1 (survival),
// 2 (open capture), 3 and 4 (closed capture).
const std::string kSmall =
    "PROC TITLE 'small';\n"                            // 1
    "PROC MODEL NPAR=4 NYRS=2 STRATA=1 SECPERS=1 1;\n"  // 2
    "COHORT=3;\n"                                       // 3
    "PIM;\n"                                            // 4
    "SRV(1);\n 1\n;\n"                                  // 5-7
    "P(1);\n 2\n;\n"                                    // 8-10
    "CP(1);\n 3  4 \n;\n"                               // 11-13
    "DESIGN 4 4 ONEDIGIT;\n"                            // 14
    " 1  1  1;\n"                                       // 15
    "PROC TEST AICSAVE=CORVANE.AIC;\n"                  // 16
    "PROC STOP;\n";

// "Get input file w/ PIM's" with the file chosen (nothing unsaved asks nothing).
Status readPims(Session& session, const std::string& file)
{
    twtest::AnsweringFront front;
    front.files = {file};
    const Outcome outcome = session.readPims(front);
    if (outcome.failure)
        return *outcome.failure;
    return {};
}

// A failed read names the file and line, and the loaded model and menus stay as they were.
TEST(PimReadFailure, reportsWhereAndLeavesTheModelAlone)
{
    const std::pair<std::string, std::string> cases[] = {
        {replaced(kSmall, "P(1);\n 2\n", "P(1);\n 1E999\n"),
         "bad.inp, line 10: a value in the open-capture block of stratum 1 is too large"},
        // NPAR must be the cells of the blocks, wherever the statement's line ends.
        {replaced(kSmall, "NPAR=4 NYRS=2", "NPAR=3\nNYRS=2"),
         "bad.inp, line 2: NPAR=3, but GROUPS, NAGE, NYRS, STRATA and SECPERS give 4 cells"},
    };
    TempDir dir;
    writeFile("good.inp", kSmall);
    Session session;
    ASSERT_TRUE(readPims(session, "good.inp").ok());
    session.model().markChanged();
    const Model before = session.model();
    for (const auto& [text, message] : cases) {
        writeFile("bad.inp", text);
        const Status read = readPims(session, "bad.inp");
        ASSERT_FALSE(read.ok());
        EXPECT_EQ(read.error().text(), message);
        EXPECT_EQ(session.model(), before);
        EXPECT_TRUE(session.available(Command::SavePims));
    }
}

struct EntryCase {
    std::string_view text;
    int pim;
    double initval;
};

// A written fixed cell (minus its value) reads back as a fixing with a marker that is no
// special value; 0, -1 and -2 stay special values; other values round half to even within
// the 16-bit range. (The quick path for short whole numbers is held to decimalValue by the
// random block test.)
TEST(PimReadEntries, entriesReadAsFixingsSpecialValuesOrRoundedParameters)
{
    for (const EntryCase c : {EntryCase{"-.5", -4, 0.5}, EntryCase{"-1", -1, 0}, EntryCase{"-2", -2, 0},
                              EntryCase{"0", 0, 0}, EntryCase{"2.5", 2, 0}, EntryCase{"3.5", 4, 0},
                              EntryCase{"32767", 32767, 0}, EntryCase{"-32768", -4, 32768}}) {
        auto model = readPimText(replaced(kSmall, " 3  4 \n", " 3  " + std::string(c.text) + "  \n"));
        ASSERT_TRUE(model.ok()) << c.text << ": " << model.error().text();
        EXPECT_EQ(model->pim[4], c.pim) << c.text;
        EXPECT_EQ(model->initval[4], c.initval) << c.text;
    }
    auto first = readPimText(replaced(kSmall, "SRV(1);\n 1\n", "SRV(1);\n -.5\n"));  // the marker of cell 1 is -3
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(first->pim[1], -3);
}

struct DesignLineCase {
    const char* line;
    std::vector<DesignMatrix::Entry> entries;
    std::vector<int> usedColumns;
};

// Design lines near the quick form of an entry (" r  c  v;" in short whole numbers) read
// as designToken and decimalValue read them: entries without blanks between them, five-digit and
// signed values, fractions, and the empty entry after the last ";", which clears 0 0.
TEST(PimReadDesign, linesNearTheQuickFormReadAsDesignTokenReadsThem)
{
    const DesignLineCase cases[] = {
        {" 2  3  4;", {{2, 3, 4}}, {0, 3}},
        {" 2  3  1.5; 2  4  -32768;", {{2, 3, 1.5}, {2, 4, -32768}}, {0, 3, 4}},
        {" 00002  3  40000;", {{2, 3, 40000}}, {0, 3}},
        {"2 3 4;5 6 7;", {{2, 3, 4}}, {3, 7}},
        {" 2  3  0;", {}, {0, 3}},
        {" 0  0  5; 1  1  1;", {{1, 1, 1}}, {0, 1}},
    };
    for (const DesignLineCase& c : cases) {
        auto model = readPimText(replaced(kSmall, " 1  1  1;", c.line));
        ASSERT_TRUE(model.ok()) << c.line << ": " << model.error().text();
        EXPECT_EQ(model->dm.entries(), c.entries) << c.line;
        for (int col = 0; col <= 8; ++col) {
            const bool used = std::find(c.usedColumns.begin(), c.usedColumns.end(), col) != c.usedColumns.end();
            EXPECT_EQ(model->dm.colUsed(col), used) << c.line << " column " << col;
        }
    }
}

TEST(PimReadModelStatement, keywordsAnywhereAndListsOverLines)
{
    // NPAR inside the title counts; the SECPERS list runs over two lines; NYRS rounds to even.
    const std::string text = replaced(replaced(kSmall, "PROC TITLE 'small';", "PROC TITLE npar=4 example;"),
                                      "PROC MODEL NPAR=4 NYRS=2 STRATA=1 SECPERS=1 1;",
                                      "PROC MODEL NYRS=2.5 STRATA=1 SECPERS=1\n 1;");
    PimReadNotes notes;
    std::istringstream in(text);
    auto model = readPimModel(in, "m.inp", &notes);
    ASSERT_TRUE(model.ok()) << model.error().text();
    EXPECT_EQ(model->npar, 4);
    EXPECT_EQ(model->nyrs, 2);
    EXPECT_EQ(model->secpers, (std::vector<double>{0, 1, 1}));
    EXPECT_EQ(notes.caption, "npar=4 nyrs=2 nstrat=1");
}

}  // namespace
