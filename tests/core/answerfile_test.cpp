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
    const std::pair<std::function<void(ConversionAnswers&)>, const char*> cases[] = {
        {[](ConversionAnswers&) {},
         "Y\r\n/data/my birds.cap\r\n6,4,1,1\r\n1010\r\n123456\r\n1\r\n0\r\n0\r\n2\r\n0\r\ntitle\r\n"},
        {[](ConversionAnswers& a) { a.grps = "2"; a.grpscol = "12"; a.gcodes = "   MF "; a.obsc1 = "6"; a.obsc2 = "8"; },
         "Y\r\n/data/my birds.cap\r\n6,4,1,2\r\n1010\r\n123456\r\n1\r\n0\r\n12\r\nMF \r\n6\r\n8\r\n2\r\n0\r\ntitle\r\n"},
        {[](ConversionAnswers& a) { a.sPsi = false; a.phimiss = "3"; },
         "Y\r\n/data/my birds.cap\r\n6,4,1,1\r\n1010\r\n123456\r\n1\r\n0\r\n0\r\n1\r\ntitle\r\n"},
    };
    for (const auto& [edit, expected] : cases) {
        ConversionAnswers answers;
        answers.infile = "/data/my birds.cap";
        edit(answers);
        std::ostringstream out;
        EXPECT_TRUE(writeAnswerFile(out, answers).ok());
        EXPECT_EQ(out.str(), expected);
    }
}

TEST(TimeIncrementExtension, AppendsFromTheLastOneUntilLongEnoughOrRefuses)
{
    const std::tuple<const char*, double, const char*> cases[] = {
        {"1010", 10, "1010101010"}, {"1010", 4, "1010"}, {"1100", 9, "1100100100"}, {"01", 4, "0111"}};
    for (const auto& [codes, periods, expected] : cases)
        EXPECT_EQ(*extendTimeIncrements(codes, periods), expected) << codes << " " << periods;
    const std::tuple<const char*, double, std::string> refused[] = {
        {"000", 4, "The time increments \"000\" hold no \"1\" and are shorter than the 4 time periods, so they cannot "
                   "be extended. Type one code for each time period."},
        {"10", 1e12, "The number of time periods is too large: at most 32767 can be converted."},  // not filling memory
    };
    for (const auto& [codes, periods, message] : refused) {
        const auto extended = extendTimeIncrements(codes, periods);
        ASSERT_FALSE(extended.ok()) << codes;
        EXPECT_EQ(extended.error().message, message);
    }
    EXPECT_EQ(timeIncrementCodes(1e12).size(), 32766u);
}

TEST(StrataCodes, CutOnlyByValuesFromOneBelowTheLength)
{
    const std::tuple<const char*, double, const char*> cases[] = {
        {"123456", 3, "123"}, {"123", 8, "123"}, {"123456", 0.4, "123456"}, {"123456", 2.5, "12"}, {"123456", 3.5, "1234"}};
    for (const auto& [codes, strata, expected] : cases)
        EXPECT_EQ(cutStrataCodes(codes, strata), expected) << codes << " " << strata;
}

}  // namespace
}  // namespace tw
