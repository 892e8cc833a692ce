#include "model/modelstatement.h"

#include <cstdint>

#include "model/textrules.h"

namespace tw {

namespace {

constexpr int kMaxDimension = 32767;

// How a dimension is written in the files, in the main window's caption and in the model.
struct Keyword {
    std::string_view upper;        // "STRATA"
    std::string_view lower;        // "strata"
    std::string_view captionName;  // "nstrat"
    int Model::*field;
};

const Keyword& keyword(Dimension dimension)
{
    static const Keyword keywords[] = {
        {"NPAR", "npar", "npar", &Model::npar},       {"GROUPS", "groups", "groups", &Model::groups},
        {"NAGE", "nage", "nage", &Model::nage},       {"NYRS", "nyrs", "nyrs", &Model::nyrs},
        {"STRATA", "strata", "nstrat", &Model::nstrat},
    };
    return keywords[static_cast<int>(dimension)];
}

// The value after "KEYWORD=" at the 1-based position of the keyword.
Result<double> statedValue(std::string_view line, std::size_t position, const Keyword& word, const LineReader& lines)
{
    const auto value = decimalValue(textFrom(line, position + word.upper.size() + 1));
    if (!value)
        return lines.error("the value of " + std::string(word.upper) + " is too large");
    return *value;
}

// Reads count values of the SECPERS list whose keyword stands at the 1-based position,
// running on over the lines that follow; each(t, value) takes value t. line is left
// holding the text after the last value.
template <class Each>
Status readSecondaryPeriodList(std::string& line, std::size_t position, int count, LineReader& lines, Each&& each)
{
    line = std::string(textFrom(line, position + 8));
    bool ended = false;
    const NextLine nextLine = [&](std::string& text) {
        ended = !lines.next(text);
        return !ended;
    };
    for (int t = 1; t <= count; ++t) {
        const auto value = getnum(line, nextLine);
        if (ended)
            return lines.endedBefore("the end of the SECPERS list");
        if (!value)
            return lines.error("a SECPERS value is too large");
        TW_TRY(each(t, *value));
    }
    return {};
}

std::size_t secondaryPeriodsPosition(std::string_view line) { return keywordPosition(line, "SECPERS", "secpers"); }

}  // namespace

bool holdsModelStatementKeyword(std::string_view line)
{
    for (const Dimension dimension : kPimReaderOrder)
        if (keywordPosition(line, keyword(dimension).upper, keyword(dimension).lower) > 0)
            return true;
    return secondaryPeriodsPosition(line) > 0;
}

ModelStatementReader::ModelStatementReader(Model& model, LineReader& lines, KeywordOrder order)
    : m_model(model), m_lines(lines), m_order(order)
{
}

Status ModelStatementReader::readLine(std::string& line)
{
    for (const Dimension dimension : m_order) {
        const Keyword& word = keyword(dimension);
        if (const std::size_t p = keywordPosition(line, word.upper, word.lower); p > 0)
            TW_TRY(readDimension(line, p, dimension));
    }
    if (const std::size_t p = secondaryPeriodsPosition(line); p > 0)
        return readSecondaryPeriods(line, p);
    return {};
}

Status ModelStatementReader::readDimension(const std::string& line, std::size_t position, Dimension dimension)
{
    const Keyword& word = keyword(dimension);
    const auto value = statedValue(line, position, word, m_lines);
    if (!value)
        return value.error();
    const double rounded = roundHalfEven(*value);
    // A model needs a primary period: with none its cell blocks would have negative sizes.
    const double least = dimension == Dimension::Nyrs ? 1 : 0;
    if (rounded < least || rounded > kMaxDimension)
        return m_lines.error(std::string(word.upper) + "=" + plainText(*value) + " lies outside " + plainText(least)
                             + "..32767");
    m_model.*word.field = static_cast<int>(rounded);
    if (dimension == Dimension::Npar)
        m_caption.clear();
    else
        m_caption += ' ';
    m_caption += std::string(word.captionName) + "=" + plainText(rounded);
    if (dimension == Dimension::Nyrs) {
        m_nyrsSeen = true;
        const auto size = static_cast<std::size_t>(m_model.nyrs) + 1;
        m_model.secpers.assign(size, 0.0);
        m_model.cumsec.assign(size, 0);
    }
    return {};
}

Status ModelStatementReader::readSecondaryPeriods(std::string& line, std::size_t position)
{
    if (!m_nyrsSeen)
        return m_lines.error("SECPERS comes before NYRS");
    TW_TRY(readSecondaryPeriodList(line, position, m_model.nyrs, m_lines, [this](int t, double value) -> Status {
        const double periods = roundHalfEven(value);
        if (periods < 0 || periods > kMaxDimension)
            return m_lines.error("SECPERS value " + plainText(value) + " lies outside 0..32767");
        const double sum = m_model.cumsec[t - 1] + periods;
        if (sum > kMaxDimension)
            return m_lines.error("the SECPERS list adds up to more than 32767 secondary periods");
        m_model.secpers[t] = periods;
        m_model.cumsec[t] = static_cast<std::int16_t>(sum);
        return {};
    }));
    m_model.totsec = m_model.cumsec[m_model.nyrs];
    return {};
}

Status checkModelStatementLine(std::string& line, const Model& loaded, LineReader& lines, KeywordOrder order)
{
    for (const Dimension dimension : order) {
        const Keyword& word = keyword(dimension);
        const std::size_t p = keywordPosition(line, word.upper, word.lower);
        if (p == 0)
            continue;
        const auto value = statedValue(line, p, word, lines);
        if (!value)
            return value.error();
        const int held = loaded.*word.field;
        if (roundHalfEven(*value) != held)
            return lines.error("the file states " + std::string(word.upper) + "=" + plainText(*value)
                               + " but the loaded model has " + std::string(word.lower) + "=" + std::to_string(held));
    }
    const std::size_t p = secondaryPeriodsPosition(line);
    if (p == 0)
        return {};
    return readSecondaryPeriodList(line, p, loaded.nyrs, lines, [&](int t, double value) -> Status {
        const auto period = static_cast<std::size_t>(t);
        const double held = period < loaded.secpers.size() ? loaded.secpers[period] : 0;
        if (roundHalfEven(value) != held)
            return lines.error("the file states " + plainText(value) + " secondary periods for primary period "
                               + std::to_string(t) + " but the loaded model has " + plainText(held));
        return {};
    });
}

}  // namespace tw
