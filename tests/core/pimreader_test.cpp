#include "model/pimreader.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <random>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "cli/steps.h"
#include "model/textrules.h"
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

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

// A failed read names the file and line, and the loaded model and menus stay as they were.
TEST(PimReadFailure, reportsWhereAndLeavesTheModelAlone)
{
    const std::pair<std::string, std::string> cases[] = {
        {replaced(kSmall, "SECPERS=1 1", "SECPERS=20000 20000"),
         "bad.inp, line 2: the secondary periods add up to more than 32767"},
        {replaced(kSmall, "P(1);\n 2\n", "P(1);\n 1E999\n"),
         "bad.inp, line 10: a value in the open-capture block of stratum 1 is too large"},
        // NPAR must be the cells of the blocks: more cells were read as 0, and a save with
        // constraints wrote them as fixings at 0 that no one made.
        {replaced(kSmall, "NPAR=4 NYRS=2", "NPAR=10 NYRS=2"),
         "bad.inp, line 2: NPAR=10, but GROUPS, NAGE, NYRS, STRATA and SECPERS give 4 cells"},
        {replaced(kSmall, "NPAR=4 NYRS=2", "NPAR=3\nNYRS=2"),
         "bad.inp, line 2: NPAR=3, but GROUPS, NAGE, NYRS, STRATA and SECPERS give 4 cells"},
    };
    TempDir dir;
    writeFile("good.inp", kSmall);
    cli::CliState state;
    ASSERT_TRUE(cli::readPimsStep(state, "good.inp").ok());
    state.model.markChanged();
    const cli::CliState before = state;
    for (const auto& [text, message] : cases) {
        writeFile("bad.inp", text);
        const Status read = cli::readPimsStep(state, "bad.inp");
        ASSERT_FALSE(read.ok());
        EXPECT_EQ(read.error().text(), message);
        EXPECT_EQ(state.model, before.model);
        EXPECT_TRUE(state.menuSavePims);
    }
}

struct EntryCase {
    std::string_view text;
    int pim;
    double initval;
};

