#include "convert/answercheck.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "convert/conversionrules.h"
#include "model/textrules.h"

namespace tw {

namespace {

struct FieldText {
    std::string_view name;
    std::string_view label;
};

constexpr std::array<FieldText, 18> kFields = {{
    {"txt_infile", "Input file:"},
    {"txt_strata", "Strata:"},
    {"txt_tper", "Time periods:"},
    {"txt_agecl", "Age classes:"},
    {"txt_grps", "Groups:"},
    {"txt_mpcodes", "Time Increments:"},
    {"txt_scodes", "Strata Codes:"},
    {"txt_icol1", "Starting col of strata codes:"},
    {"txt_fatec", "Col of fate code:"},
    {"txt_iagec", "Column of age code"},
    {"txt_acodes", "Age codes:"},
    {"txt_aicodes", "Age-increment vector:"},
    {"txt_grpscol", "Column of group code:"},
    {"txt_gcodes", "Group codes:"},
    {"txt_obsc1", "Start col of frequency:"},
    {"txt_obsc2", "End col of frequency:"},
    {"txt_phimiss", "Strata to compute by subtraction(0=diagonal):"},
    {"txt_title", "Title:"},
}};

using Problem = std::optional<AnswerProblem>;

Problem problem(AnswerField field, const std::string& text)
{
    std::string_view label = fieldLabel(field);
    if (!label.empty() && label.back() == ':')
        label.remove_suffix(1);
    return AnswerProblem{field, std::string(label) + ": " + text};
}

std::string_view withoutBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The value of a text of digits (blanks around it allowed); values beyond the largest
// answer are held as one more than it.
std::optional<long> wholeNumber(std::string_view text)
{
    text = withoutBlanks(text);
    if (text.empty())
        return std::nullopt;
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = std::min(value * 10 + (c - '0'), kMaxAnswerValue + 1);
    }
    return value;
}

Problem checkWhole(AnswerField field, const std::string& text, long low, long high, long& value)
{
    const std::string range = "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
    const auto number = wholeNumber(text);
    if (number && *number >= low && *number <= high) {
        value = *number;
        return std::nullopt;
    }
    if (withoutBlanks(text).empty())
        return problem(field, "type " + range + ".");
    return problem(field, "\"" + text + "\" is not " + range + ".");
}

struct Counted {
    std::string_view one;   // "stratum"
    std::string_view many;  // "strata"
};

// One code, one character, for each of count things; no two alike, no blank.
Problem checkCodes(AnswerField field, std::string_view codes, long count, Counted what)
{
    if (static_cast<long>(codes.size()) != count) {
        const std::string wanted = count == 1 ? "the one " + std::string(what.one)
                                              : "each of the " + std::to_string(count) + " " + std::string(what.many);
        return problem(field, "type one code for " + wanted + "; \"" + std::string(codes) + "\" holds "
                                  + std::to_string(codes.size()) + ".");
    }
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const char code = codes[i];
        if (code == ' ' || code == '\t')
            return problem(field, "\"" + std::string(codes) + "\" holds a blank; a code is one character other than a blank.");
        if (codes.find(code, i + 1) != std::string_view::npos)
            return problem(field, "the code " + std::string(1, code) + " stands twice in \"" + std::string(codes)
                                      + "\"; each " + std::string(what.one) + " needs a code of its own.");
    }
    return std::nullopt;
}

Problem checkInputFile(const std::string& infile)
{
    if (infile.empty())
        return problem(AnswerField::infile, "type the name of the capture-history file or browse for it.");
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(infile, error);
    const std::string shown = error ? infile : path.string();
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        return problem(AnswerField::infile, "there is no file " + shown
                                                + "; type the name of an existing capture-history file or browse for it.");
    if (!std::filesystem::is_regular_file(status))
        return problem(AnswerField::infile, shown + " is not a file; type the name of a capture-history file or "
                                                    "browse for it.");
    return std::nullopt;
}

Problem checkIncrements(const std::string& codes, long periods)
{
    if (codes.find_first_not_of("01") != std::string::npos)
        return problem(AnswerField::mpcodes, "type 1 where a primary period begins and 0 where it goes on; \"" + codes
                                                 + "\" holds other characters.");
    if (!extendTimeIncrements(codes, static_cast<double>(periods)))
        return problem(AnswerField::mpcodes, "\"" + codes + "\" holds no 1 and is shorter than the "
                                                 + std::to_string(periods)
                                                 + " time periods, so it cannot be extended; type one code for "
                                                   "each time period.");
    return std::nullopt;
}

