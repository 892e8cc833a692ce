#include "runs/persperiodlisting.h"

#include <algorithm>
#include <cctype>

#include "model/lines.h"
#include "model/textrules.h"

namespace tw {

namespace {

bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// The word just before position at, skipping blanks and hyphens, in lower case.
std::string wordBefore(std::string_view line, std::size_t at)
{
    std::size_t end = at;
    while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '-' || line[end - 1] == '\t'))
        --end;
    std::size_t begin = end;
    while (begin > 0 && isLetter(line[begin - 1]))
        --begin;
    std::string word(line.substr(begin, end - begin));
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return word;
}

bool negates(const std::string& word)
{
    return word == "non" || (word.size() >= 3 && word.compare(word.size() - 3, 3, "not") == 0);
}

}  // namespace

bool affirmsPositiveDefinite(std::string_view line)
{
    constexpr std::string_view word = "positive-definite";
    for (std::size_t at = line.find(word); at != std::string_view::npos; at = line.find(word, at + 1))
        if (!negates(wordBefore(line, at)))
            return true;
    return false;
}

bool isEstimateLine(std::string_view line)
{
    return line.size() >= 12 && line.substr(9, 3) == "PP(";
}

std::vector<ListedEstimate> readPeriodListing(std::istream& in)
{
    LineReader reader(in, "runsurv.t2");
    std::vector<ListedEstimate> estimates;
    bool checked = false;
    std::string line;
    while (reader.next(line)) {
        if (affirmsPositiveDefinite(line))
            checked = true;
        if (!isEstimateLine(line))
            continue;
        const std::string_view field = line.size() > 28 ? std::string_view(line).substr(28, 13) : std::string_view();
        const bool hasDigit = std::any_of(field.begin(), field.end(),
                                          [](unsigned char c) { return std::isdigit(c) != 0; });
        ListedEstimate estimate;
        if (hasDigit)
            estimate.value = decimalValue(field);
        estimate.checked = checked;
        estimate.line = line;
        estimates.push_back(std::move(estimate));
    }
    return estimates;
}

}  // namespace tw