// A written fixed cell (minus its value) reads back as a fixing with a marker that is no
// special value; 0, -1 and -2 stay special values; other values round half to even. Entries
// followed by a blank take a quick path for short whole numbers, which must read as the
// general rule does at its limits (five digits, the 16-bit range, signs, exponents, a NUL byte).
TEST(PimReadEntries, entriesReadAsFixingsSpecialValuesOrRoundedParameters)
{
    for (const EntryCase c : {EntryCase{"-.5", -4, 0.5}, EntryCase{"-1", -1, 0},
                              EntryCase{"-2", -2, 0}, EntryCase{"0", 0, 0}, EntryCase{"2.5", 2, 0},
                              EntryCase{"3.5", 4, 0}, EntryCase{"32767", 32767, 0}, EntryCase{"-32768", -4, 32768},
                              EntryCase{"000007", 7, 0}, EntryCase{"+7", 7, 0}, EntryCase{"1e1", 10, 0},
                              EntryCase{"-0", 0, 0}, EntryCase{"-32769", -4, 32769},
                              EntryCase{std::string_view("7\0x", 3), 7, 0}}) {
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
// as the general rule reads them: entries without blanks between them, five-digit and
// signed values, fractions, and the empty entry after the last ";", which clears 0 0.
TEST(PimReadDesign, linesNearTheQuickFormReadAsTheGeneralRule)
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

// A second file without GROUPS must not inherit the first file's two groups.
TEST(PimReadModelStatement, secondModelDoesNotInheritTheFirstOnesFields)
{
    TempDir dir;
    cli::CliState state;
    ASSERT_TRUE(cli::readPimsStep(state, (pimDataDir() / "twogroups" / "input.inp").string()).ok());
    state.model.fixedlist = {"S(1)=.5;"};
    writeFile("small.inp", kSmall);
    ASSERT_TRUE(cli::readPimsStep(state, "small.inp").ok());
    EXPECT_EQ(state.model.groups, 1);
    EXPECT_EQ(state.model.npar, 4);
    EXPECT_TRUE(state.model.fixedlist.empty());
    EXPECT_EQ(state.model.dm.get(5, 15), 0);
}

}  // namespace

namespace {

// Random texts near the quick forms: whole numbers of one to six digits with signs and
// leading zeros, fractions, exponents, special values, junk, NUL bytes and tabs, with one
// to three blanks or none between them.
std::string randomToken(std::mt19937& random)
{
    static const char* const kOdd[] = {"-.5", "1.25", "-0.5", "3.", ".", "-", "+7", "1e1", "2E+2", "5d0", "x",
                                       "1-2", "--1", "-1", "-2", "0", "-0", "32768", "-32769", "123456",
                                       "000007", "7\t1", "4;", "&H10"};
    switch (random() % 64) {
    case 0:
    case 1:
        return kOdd[random() % std::size(kOdd)];
    case 2:
        return std::string(random() % 2 ? "-" : "") + std::to_string(random() % 40000);
    case 3:
        return std::string("9\0", 2) + std::to_string(random() % 10);
    default:
        return std::to_string(random() % (random() % 2 ? 10 : 30000));
    }
}

// Mostly one to three blanks; now and then none, which joins two tokens.
std::string randomBlanks(std::mt19937& random) { return std::string(random() % 16 == 0 ? 0 : 1 + random() % 3, ' '); }

}  // namespace

// The closed-capture block of 31 cells filled with random tokens over one to three lines
// reads as the general rule reads it: every token is T1 of the joined block's tokens, a
// negative value other than -1 and -2 fixes the cell, any other rounds to 16 bits or
// fails the read.
TEST(PimReadQuickPathRandom, blockEntriesReadAsTheGeneralRule)
{
    constexpr int kCells = 31;
    std::mt19937 random(20261207);
    int reads = 0;  // rounds that read, against those that fail
    for (int round = 0; round < 400; ++round) {
        std::vector<std::string> lines(1 + random() % 3);
        for (int t = 0; t < kCells + 2; ++t)
            lines[random() % lines.size()] += randomBlanks(random) + randomToken(random);
        const bool ownLine = random() % 2 != 0;
        if (ownLine)
            lines.push_back(";");
        else
            lines.back() += ";";
        std::string text = "PROC MODEL NPAR=33 NYRS=2 STRATA=1 SECPERS=1 30;\nCOHORT=1;\nPIM;\nSRV(1);\n 1\n;\nP(1);\n 2\n;\n"
                           "CP(1);\n";
        for (const std::string& line : lines)
            text += line + "\n";
        text += "DESIGN 0 0;\nPROC TEST;\n";

        // Lines are joined up to the first that holds a ";" (a token may hold one).
        std::string block;
        for (const std::string& line : lines) {
            block += line;
            if (line.find(';') != std::string::npos)
                break;
        }
        // The general rule over the joined block, leading blanks removed.
        const std::string joined = block.substr(std::min(block.find_first_not_of(' '), block.size()));
        PimTokens tokens(joined);
        std::vector<double> values;
        bool fails = false;
        for (int c = 0; c < kCells; ++c) {
            const auto value = tokens.next();
            fails = fails || !value || (!(*value < 0 && *value != -1 && *value != -2) && !roundToInt16(*value));
            values.push_back(value.value_or(0));
        }
        const auto model = readPimText(text);
        ASSERT_EQ(model.ok(), !fails) << text << (model ? "" : model.error().text());
        reads += model.ok() ? 1 : 0;
        if (fails)
            continue;
        for (int c = 0; c < kCells; ++c) {
            const auto cell = static_cast<std::size_t>(3 + c);
            const double v = values[static_cast<std::size_t>(c)];
            if (v < 0 && v != -1 && v != -2) {
                EXPECT_EQ(model->pim[cell], fixedMarker(static_cast<std::int16_t>(cell))) << text << " cell " << cell;
                EXPECT_EQ(model->initval[cell], -v) << text << " cell " << cell;
            } else {
                EXPECT_EQ(model->pim[cell], *roundToInt16(v)) << text << " cell " << cell;
            }
        }
    }
    // Both kinds of round are common enough to count.
    EXPECT_GT(reads, 100) << reads;
    EXPECT_LT(reads, 300) << reads;
}

// Random design lines read as the general entry rule reads them: while the rest of the
// line holds a ";", a row, a column and a value token (the value ending short of the last
// character); rows and columns must be whole numbers in 0..32767.
TEST(PimReadQuickPathRandom, designLinesReadAsTheGeneralRule)
{
    std::mt19937 random(7122026);
    int reads = 0;  // rounds that read, against those that fail
    for (int round = 0; round < 400; ++round) {
        std::vector<std::string> lines(1 + random() % 3);
        for (std::string& line : lines) {
            const int entries = 1 + static_cast<int>(random() % 6);
            for (int e = 0; e < entries; ++e) {
                const bool odd = random() % 5 == 0;
                line += randomBlanks(random) + (odd ? randomToken(random) : std::to_string(random() % 300));
                line += randomBlanks(random) + (odd ? randomToken(random) : std::to_string(random() % 300));
                line += randomBlanks(random) + (odd ? randomToken(random) : std::to_string(random() % 5)) + ";";
            }
            if (random() % 4 == 0)
                line += randomBlanks(random) + randomToken(random);
        }
        std::string text = "PROC MODEL NPAR=1 NYRS=1 STRATA=1 SECPERS=1;\nCOHORT=1;\nPIM;\nSRV(1);\n;\nP(1);\n;\n"
                           "CP(1);\n 1;\nDESIGN 300 300;\n";
        for (const std::string& line : lines)
            text += line + "\n";
        text += "PROC TEST;\n";

        DesignMatrix expected;
        bool fails = false;
        for (const std::string& line : lines) {
            std::string_view rest = line;
            while (!fails && rest.find(';') != std::string_view::npos) {
                std::size_t pos = 0;
                const auto index = [&](std::string_view token) -> std::optional<int> {
                    const auto v = decimalValue(token);
                    if (!v || *v != std::floor(*v) || *v < 0 || *v > 32767)
                        return std::nullopt;
                    return static_cast<int>(*v);
                };
                const auto row = index(designToken(rest, pos));
                const auto col = index(designToken(rest, pos));
                const auto value = decimalValue(designToken(rest, pos, rest.empty() ? 0 : rest.size() - 1));
                if (!row || !col || !value) {
                    fails = true;
                    break;
                }
                expected.set(*row, *col, *value);
                expected.setColUsed(*col);
                rest = pos < rest.size() ? rest.substr(pos) : std::string_view(" ");
            }
        }
        const auto model = readPimText(text);
        ASSERT_EQ(model.ok(), !fails) << text << (model ? "" : model.error().text());
        reads += model.ok() ? 1 : 0;
        if (!fails) {
            EXPECT_EQ(model->dm, expected) << text;
        }
    }
    EXPECT_GT(reads, 100) << reads;
    EXPECT_LT(reads, 300) << reads;
}
