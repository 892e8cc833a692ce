#include "model/textrules.h"

#include <gtest/gtest.h>

#include <clocale>
#include <deque>

using namespace tw;

namespace {

struct DecimalCase {
    const char* text;
    double value;
};

class DecimalValue : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(DecimalValue, readsLeniently)
{
    const auto& c = GetParam();
    auto value = decimalValue(c.text);
    ASSERT_TRUE(value.has_value()) << c.text;
    EXPECT_DOUBLE_EQ(*value, c.value) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Texts, DecimalValue,
    ::testing::Values(
        DecimalCase{"20 NAGE=1", 20}, DecimalCase{".5 /* x */;", 0.5}, DecimalCase{"0003)=S(0001)", 3},
        DecimalCase{"1 2", 12}, DecimalCase{"&H1F", 31}, DecimalCase{"&h1f", 31}, DecimalCase{"&O17", 15},
        DecimalCase{"", 0}, DecimalCase{"abc", 0}, DecimalCase{"-", 0}, DecimalCase{".", 0},
        DecimalCase{"  -2.5e2x", -250}, DecimalCase{"1D3", 1000}, DecimalCase{"1E", 1}, DecimalCase{"1E+", 1},
        DecimalCase{"1.5.5", 1.5}, DecimalCase{"\t\n7", 7}, DecimalCase{"+4", 4}, DecimalCase{"- 3", -3},
        DecimalCase{"2e-3;", 0.002}, DecimalCase{"1 E 2", 100}, DecimalCase{"x&H1F", 0},
        DecimalCase{"-&H1F", 0}));

TEST(DecimalValueOverflow, failsInsteadOfInfinity)
{
    EXPECT_FALSE(decimalValue("1E999").has_value());
    EXPECT_FALSE(decimalValue(std::string(400, '9')).has_value());
    EXPECT_EQ(decimalValueOr0("1E999"), 0.0);
    EXPECT_EQ(*decimalValue("1E-999"), 0.0);
}

TEST(RoundToInt16, halvesToEvenAndChecksRange)
{
    struct Case { double in; int out; };
    for (Case c : {Case{2.5, 2}, Case{3.5, 4}, Case{-0.5, 0}, Case{-1.5, -2}, Case{0.5, 0}, Case{1.5, 2},
                   Case{32767, 32767}, Case{-32768, -32768}, Case{32767.4, 32767}, Case{-32768.5, -32768}}) {
        auto r = roundToInt16(c.in);
        ASSERT_TRUE(r.has_value()) << c.in;
        EXPECT_EQ(*r, c.out) << c.in;
    }
    for (double bad : {32767.5, 32768.0, -32769.0, 1e10, -1e300})
        EXPECT_FALSE(roundToInt16(bad).has_value()) << bad;
}

TEST(KeywordPosition, sumsBothForms)
{
    EXPECT_EQ(keywordPosition("PROC MODEL NPAR=20", "NPAR", "npar"), 12u);
    EXPECT_EQ(keywordPosition("x npar=3", "NPAR", "npar"), 3u);
    EXPECT_EQ(keywordPosition("NPAR npar", "NPAR", "npar"), 1u + 6u);
    EXPECT_EQ(keywordPosition("nothing", "NPAR", "npar"), 0u);
    EXPECT_EQ(textFrom("abc", 2), "bc");
    EXPECT_EQ(textFrom("abc", 4), "");
    EXPECT_EQ(textFrom("abc", 9), "");
}

std::deque<std::string> g_lines;
bool nextFromQueue(std::string& line)
{
    if (g_lines.empty())
        return false;
    line = g_lines.front();
    g_lines.pop_front();
    return true;
}

TEST(Getnum, takesNumbersFromTheFrontAndRunsOverLines)
{
    g_lines.clear();
    std::string text = "3 3 3;";
    EXPECT_EQ(*getnum(text, nextFromQueue), 3);
    EXPECT_EQ(*getnum(text, nextFromQueue), 3);
    EXPECT_EQ(*getnum(text, nextFromQueue), 3);

    text = "2.5 4";
    EXPECT_EQ(*getnum(text, nextFromQueue), 2.5);
    EXPECT_EQ(*getnum(text, nextFromQueue), 4);

    text = "2 ";
    g_lines = {"no numbers here", " 5,", "6;"};
    EXPECT_EQ(*getnum(text, nextFromQueue), 2);
    EXPECT_EQ(*getnum(text, nextFromQueue), 5);
    EXPECT_EQ(*getnum(text, nextFromQueue), 6);
    EXPECT_FALSE(getnum(text, nextFromQueue).has_value());  // the list never ends

    text = "x 7";  // text before the number other than blanks makes T1 give 0
    EXPECT_EQ(*getnum(text, nextFromQueue), 0);
}

TEST(PimTokens, missingValuesReadZeroAndSurplusIsIgnored)
{
    g_lines = {" 1 2", " 3", ";"};
    std::string block;
    ASSERT_TRUE(gatherBlock(block, nextFromQueue));
    EXPECT_EQ(block, "1 2 3;");
    PimTokens tokens(block);
    EXPECT_EQ(*tokens.next(), 1);
    EXPECT_EQ(*tokens.next(), 2);
    EXPECT_EQ(*tokens.next(), 3);
    EXPECT_EQ(*tokens.next(), 0);  // missing
    EXPECT_EQ(*tokens.next(), 0);

    PimTokens surplus("4 5 6 7;");
    EXPECT_EQ(*surplus.next(), 4);
    EXPECT_EQ(*surplus.next(), 5);

    g_lines = {" 1", " 2"};  // no ";" before the end
    EXPECT_FALSE(gatherBlock(block, nextFromQueue));

    PimTokens joined("1 2-1;");  // a line not starting with a blank joins the last value
    EXPECT_EQ(*joined.next(), 1);
    EXPECT_EQ(*joined.next(), 2);
}

TEST(DesignToken, skipsBlanksAndEndsAtLimit)
{
    std::string_view line = "  3  1  -1;";
    std::size_t pos = 0;
    EXPECT_EQ(designToken(line, pos), "3");
    EXPECT_EQ(designToken(line, pos), "1");
    EXPECT_EQ(designToken(line, pos, line.size() - 1), "-1");
}

struct TextCase {
    double value;
    const char* signedForm;
};

class NumberTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P(NumberTexts, printShortestWithSignPosition)
{
    const auto& c = GetParam();
    EXPECT_EQ(signedText(c.value), c.signedForm);
    EXPECT_EQ(bareText(c.value), std::string(c.signedForm).substr(1));
    EXPECT_EQ(printText(c.value), std::string(c.signedForm) + " ");
}

INSTANTIATE_TEST_SUITE_P(Values, NumberTexts,
    ::testing::Values(TextCase{0.5, " .5"}, TextCase{-0.5, "-.5"}, TextCase{12, " 12"}, TextCase{0, " 0"},
                      TextCase{-0.0, " 0"}, TextCase{-1, "-1"}, TextCase{1e-5, " 1E-05"},
                      TextCase{1.5e20, " 1.5E+20"}, TextCase{1e15, " 1E+15"}, TextCase{1e14, " 100000000000000"},
                      TextCase{0.0001, " .0001"}, TextCase{-0.25, "-.25"}, TextCase{1.0 / 3, " .333333333333333"},
                      TextCase{2.0 / 3, " .666666666666667"}, TextCase{123456.789, " 123456.789"},
                      TextCase{32767, " 32767"}, TextCase{1.25e-100, " 1.25E-100"}, TextCase{0.1, " .1"}));

TEST(NumberTexts4, cellNumbersAndPlainText)
{
    EXPECT_EQ(cellNumber4(3), "0003");
    EXPECT_EQ(cellNumber4(12345), "12345");
    EXPECT_EQ(plainText(1), "1");
    EXPECT_EQ(plainText(0), "0");
    EXPECT_EQ(plainText(-1), "-1");
    EXPECT_EQ(plainText(0.5), "0.5");
    EXPECT_EQ(plainText(-0.5), "-0.5");
}

}  // namespace

namespace {

// The windowing library adopts the desktop's locale; a decimal comma must not change
// how model files read or print.
TEST(NumberLocale, decimalPointWhateverTheLocale)
{
    const char* comma = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name)) {
            comma = name;
            break;
        }
    if (!comma)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_EQ(*decimalValue("1.5"), 1.5);
    EXPECT_EQ(*decimalValue("-2.25E+2"), -225);
    EXPECT_EQ(signedText(0.5), " .5");
    EXPECT_EQ(signedText(1.5e20), " 1.5E+20");
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace
