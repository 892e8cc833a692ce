// The conversion dialog's answers: each answer the converter could not use is caught
// before anything runs, named by its field, with the message pinned; the answer file
// the converter reads; how the converter extends the time increments.
#include "convert/answercheck.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <tuple>

#include "convert/answerfile.h"
#include "convert/conversionrules.h"

#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

struct BadAnswer {
    const char* fault;
    std::function<void(ConversionAnswers&)> edit;
    AnswerField field;
    std::string message;
};

// The message for a field whose text is not a whole number in low..high.
std::string notWhole(const std::string& field, const std::string& text, int low = 1, int high = 32767)
{
    return field + ": \"" + text + "\" is not a whole number from " + std::to_string(low) + " to "
        + std::to_string(high) + ".";
}

class AnswerCheck : public ::testing::Test {
protected:
    AnswerCheck()
    {
        writeFile("raw.cap", "1100\n");
        fs::create_directory("folder");
        good.infile = "raw.cap";
    }
    TempDir dir;
    ConversionAnswers good;
};

TEST_F(AnswerCheck, eachUnusableAnswerIsNamedByItsField)
{
    const std::string cwd = fs::current_path().string();
    const BadAnswer cases[] = {
        {"no input file", [](auto& a) { a.infile = ""; }, AnswerField::infile,
         "Input file: type the name of the capture-history file or browse for it."},
        {"input file with a blank typed before it", [](auto& a) { a.infile = " raw.cap"; }, AnswerField::infile,
         "Input file: there is no file " + cwd + "/ raw.cap; type the name of an existing capture-history file or "
         "browse for it."},
        {"input is a folder", [](auto& a) { a.infile = "folder"; }, AnswerField::infile,
         "Input file: " + cwd + "/folder is not a file; type the name of a capture-history file or browse for it."},
        {"strata empty", [](auto& a) { a.strata = ""; }, AnswerField::strata,
         "Strata: type a whole number from 1 to 32767."},
        {"time periods beyond the cells", [](auto& a) { a.tper = "99999999999999999999"; },
         AnswerField::tper, notWhole("Time periods", "99999999999999999999")},
        {"time increments not 1 or 0", [](auto& a) { a.mpcodes = "1a10"; }, AnswerField::mpcodes,
         "Time Increments: type 1 where a primary period begins and 0 where it goes on; \"1a10\" holds other "
         "characters."},
        {"time increments cannot be extended", [](auto& a) { a.mpcodes = "00"; }, AnswerField::mpcodes,
         "Time Increments: \"00\" holds no 1 and is shorter than the 4 time periods, so it cannot be extended; type "
         "one code for each time period."},
        {"model beyond 32767 cells", [](auto& a) { a.strata = "100"; a.tper = "10"; a.mpcodes = "1111111111"; },
         AnswerField::strata,
         "Strata: the strata, time periods, age classes and groups give a model of 91900 cells; at most 32767 can be "
         "held."},
        {"fewer strata codes than strata", [](auto& a) { a.scodes = "123"; }, AnswerField::scodes,
         "Strata Codes: type one code for each of the 6 strata; \"123\" holds 3."},
        {"a stratum code twice", [](auto& a) { a.scodes = "123356"; }, AnswerField::scodes,
         "Strata Codes: the code 3 stands twice in \"123356\"; each stratum needs a code of its own."},
        {"a blank stratum code", [](auto& a) { a.scodes = "12 456"; }, AnswerField::scodes,
         "Strata Codes: \"12 456\" holds a blank; a code is one character other than a blank."},
        {"stratum code 0", [](auto& a) { a.scodes = "012345"; }, AnswerField::scodes,
         "Strata Codes: the code 0 marks an occasion without a capture; give each stratum another code."},
        {"one age code for two age classes", [](auto& a) { a.agecl = "2"; a.iagec = "6"; }, AnswerField::acodes,
         "Age codes: type one code for each of the 2 age classes; \"a\" holds 1."},
        {"group codes with blanks inside", [](auto& a) { a.grps = "2"; a.grpscol = "6"; a.gcodes = "  M F"; },
         AnswerField::gcodes, "Group codes: type one code for each of the 2 groups; \"M F\" holds 3."},
        {"frequency ends before it starts", [](auto& a) { a.obsc1 = "8"; a.obsc2 = "6"; },
         AnswerField::obsc2, notWhole("End col of frequency", "6", 8, 32767)},
        {"subtraction of a stratum beyond the strata", [](auto& a) { a.phimiss = "7"; },
         AnswerField::phimiss, notWhole("Strata to compute by subtraction(0=diagonal)", "7", 0, 6)},
        {"title that would end the model statement", [](auto& a) { a.title = "/data/cohorts/raw.cap"; },
         AnswerField::title,
         "Title: a title holding \"cohort\" would end the model statement where the program reads the converted "
         "file; type another title."},
    };
    for (const BadAnswer& c : cases) {
        ConversionAnswers answers = good;
        c.edit(answers);
        const auto found = firstAnswerProblem(answers);
        ASSERT_TRUE(found.has_value()) << c.fault;
        EXPECT_EQ(found->field, c.field) << c.fault;
        EXPECT_EQ(found->message, c.message) << c.fault;
    }
}

TEST(AnswerFile, LinesInTheConvertersOrderByteForByte)
{
    const std::pair<std::function<void(ConversionAnswers&)>, const char*> cases[] = {
        {[](ConversionAnswers& a) {
             a.grps = "2";
             a.grpscol = "12";
             a.gcodes = "   MF ";
             a.obsc1 = "6";
             a.obsc2 = "8";
         },
         "Y\r\n/data/my birds.cap\r\n6,4,1,2\r\n1010\r\n123456\r\n1\r\n0\r\n12\r\nMF \r\n6\r\n8\r\n2\r\n0\r\n"
         "title\r\n"},
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
    // Refused before filling memory.
    const auto tooMany = extendTimeIncrements("10", 1e12);
    ASSERT_FALSE(tooMany.ok());
    EXPECT_EQ(tooMany.error().message, "The number of time periods is too large: at most 32767 can be converted.");
    EXPECT_EQ(timeIncrementCodes(1e12).size(), 32766u);
}

}  // namespace