// The cells of the model the converter writes: the occasions whose code is 1 (and the
// first) open the primary periods.
Problem checkModelSize(const std::string& codes, long strata, long periods, long ages, long groups)
{
    const std::string extended = *extendTimeIncrements(codes, static_cast<double>(periods));
    double primary = 0;
    for (long occasion = 0; occasion < periods; ++occasion)
        if (occasion == 0 || extended[static_cast<std::size_t>(occasion)] == '1')
            ++primary;
    const double s = static_cast<double>(strata);
    const double cells = static_cast<double>(groups) * ages * s * s * (primary - 1) + s * ages * (primary - 1)
        + s * ages * static_cast<double>(periods);
    if (cells <= static_cast<double>(kMaxAnswerValue))
        return std::nullopt;
    return problem(AnswerField::strata, "the strata, time periods, age classes and groups give a model of "
                                            + plainText(cells) + " cells; at most "
                                            + std::to_string(kMaxAnswerValue) + " can be held.");
}

Problem checkTitle(const std::string& title)
{
    if (contains(title, "cohort") || contains(title, "COHORT"))
        return problem(AnswerField::title, "a title holding \"cohort\" would end the model statement where the "
                                            "program reads the converted file; type another title.");
    return std::nullopt;
}

}  // namespace

std::string_view fieldName(AnswerField field) { return kFields[static_cast<std::size_t>(field)].name; }

std::string_view fieldLabel(AnswerField field) { return kFields[static_cast<std::size_t>(field)].label; }

std::optional<AnswerProblem> firstAnswerProblem(const ConversionAnswers& a)
{
    constexpr long kMax = kMaxAnswerValue;
    long strata = 0, periods = 0, ages = 0, groups = 0, column = 0, frequencyStart = 0;
    if (Problem p = checkInputFile(a.infile))
        return p;
    if (Problem p = checkWhole(AnswerField::strata, a.strata, 1, kMax, strata))
        return p;
    if (Problem p = checkWhole(AnswerField::tper, a.tper, 1, kMax, periods))
        return p;
    if (Problem p = checkWhole(AnswerField::agecl, a.agecl, 1, kMax, ages))
        return p;
    if (Problem p = checkWhole(AnswerField::grps, a.grps, 1, kMax, groups))
        return p;
    if (Problem p = checkIncrements(a.mpcodes, periods))
        return p;
    if (Problem p = checkModelSize(a.mpcodes, strata, periods, ages, groups))
        return p;
    if (Problem p = checkCodes(AnswerField::scodes, a.scodes, strata, {"stratum", "strata"}))
        return p;
    if (a.scodes.find('0') != std::string::npos)
        return problem(AnswerField::scodes, "the code 0 marks an occasion without a capture; give each stratum "
                                            "another code.");
    if (Problem p = checkWhole(AnswerField::icol1, a.icol1, 1, kMax, column))
        return p;
    if (Problem p = checkWhole(AnswerField::fatec, a.fatec, 0, kMax, column))
        return p;
    if (ages > 1) {
        if (Problem p = checkWhole(AnswerField::iagec, a.iagec, 1, kMax, column))
            return p;
        if (Problem p = checkCodes(AnswerField::acodes, a.acodes, ages, {"age class", "age classes"}))
            return p;
    }
    if (groups > 1) {
        if (Problem p = checkWhole(AnswerField::grpscol, a.grpscol, 1, kMax, column))
            return p;
        // The answer file drops the group codes' leading blanks.
        const auto first = a.gcodes.find_first_not_of(' ');
        const std::string_view codes = first == std::string::npos ? std::string_view() : std::string_view(a.gcodes).substr(first);
        if (Problem p = checkCodes(AnswerField::gcodes, codes, groups, {"group", "groups"}))
            return p;
    }
    if (Problem p = checkWhole(AnswerField::obsc1, a.obsc1, 0, kMax, frequencyStart))
        return p;
    if (showsFrequencyEnd(static_cast<double>(frequencyStart))) {
        if (Problem p = checkWhole(AnswerField::obsc2, a.obsc2, frequencyStart, kMax, column))
            return p;
    }
    if (a.sPsi) {
        if (Problem p = checkWhole(AnswerField::phimiss, a.phimiss, 0, strata, column))
            return p;
    }
    return checkTitle(a.title);
}

}  // namespace tw
