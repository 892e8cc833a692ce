// The fast number scanning of the PIM reader against the functions it stands in for:
// random texts near the quick forms read exactly as decimalValue, PimTokens and
// designToken read them, token by token and through the reader.
#include "model/numberscan.h"

#include <cmath>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/pimreader.h"
#include "model/textrules.h"
#include "support.h"

using namespace tw;
using namespace twtest;

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

std::string randomBlanks(std::mt19937& random) { return std::string(random() % 16 == 0 ? 0 : 1 + random() % 3, ' '); }

// A decimal text of one to seventeen digits with a sign and a decimal point now and then,
// followed by what may or may not end a number.
std::string randomDecimal(std::mt19937& random)
{
    static const char* const kSigns[] = {"", "", "-", "+"};
    static const char* const kEnds[] = {"", "", ";", " ", "x", "e5", ".", "\t", "/"};
    std::string digits;
    const int count = 1 + static_cast<int>(random() % 17);
    for (int d = 0; d < count; ++d)
        digits += static_cast<char>('0' + random() % 10);
    if (random() % 2)
        digits.insert(random() % (digits.size() + 1), ".");
    return kSigns[random() % std::size(kSigns)] + digits + kEnds[random() % std::size(kEnds)];
}

}  // namespace

// Token by token: where a fast reading applies, it gives decimalValue's value exactly (a
// fraction rounded once, not digit by digit), and it refuses every text decimalValue
// would read on from.
TEST(NumberScanDifferential, fastReadingsGiveDecimalValuesExactly)
{
    std::mt19937 random(18042026);
    int plain = 0;
    int whole = 0;
    for (int round = 0; round < 60000; ++round) {
        const std::string text = round % 2 ? randomDecimal(random) : randomToken(random);
        const auto general = decimalValue(text);
        if (double value = 0; plainDecimalValue(text, value)) {
            ++plain;
            ASSERT_TRUE(general.has_value()) << text;
            ASSERT_EQ(value, *general) << text;
        }
        if (int value = 0; smallWhole(text, value)) {
            ++whole;
            ASSERT_TRUE(general.has_value()) << text;
            ASSERT_EQ(value, *general) << text;
        }
        ASSERT_EQ(fastDecimalValue(text), general) << text;
    }
    EXPECT_GT(plain, 15000) << plain;
    EXPECT_GT(whole, 15000) << whole;
}

// The closed-capture block of 31 cells filled with random tokens over one to three lines
// reads as PimTokens reads it: every value is decimalValue of the joined block's tokens, a
// negative value other than -1 and -2 fixes the cell, any other rounds to 16 bits or
// fails the read.
TEST(PimReadQuickPathRandom, blockEntriesReadAsPimTokensReadThem)
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
        std::string text = "PROC MODEL NPAR=33 NYRS=2 STRATA=1 SECPERS=1 30;\nCOHORT=1;\nPIM;\n"
                           "SRV(1);\n 1\n;\nP(1);\n 2\n;\nCP(1);\n";
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
    EXPECT_GT(reads, 100) << reads;
    EXPECT_LT(reads, 300) << reads;
}

// Random design lines read as designToken and decimalValue read them: while the rest of the
// line holds a ";", a row, a column and a value token (the value ending short of the last
// character); rows and columns must be whole numbers in 0..32767.
TEST(PimReadQuickPathRandom, designLinesReadAsDesignTokenReadsThem)
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
