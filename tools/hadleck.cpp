// hadleck: a stand-in for the capture-history converter. It reads the answer file on
// standard input in the order the conversion dialog writes it, reads the raw
// capture-history file named there and writes the listing "hadleck.out" in the current
// directory: the answers understood, the number of records and animals, the first
// captures per stratum and every record that does not fit the answers. It writes no
// engine input file.
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "model/textrules.h"
#include "tools/standin.h"

using namespace tw;
using namespace tw::standin;

namespace {

constexpr const char* kListing = "hadleck.out";

struct Answers {
    std::string infile;
    int strata = 0;
    int periods = 0;
    int ageClasses = 0;
    int groups = 0;
    std::string increments;
    std::string strataCodes;
    int strataColumn = 0;
    int fateColumn = 0;
    int ageColumn = 0;
    std::string ageCodes;
    std::string ageIncrements;
    int groupColumn = 0;
    std::string groupCodes;
    int frequencyStart = 0;
    int frequencyEnd = 0;
    bool sPsi = false;
    std::string subtracted;
    std::string title;
};

int wholeValue(const std::string& text)
{
    return static_cast<int>(roundHalfEven(decimalValueOr0(text)));
}

class AnswerReader {
public:
    explicit AnswerReader(std::istream& in) : m_in(in) {}

    /// The next answer; sets the error (naming what was expected) when the answers end.
    std::optional<std::string> next(const char* what)
    {
        std::string line;
        if (!std::getline(m_in, line)) {
            if (m_error.empty())
                m_error = "the answer file ends before the " + std::string(what);
            return std::nullopt;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }
    const std::string& error() const { return m_error; }

private:
    std::istream& m_in;
    std::string m_error;
};

std::optional<Answers> readAnswers(std::istream& in, std::string& error)
{
    AnswerReader reader(in);
    Answers a;
    const auto confirm = reader.next("confirmation");
    if (!confirm) {
        error = reader.error();
        return std::nullopt;
    }
    if (trimmed(*confirm) != "Y" && trimmed(*confirm) != "y") {
        error = "the answer file begins with \"" + *confirm + "\", not Y";
        return std::nullopt;
    }
    const auto text = [&](const char* what, std::string& field) {
        if (auto line = reader.next(what))
            field = *line;
    };
    const auto number = [&](const char* what, int& field) {
        if (auto line = reader.next(what))
            field = wholeValue(*line);
    };
    text("input file", a.infile);
    std::string counts;
    text("counts of strata, periods, age classes and groups", counts);
    std::istringstream parts(counts);
    std::string part;
    for (int* field : {&a.strata, &a.periods, &a.ageClasses, &a.groups})
        if (std::getline(parts, part, ','))
            *field = wholeValue(part);
    text("time increments", a.increments);
    text("strata codes", a.strataCodes);
    number("column of the strata codes", a.strataColumn);
    number("column of the fate code", a.fateColumn);
    if (a.ageClasses > 1) {
        number("column of the age code", a.ageColumn);
        text("age codes", a.ageCodes);
        text("age-increment vector", a.ageIncrements);
    }
    if (a.groups > 1) {
        number("column of the group code", a.groupColumn);
        text("group codes", a.groupCodes);
    }
    number("start column of the frequency", a.frequencyStart);
    if (a.frequencyStart > 1)
        number("end column of the frequency", a.frequencyEnd);
    std::string parameterization;
    text("parameterization", parameterization);
    a.sPsi = wholeValue(parameterization) == 2;
    if (a.sPsi)
        text("strata computed by subtraction", a.subtracted);
    text("title", a.title);
    if (!reader.error().empty()) {
        error = reader.error();
        return std::nullopt;
    }
    return a;
}

void listAnswers(std::ostream& out, const Answers& a)
{
    out << "Answers understood:\n";
    out << "  Input file: " << a.infile << "\n";
    out << "  Strata: " << a.strata << "  Time periods: " << a.periods << "  Age classes: " << a.ageClasses
        << "  Groups: " << a.groups << "\n";
    out << "  Time increments: " << a.increments << "\n";
    out << "  Strata codes: " << a.strataCodes << "\n";
    out << "  Column of strata codes: " << a.strataColumn << "\n";
    out << "  Column of fate code: " << a.fateColumn << "\n";
    if (a.ageClasses > 1)
        out << "  Column of age code: " << a.ageColumn << "  Age codes: " << a.ageCodes
            << "  Age-increment vector: " << a.ageIncrements << "\n";
    if (a.groups > 1)
        out << "  Column of group code: " << a.groupColumn << "  Group codes: " << a.groupCodes << "\n";
    if (a.frequencyStart > 1)
        out << "  Frequency: columns " << a.frequencyStart << " to " << a.frequencyEnd << "\n";
    else
        out << "  Frequency: one animal per record\n";
    if (a.sPsi)
        out << "  Parameterization: S-Psi, strata computed by subtraction: " << a.subtracted << "\n";
    else
        out << "  Parameterization: Phi\n";
    out << "  Title: " << a.title << "\n";
}

/// The character in a 1-based column, or nullopt beyond the line.
std::optional<char> column(const std::string& line, int col)
{
    if (col < 1 || static_cast<std::size_t>(col) > line.size())
        return std::nullopt;
    return line[static_cast<std::size_t>(col) - 1];
}

struct Tally {
    long records = 0;
    double animals = 0;
    std::vector<double> firstCaptures;  // per stratum
    std::vector<std::string> misfits;
};

/// Checks one record against the answers; empty when it fits.
std::string misfitOf(const Answers& a, const std::string& line, int& firstStratum, double& frequency)
{
    const long end = static_cast<long>(a.strataColumn) + a.periods - 1;
    if (a.strataColumn < 1 || static_cast<long>(line.size()) < end)
        return "record of " + std::to_string(line.size()) + " characters; the strata codes need columns "
            + std::to_string(a.strataColumn) + " to " + std::to_string(end);
    firstStratum = 0;
    for (int t = 0; t < a.periods; ++t) {
        const char code = line[static_cast<std::size_t>(a.strataColumn - 1 + t)];
        if (code == '0')
            continue;
        const auto stratum = a.strataCodes.find(code);
        if (stratum == std::string::npos)
            return std::string("unknown stratum code '") + code + "' in column " + std::to_string(a.strataColumn + t);
        if (firstStratum == 0)
            firstStratum = static_cast<int>(stratum) + 1;
    }
    if (firstStratum == 0)
        return "no capture in the history";
    if (a.fateColumn > 0 && !column(line, a.fateColumn))
        return "no fate code in column " + std::to_string(a.fateColumn);
    if (a.ageClasses > 1) {
        const auto code = column(line, a.ageColumn);
        if (!code || a.ageCodes.find(*code) == std::string::npos)
            return "unknown age code in column " + std::to_string(a.ageColumn);
    }
    if (a.groups > 1) {
        const auto code = column(line, a.groupColumn);
        if (!code || *code == ' ' || a.groupCodes.find(*code) == std::string::npos)
            return "unknown group code in column " + std::to_string(a.groupColumn);
    }
    frequency = 1;
    if (a.frequencyStart > 1) {
        if (static_cast<std::size_t>(a.frequencyStart) > line.size())
            return "no frequency in column " + std::to_string(a.frequencyStart);
        const auto length = a.frequencyEnd >= a.frequencyStart
            ? static_cast<std::size_t>(a.frequencyEnd - a.frequencyStart + 1)
            : std::string::npos;
        frequency = decimalValueOr0(line.substr(static_cast<std::size_t>(a.frequencyStart) - 1, length));
    }
    return {};
}

Tally tallyRecords(const Answers& a, const std::vector<std::string>& lines)
{
    Tally tally;
    tally.firstCaptures.assign(a.strataCodes.size(), 0);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (trimmed(lines[i]).empty())
            continue;
        int firstStratum = 0;
        double frequency = 0;
        const std::string misfit = misfitOf(a, lines[i], firstStratum, frequency);
        if (!misfit.empty()) {
            tally.misfits.push_back("line " + std::to_string(i + 1) + ": " + misfit);
            continue;
        }
        ++tally.records;
        tally.animals += frequency;
        tally.firstCaptures[static_cast<std::size_t>(firstStratum) - 1] += frequency;
    }
    return tally;
}

}  // namespace

