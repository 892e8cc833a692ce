#include "convert/answerfile.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <tuple>

#include "convert/conversionrules.h"

namespace tw {
namespace {

TEST(AnswerFile, LinesInTheConvertersOrderByteForByte)
{
    struct Case {
        const char* name;
        std::function<void(ConversionAnswers&)> edit;
        const char* expected;
    };
    const Case cases[] = {
        {"InitialValues", [](ConversionAnswers&) {},
         "Y\r\n/data/my birds.cap\r\n6,4,1,1\r\n1010\r\n123456\r\n1\r\n0\r\n0\r\n2\r\n0\r\ntitle\r\n"},
        {"TwoAgeClassesAddThreeLinesAfterFate",
         [](ConversionAnswers& a) { a.agecl = "2"; a.iagec = "9"; a.acodes = "ja"; a.aicodes = "01"; },
         "Y\r\n/data/my birds.cap\r\n6,4,2,1\r\n1010\r\n123456\r\n1\r\n0\r\n9\r\nja\r\n01\r\n0\r\n2\r\n0\r\n"
         "title\r\n"},
        {"GroupCodesLoseLeadingBlanksOnly",
         [](ConversionAnswers& a) { a.grps = "2"; a.grpscol = "12"; a.gcodes = "   MF "; },
         "Y\r\n/data/my birds.cap\r\n6,4,1,2\r\n1010\r\n123456\r\n1\r\n0\r\n12\r\nMF \r\n0\r\n2\r\n0\r\ntitle\r\n"},
        {"FrequencyStartAboveOneAddsEndColumn",
         [](ConversionAnswers& a) { a.obsc1 = "6"; a.obsc2 = "8"; },
         "Y\r\n/data/my birds.cap\r\n6,4,1,1\r\n1010\r\n123456\r\n1\r\n0\r\n6\r\n8\r\n2\r\n0\r\ntitle\r\n"},
        {"PhiParameterizationHasNoSubtractionLine",
         [](ConversionAnswers& a) { a.sPsi = false; a.phimiss = "3"; },
         "Y\r\n/data/my birds.cap\r\n6,4,1,1\r\n1010\r\n123456\r\n1\r\n0\r\n0\r\n1\r\ntitle\r\n"},
        {"FieldsAreWrittenAsTyped",
         // agecl 1.4 is not above 1: no age lines
         [](ConversionAnswers& a) { a.strata = " 3 "; a.agecl = "1.4"; a.title = ""; },
         "Y\r\n/data/my birds.cap\r\n 3 ,4,1.4,1\r\n1010\r\n123456\r\n1\r\n0\r\n1\r\na\r\n1\r\n0\r\n2\r\n0\r\n"
         "\r\n"},
    };
    for (const Case& c : cases) {
        ConversionAnswers answers;
        answers.infile = "/data/my birds.cap";
        c.edit(answers);
        std::ostringstream out;
        EXPECT_TRUE(writeAnswerFile(out, answers).ok());
        EXPECT_EQ(out.str(), c.expected) << c.name;
    }
}

TEST(TimeIncrementExtension, AppendsFromTheLastOneUntilLongEnough)
{
    const std::tuple<const char*, double, const char*> cases[] = {
        {"1010", 10, "1010101010"}, {"1010", 4, "1010"}, {"101010", 7, "10101010"}, {"1100", 9, "1100100100"},
        {"01", 4, "0111"}, {"", 0, ""}, {"000", 2, "000"}};
    for (const auto& [codes, periods, expected] : cases) {
        const auto extended = extendTimeIncrements(codes, periods);
        ASSERT_TRUE(extended.ok()) << codes << " " << periods;
        EXPECT_EQ(*extended, expected) << codes << " " << periods;
    }
}

TEST(TimeIncrementExtension, UnextendableOrHugeIsRefused)
{
    const std::tuple<const char*, double, std::string> cases[] = {
        {"000", 4, "The time increments \"000\" hold no \"1\" and are shorter than the 4 time periods, so they cannot "
                   "be extended. Type one code for each time period."},
        {"", 4, "The time increments \"\" hold no \"1\" and are shorter than the 4 time periods, so they cannot be "
                "extended. Type one code for each time period."},
        {"10", 1e12, "The number of time periods is too large: at most 32767 can be converted."},  // not filling memory
    };
    for (const auto& [codes, periods, message] : cases) {
        const auto extended = extendTimeIncrements(codes, periods);
        ASSERT_FALSE(extended.ok()) << codes;
        EXPECT_EQ(extended.error().message, message);
    }
}

TEST(TimeIncrementCodes, TenOncePerWholeHalfOfThePeriods)
{
    for (const auto& [periods, expected] : std::vector<std::pair<double, std::string>>{
             {4, "1010"}, {5, "1010"}, {1, ""}, {0, ""}, {-3, ""}, {7, "101010"}, {2.5, "10"}})
        EXPECT_EQ(timeIncrementCodes(periods), expected) << periods;
    EXPECT_EQ(timeIncrementCodes(1e12).size(), 32766u);
}

TEST(StrataCodes, CutOnlyByValuesFromOneBelowTheLength)
{
    struct Case {
        const char* codes;
        double strata;
        const char* expected;
    };
    for (const Case c : {Case{"123456", 3, "123"}, Case{"123", 8, "123"}, Case{"123456", 6, "123456"},
                         Case{"123456", 0, "123456"}, Case{"123456", 0.4, "123456"}, Case{"123456", -2, "123456"},
                         Case{"123456", 2.5, "12"}, Case{"123456", 3.5, "1234"}, Case{"123456", 5.6, "123456"}})
        EXPECT_EQ(cutStrataCodes(c.codes, c.strata), c.expected) << c.codes << " " << c.strata;
}

}  // namespace
}  // namespace tw
