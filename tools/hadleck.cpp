// hadleck: a stand-in for the capture-history converter. It reads the answer file on
// standard input in the order the conversion dialog writes it, reads the raw
// capture-history file named there, writes the engine input file of those histories
// (the capture-history file's name with ".inp", in the current directory) and the
// listing "hadleck.out": the answers understood, the number of records and animals,
// the first captures per stratum, every record that does not fit the answers and the
// name of the engine input file.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "model/atomicfile.h"
#include "model/textrules.h"
#include "tools/hadleckinput.h"
#include "tools/standin.h"

using namespace tw;
using namespace tw::hadleck;
using namespace tw::standin;

namespace {

constexpr const char* kListing = "hadleck.out";

// Answers far beyond any column or count are held as +-1E9, which the checks refuse.
int wholeValue(const std::string& text)
{
    return static_cast<int>(std::clamp(roundHalfEven(decimalValueOr0(text)), -1e9, 1e9));
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
        a.groupCodes.erase(0, a.groupCodes.find_first_not_of(' '));
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

/// The 1-based place of a code among the codes, 0 when it is not one of them.
int codeNumber(const std::string& codes, std::optional<char> code)
{
    const auto at = code ? codes.find(*code) : std::string::npos;
    return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
}

struct Tally {
    std::vector<Record> records;
    double animals = 0;
    std::vector<double> firstCaptures;  // per stratum
    std::vector<std::string> misfits;
};

/// Reads one record by the answers; the empty text when it fits, else what is wrong.
std::string readRecord(const Answers& a, const std::string& line, Record& record)
{
    const long end = static_cast<long>(a.strataColumn) + a.periods - 1;
    if (a.strataColumn < 1 || static_cast<long>(line.size()) < end)
        return "record of " + std::to_string(line.size()) + " characters; the strata codes need columns "
            + std::to_string(a.strataColumn) + " to " + std::to_string(end);
    record.strata.assign(static_cast<std::size_t>(a.periods), 0);
    bool caught = false;
    for (int t = 0; t < a.periods; ++t) {
        const char code = line[static_cast<std::size_t>(a.strataColumn - 1 + t)];
        if (code == '0')
            continue;
        const int stratum = codeNumber(a.strataCodes, code);
        if (stratum == 0)
            return std::string("unknown stratum code '") + code + "' in column " + std::to_string(a.strataColumn + t);
        record.strata[static_cast<std::size_t>(t)] = stratum;
        caught = true;
    }
    if (!caught)
        return "no capture in the history";
    if (a.fateColumn > 0 && !column(line, a.fateColumn))
        return "no fate code in column " + std::to_string(a.fateColumn);
    if (a.ageClasses > 1) {
        record.age = codeNumber(a.ageCodes, column(line, a.ageColumn));
        if (record.age == 0)
            return "unknown age code in column " + std::to_string(a.ageColumn);
    }
    if (a.groups > 1) {
        const auto code = column(line, a.groupColumn);
        record.group = code == ' ' ? 0 : codeNumber(a.groupCodes, code);
        if (record.group == 0)
            return "unknown group code in column " + std::to_string(a.groupColumn);
    }
    record.frequency = 1;
    if (a.frequencyStart > 1) {
        if (static_cast<std::size_t>(a.frequencyStart) > line.size())
            return "no frequency in column " + std::to_string(a.frequencyStart);
        const auto length = a.frequencyEnd >= a.frequencyStart
            ? static_cast<std::size_t>(a.frequencyEnd - a.frequencyStart + 1)
            : std::string::npos;
        record.frequency = decimalValueOr0(line.substr(static_cast<std::size_t>(a.frequencyStart) - 1, length));
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
        Record record;
        const std::string misfit = readRecord(a, lines[i], record);
        if (!misfit.empty()) {
            tally.misfits.push_back("line " + std::to_string(i + 1) + ": " + misfit);
            continue;
        }
        tally.animals += record.frequency;
        const int first = *std::find_if(record.strata.begin(), record.strata.end(), [](int s) { return s > 0; });
        tally.firstCaptures[static_cast<std::size_t>(first) - 1] += record.frequency;
        tally.records.push_back(std::move(record));
    }
    return tally;
}

void listTally(std::ostream& out, const Answers& answers, const Tally& tally)
{
    out << "Records: " << tally.records.size() << "\n";
    out << "Animals: " << plainText(tally.animals) << "\n";
    out << "First captures per stratum:\n";
    for (std::size_t s = 0; s < tally.firstCaptures.size(); ++s)
        out << "  stratum " << s + 1 << " (code " << answers.strataCodes[s]
            << "): " << plainText(tally.firstCaptures[s]) << "\n";
    out << "Records that do not fit the answers: " << tally.misfits.size() << "\n";
    for (const std::string& misfit : tally.misfits)
        out << "  " << misfit << "\n";
}

/// Why no engine input can be written for these answers; empty when it can.
std::string unusable(const Answers& a, const std::vector<int>& periods)
{
    if (a.strata < 1 || a.periods < 1 || a.ageClasses < 1 || a.groups < 1)
        return "the strata, time periods, age classes and groups must each be at least 1";
    if (static_cast<int>(a.strataCodes.size()) != a.strata)
        return "the " + std::to_string(a.strataCodes.size()) + " strata codes do not match the "
            + std::to_string(a.strata) + " strata";
    if (a.ageClasses > 1 && static_cast<int>(a.ageCodes.size()) != a.ageClasses)
        return "the " + std::to_string(a.ageCodes.size()) + " age codes do not match the "
            + std::to_string(a.ageClasses) + " age classes";
    if (a.groups > 1 && static_cast<int>(a.groupCodes.size()) != a.groups)
        return "the " + std::to_string(a.groupCodes.size()) + " group codes do not match the "
            + std::to_string(a.groups) + " groups";
    if (periods.empty())
        return "the time increments give no code for each of the " + std::to_string(a.periods) + " time periods";
    if (const long cells = cellCount(a, periods); cells > 32767)
        return "the model would have " + std::to_string(cells) + " cells; at most 32767 can be held";
    return {};
}

/// The engine input file: the capture-history file's name without its extension and
/// with ".inp", in the current directory.
std::filesystem::path engineInputName(const Answers& answers)
{
    return std::filesystem::absolute(std::filesystem::path(answers.infile).stem().string() + ".inp");
}

Status writeEngineInputFile(const std::filesystem::path& target, const Answers& answers,
                            const std::vector<int>& periods, const Tally& tally)
{
    if (sameFile(target.string(), answers.infile))
        return makeError("the engine input file would be the capture-history file itself; give the capture-history "
                         "file another extension than .inp",
                         target.string());
    return saveAtomically(target.string(), [&](std::ostream& out) -> Status {
        writeEngineInput(out, answers, periods, tally.records);
        return {};
    });
}

}  // namespace

int main()
{
    std::ofstream out(kListing, std::ios::binary);
    if (!out) {
        std::fprintf(stderr, "hadleck: cannot write %s\n", kListing);
        return 1;
    }
    out << "hadleck stand-in: the answers, the capture histories and the engine input file written from them\n";
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
    const std::vector<int> periods = primaryPeriods(*answers);
    if (const std::string reason = unusable(*answers, periods); !reason.empty()) {
        out << "Error: " << reason << "; no engine input file is written.\n";
        return 1;
    }
    const Tally tally = tallyRecords(*answers, lines);
    listTally(out, *answers, tally);
    if (tally.records.empty()) {
        out << "Error: no record fits the answers; no engine input file is written.\n";
        return 1;
    }
    const std::filesystem::path target = engineInputName(*answers);
    if (const Status written = writeEngineInputFile(target, *answers, periods, tally); !written) {
        out << "Error: " << written.error().text() << "\n";
        return 1;
    }
    out << "Engine input file: " << target.string() << "\n";
    out << "  PIM form, " << cellCount(*answers, periods) << " cells, each its own parameter, with an identity "
        << "design matrix: read it with \"Get input file w/ PIM's\".\n";
    std::cout << "hadleck: " << tally.records.size() << " records, " << plainText(tally.animals)
              << " animals; engine input file " << target.string() << "; listing in " << kListing << "\n";
    return out.good() ? 0 : 1;
}