int main()
{
    std::ofstream out(kListing, std::ios::binary);
    if (!out) {
        std::fprintf(stderr, "hadleck: cannot write %s\n", kListing);
        return 1;
    }
    out << "hadleck stand-in: reading of the answers and the capture histories (no model file is written)\n";
    std::string error;
    const auto answers = readAnswers(std::cin, error);
    if (!answers) {
        out << "Error: " << error << "\n";
        return 1;
    }
    listAnswers(out, *answers);
    std::vector<std::string> lines;
    if (!readLines(answers->infile, lines)) {
        out << "Error: cannot open the capture-history file " << answers->infile << "\n";
        return 1;
    }
    const Tally tally = tallyRecords(*answers, lines);
    out << "Records: " << tally.records << "\n";
    out << "Animals: " << plainText(tally.animals) << "\n";
    out << "First captures per stratum:\n";
    for (std::size_t s = 0; s < tally.firstCaptures.size(); ++s)
        out << "  stratum " << s + 1 << " (code " << answers->strataCodes[s]
            << "): " << plainText(tally.firstCaptures[s]) << "\n";
    out << "Records that do not fit the answers: " << tally.misfits.size() << "\n";
    for (const std::string& misfit : tally.misfits)
        out << "  " << misfit << "\n";
    std::cout << "hadleck: " << tally.records << " records, " << plainText(tally.animals) << " animals; listing in "
              << kListing << "\n";
    return out.good() ? 0 : 1;
}
