#include "runs/persperiodinput.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "model/lines.h"
#include "model/modelstatement.h"
#include "model/textrules.h"

namespace tw {

namespace {

bool startsLabels(const std::string& line) { return contains(line, "LABEL"); }

// The whole part of a number as an int; numbers beyond +-1E9 (no cell or period count
// comes near) give +-1E9, which the callers then refuse as out of range.
int wholePart(double value)
{
    const double whole = std::trunc(value);
    if (!(whole > -1e9))
        return -1000000000;
    if (whole > 1e9)
        return 1000000000;
    return static_cast<int>(whole);
}

// The number at positions 8 and 9 of an "N(" line; a whole number of 100 or more that
// starts at position 8 is read whole (its digits up to the first other character).
double cohortValue(const std::string& line)
{
    if (line.size() <= 7)
        return 0.0;
    const std::size_t digits = line.find_first_not_of("0123456789", 7);
    const std::string_view whole = std::string_view(line).substr(7, digits == std::string::npos ? digits : digits - 7);
    if (whole.size() >= 3) {
        const double value = decimalValueOr0(whole);
        if (value >= 100)
            return value;
    }
    return decimalValueOr0(std::string_view(line).substr(7, 2));
}

// A label line begins with "S(" and names a "PP" parameter. Its label is the text after
// the "=" that follows the cell number, less the last character (the ";"); the cell
// number is read up to its ")", so cells of any width are read whole.
void takeLabelLine(const std::string& line, int lineNumber, PeriodInput& input)
{
    if (line.rfind("S(", 0) != 0 || !contains(line, "PP"))
        return;
    const std::size_t close = line.find(')');
    std::size_t start = 8;
    if (close != std::string::npos) {
        start = close + 1;
        if (start < line.size() && line[start] == '=')
            ++start;
    }
    const std::size_t end = line.empty() ? 0 : line.size() - 1;
    input.labels.push_back(start < end ? line.substr(start, end - start) : std::string());
    if (input.first == 0 && contains(line, "PP(")) {
        const std::size_t width = close == std::string::npos ? 4 : close - 2;
        input.first = wholePart((decimalValueOr0(std::string_view(line).substr(2, width))));
        input.firstLine = lineNumber;
    }
}

// A model file of the multistate road (the bundled example among them) has neither
// part; the message says what the command reads instead.
Error notAPeriodInput(const std::string& name)
{
    return makeError("the file holds no cohort of counts opened by a line containing \"N(\" and no LABELS section, "
                     "so it is no input of the per-period runs: they read the counts of the closed-population capture "
                     "histories of each primary period after a line such as \"  N(1)=45;\", and a LABELS section "
                     "whose lines S(cell)=PP(...) name the cells of the capture probabilities",
                     name);
}

Status readLabels(LineReader& reader, std::string line, PeriodInput& input)
{
    while (!contains(line, "PROC")) {
        takeLabelLine(line, reader.lineNumber(), input);
        if (!reader.next(line))
            return reader.endedBefore("the line containing \"PROC\" that ends the labels section");
    }
    return {};
}

}  // namespace

Result<PeriodInput> readPeriodInput(std::istream& in, const std::string& name)
{
    LineReader reader(in, name);
    PeriodInput input;
    std::string line;

    // The head, up to the first cohort header (or the labels, when there is no cohort).
    for (;;) {
        if (!reader.next(line)) {
            // A file read as one line may end its lines in CR alone, which the reader's
            // own message explains.
            if (reader.tooLong() || reader.lineNumber() <= 1)
                return reader.endedBefore("a line containing \"LABEL\"");
            return notAPeriodInput(name);
        }
        if (contains(line, "N("))
            break;
        if (startsLabels(line)) {
            TW_TRY(readLabels(reader, line, input));
            return input;
        }
        if (!input.statement.empty() || holdsModelStatementKeyword(line))
            input.statement.push_back(line);
        if (contains(line, "COHORT") || contains(line, "cohort"))
            ++input.cohortLines;
        if (const std::size_t p = keywordPosition(line, "NYRS", "nyrs"); p > 0)
            input.nyrs = wholePart((decimalValueOr0(textFrom(line, p + 5))));
    }

    // The cohorts: a "N(" line opens one, every other line is a count, "LABEL" ends them.
    PeriodCohort cohort{reader.lineNumber(), cohortValue(line), {}};
    for (;;) {
        if (!reader.next(line))
            return reader.endedBefore("a line containing \"LABEL\"");
        if (startsLabels(line)) {
            if (!cohort.counts.empty())
                input.cohorts.push_back(std::move(cohort));
            TW_TRY(readLabels(reader, line, input));
            return input;
        }
        if (contains(line, "N(")) {
            input.cohorts.push_back(std::move(cohort));
            cohort = PeriodCohort{reader.lineNumber(), cohortValue(line), {}};
            continue;
        }
        cohort.counts.push_back(decimalValueOr0(line));
    }
}

std::optional<int> occasionsForCounts(std::size_t n)
{
    for (int k = 2; k < 63; ++k) {
        const std::uint64_t count = (std::uint64_t{1} << k) - 2;
        if (count == n)
            return k;
        if (count > n)
            break;
    }
    return std::nullopt;
}

int nearestOccasions(std::size_t n)
{
    if (n == 0)
        return 0;
    int best = 2;
    for (int k = 2; k < 63; ++k) {
        const std::uint64_t count = (std::uint64_t{1} << k) - 2;
        const std::uint64_t bestCount = (std::uint64_t{1} << best) - 2;
        const auto distance = [n](std::uint64_t c) { return c > n ? c - n : n - c; };
        if (distance(count) < distance(bestCount))
            best = k;
        if (count > n)
            break;
    }
    return best;
}

}  // namespace tw
