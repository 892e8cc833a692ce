#include "model/textrules.h"

#include <gtest/gtest.h>

#include <clocale>
#include <optional>

using namespace tw;

namespace {

TEST(DecimalValue, readsLenientlyAndFailsInsteadOfInfinity)
{
    const std::pair<std::string, std::optional<double>> cases[] = {
        {"20 NAGE=1", 20}, {"1 2", 12}, {"&H1F", 31}, {"abc", 0}, {"  -2.5e2x", -250}, {"1D3", 1000},
        {"1E+", 1}, {"1E-999", 0}, {"1E999", std::nullopt}, {std::string(400, '9'), std::nullopt},
    };
    for (const auto& [text, value] : cases) {
        const auto read = decimalValue(text);
        ASSERT_EQ(read.has_value(), value.has_value()) << text;
        if (value) {
            EXPECT_DOUBLE_EQ(*read, *value) << text;
        }
    }
}

TEST(NumberTexts, printShortestWithSignPosition)
{
    const std::pair<double, std::string> cases[] = {
        {-0.5, "-.5"}, {-0.0, " 0"}, {1e-5, " 1E-05"}, {1e15, " 1E+15"}, {1e14, " 100000000000000"},
        {2.0 / 3, " .666666666666667"}, {1.25e-100, " 1.25E-100"}, {0.1, " .1"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(signedText(value), text);
}

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
