// corvane: a stand-in for the estimation engine. It reads the standard-input line
// i="<model file>" l="<output file>" (quotes optional), checks the structure of the
// model file and writes a report to the output file: the title, the dimensions and one
// line containing "KESTON ERROR" for each problem found. It estimates nothing.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/textrules.h"
#include "tools/standin.h"

using namespace tw;
using namespace tw::standin;

namespace {

constexpr const char* kError = "KESTON ERROR: ";

/// The value of name= in the line (quoted or up to the next blank); nullopt when absent.
std::optional<std::string> argumentValue(const std::string& line, const std::string& name, std::size_t& from)
{
    std::size_t at = line.find(name + "=", from);
    while (at != std::string::npos && at > 0 && line[at - 1] != ' ')
        at = line.find(name + "=", at + 1);
    if (at == std::string::npos)
        return std::nullopt;
    std::size_t start = at + name.size() + 1;
    std::size_t end;
    if (start < line.size() && line[start] == '"') {
        ++start;
        end = line.find('"', start);
        if (end == std::string::npos)
            return std::nullopt;
        from = end + 1;
    } else {
        end = line.find(' ', start);
        if (end == std::string::npos)
            end = line.size();
        from = end;
    }
    return line.substr(start, end - start);
}

enum class Kind { Survival, Movement, OpenCapture, ClosedCapture };

struct PimBlock {
    std::string heading;
    Kind kind;
    std::size_t values = 0;
};

class ModelCheck {
public:
    explicit ModelCheck(std::vector<std::string> lines) : m_lines(std::move(lines)) {}

    void run(std::ostream& out);

private:
    void error(const std::string& text) { m_errors.push_back(kError + text); }
    void readModelStatement(std::ostream& out);
    void checkPims(std::ostream& out, std::size_t pimLine, std::size_t designLine);
    void checkDesign(std::ostream& out, std::size_t designLine);
    std::size_t findLine(std::size_t from, std::string_view upper, std::string_view lower) const;

    std::vector<std::string> m_lines;
    std::vector<std::string> m_errors;
    Model m_model;
    std::size_t m_cohortLine = 0;
    std::set<int> m_parameters;
};

std::size_t ModelCheck::findLine(std::size_t from, std::string_view upper, std::string_view lower) const
{
    for (std::size_t i = from; i < m_lines.size(); ++i)
        if (contains(m_lines[i], upper) || (!lower.empty() && contains(m_lines[i], lower)))
            return i;
    return m_lines.size();
}

void ModelCheck::readModelStatement(std::ostream& out)
{
    m_cohortLine = findLine(0, "COHORT", "cohort");
    for (std::size_t i = 0; i < m_lines.size() && i < m_cohortLine; ++i)
        if (contains(m_lines[i], "TITLE") || contains(m_lines[i], "title")) {
            out << "Title: " << trimmed(m_lines[i]) << "\n";
            break;
        }
    struct Keyword {
        const char* upper;
        const char* lower;
        std::size_t offset;
        int* field;
    };
    const Keyword keywords[] = {{"NPAR", "npar", 5, &m_model.npar},       {"NAGE", "nage", 5, &m_model.nage},
                                {"GROUPS", "groups", 7, &m_model.groups}, {"NYRS", "nyrs", 5, &m_model.nyrs},
                                {"STRATA", "strata", 7, &m_model.nstrat}};
    std::map<std::string, bool> found;
    for (std::size_t i = 0; i < m_cohortLine && i < m_lines.size(); ++i) {
        const std::string& line = m_lines[i];
        for (const Keyword& k : keywords) {
            const auto p = keywordPosition(line, k.upper, k.lower);
            if (p == 0)
                continue;
            *k.field = static_cast<int>(roundHalfEven(decimalValueOr0(textFrom(line, p + k.offset))));
            found[k.upper] = true;
        }
        const auto p = keywordPosition(line, "SECPERS", "secpers");
        if (p == 0 || m_model.nyrs <= 0)
            continue;
        std::string rest(textFrom(line, p + 8));
        std::size_t next = i + 1;
        const NextLine nextLine = [&](std::string& text) {
            if (next >= m_lines.size())
                return false;
            text = m_lines[next++];
            return true;
        };
        m_model.secpers.assign(static_cast<std::size_t>(m_model.nyrs) + 1, 0);
        m_model.totsec = 0;
        for (int t = 1; t <= m_model.nyrs; ++t) {
            const auto value = getnum(rest, nextLine);
            if (!value) {
                error("SECPERS lists fewer than NYRS=" + std::to_string(m_model.nyrs) + " values");
                break;
            }
            m_model.secpers[static_cast<std::size_t>(t)] = *value;
            m_model.totsec += static_cast<int>(roundHalfEven(*value));
        }
        found["SECPERS"] = true;
    }
    for (const char* needed : {"NPAR", "NYRS", "STRATA", "SECPERS"})
        if (!found[needed])
            error(std::string("the model statement gives no ") + needed + "=");
    out << "Dimensions: NPAR=" << m_model.npar << " GROUPS=" << m_model.groups << " NAGE=" << m_model.nage
        << " STRATA=" << m_model.nstrat << " NYRS=" << m_model.nyrs << " secondary periods=" << m_model.totsec
        << "\n";
    const long expected = expectedCellCount(m_model);
    if (m_model.npar != expected)
        error("NPAR=" + std::to_string(m_model.npar) + " differs from the " + std::to_string(expected)
              + " cells of the survival/movement, open-capture and closed-capture blocks");
}

void ModelCheck::checkPims(std::ostream& out, std::size_t pimLine, std::size_t designLine)
{
    std::vector<PimBlock> blocks;
    std::optional<PimBlock> heading;
    std::string gathered;
    for (std::size_t i = pimLine + 1; i < designLine; ++i) {
        const std::string line = trimmed(m_lines[i]);
        if (line.empty() && gathered.empty())
            continue;
        if (gathered.empty() && !line.empty() && std::isalpha(static_cast<unsigned char>(line[0]))) {
            PimBlock next{line, Kind::Survival};
            if (startsWith(line, "SRV("))
                next.kind = Kind::Survival;
            else if (startsWith(line, "PSI("))
                next.kind = Kind::Movement;
            else if (startsWith(line, "P("))
                next.kind = Kind::OpenCapture;
            else if (startsWith(line, "CP("))
                next.kind = Kind::ClosedCapture;
            else {
                error("line " + std::to_string(i + 1) + ": unknown PIM heading " + line);
                heading.reset();
                continue;
            }
            heading = next;
            continue;
        }
        gathered += " " + m_lines[i];
        if (!contains(line, ";"))
            continue;
        if (!heading) {
            error("line " + std::to_string(i + 1) + ": PIM values without a heading");
            gathered.clear();
            continue;
        }
        PimBlock block = *heading;
        std::istringstream tokens(gathered);
        std::string token;
        while (tokens >> token) {
            if (token.back() == ';')
                token.pop_back();
            if (token.empty())
                continue;
            ++block.values;
            const auto value = roundToInt16(decimalValueOr0(token));
            if (!value)
                error("PIM block " + block.heading + ": value " + token + " does not fit a parameter number");
            else if (*value > 0)
                m_parameters.insert(*value);
        }
        blocks.push_back(block);
        gathered.clear();
    }
    if (!gathered.empty())
        error("the last PIM block has no closing \";\"");

    const long nint = std::max(m_model.nyrs - 1, 0);
    struct Expectation {
        Kind kind;
        const char* name;
        long blocks;
        long values;
    };
    const Expectation expectations[] = {
        {Kind::Survival, "survival", static_cast<long>(m_model.groups) * m_model.nstrat, m_model.nage * nint},
        {Kind::Movement, "movement", static_cast<long>(m_model.groups) * m_model.nstrat * (m_model.nstrat - 1),
         m_model.nage * nint},
        {Kind::OpenCapture, "open capture", m_model.nstrat, m_model.nage * nint},
        {Kind::ClosedCapture, "closed capture", m_model.nstrat, static_cast<long>(m_model.nage) * m_model.totsec}};
    out << "PIM blocks:";
    for (const Expectation& e : expectations) {
        long count = 0;
        for (const PimBlock& block : blocks) {
            if (block.kind != e.kind)
                continue;
            ++count;
            if (static_cast<long>(block.values) != e.values)
                error("PIM block " + block.heading + " holds " + std::to_string(block.values) + " values; "
                      + std::to_string(e.values) + " expected");
        }
        out << " " << e.name << " " << count;
        if (count != e.blocks)
            error(std::to_string(count) + " " + e.name + " blocks; " + std::to_string(e.blocks) + " expected");
    }
    out << "\nParameters: " << m_parameters.size() << "\n";
}

void ModelCheck::checkDesign(std::ostream& out, std::size_t designLine)
{
    if (designLine >= m_lines.size()) {
        error("no DESIGN statement after the PIM blocks");
        return;
    }
    std::size_t pos = 6;
    const std::string& statement = m_lines[designLine];
    const double rows = decimalValueOr0(designToken(statement, pos));
    const double columns = decimalValueOr0(designToken(statement, pos));
    std::set<int> rowsWithEntries;
    std::size_t entries = 0;
    for (std::size_t i = designLine + 1; i < m_lines.size() && !contains(m_lines[i], "PROC"); ++i) {
        std::istringstream segments(m_lines[i]);
        std::string segment;
        while (std::getline(segments, segment, ';')) {
            std::istringstream numbers(segment);
            std::string r, c, v;
            if (!(numbers >> r))
                continue;
            if (!(numbers >> c >> v)) {
                error("line " + std::to_string(i + 1) + ": design entry \"" + trimmed(segment)
                      + "\" is not row, column and value");
                continue;
            }
            const double row = decimalValueOr0(r);
            const double column = decimalValueOr0(c);
            ++entries;
            if (row < 1 || row > rows || column < 1 || column > columns) {
                error("line " + std::to_string(i + 1) + ": design entry " + trimmed(segment)
                      + " lies outside the " + plainText(rows) + " x " + plainText(columns) + " matrix");
                continue;
            }
            if (decimalValueOr0(v) != 0)
                rowsWithEntries.insert(static_cast<int>(row));
        }
    }
    out << "Design matrix: " << plainText(rows) << " rows, " << plainText(columns) << " columns, " << entries
        << " entries\n";
    for (const int parameter : m_parameters)
        if (!rowsWithEntries.count(parameter))
            error("parameter " + std::to_string(parameter) + " has no design-matrix row");
}

void ModelCheck::run(std::ostream& out)
{
    readModelStatement(out);
    const std::size_t pimLine = [&] {
        for (std::size_t i = m_cohortLine; i < m_lines.size(); ++i)
            if (contains(m_lines[i], "PIM;") || contains(m_lines[i], "pim"))
                return i;
        return m_lines.size();
    }();
    if (pimLine < m_lines.size()) {
        out << "Form: PIM\n";
        const std::size_t designLine = findLine(pimLine + 1, "DESIGN", "");
        checkPims(out, pimLine, designLine);
        checkDesign(out, designLine);
    } else if (findLine(0, "CONSTRAINTS", "constraints") < m_lines.size()) {
        out << "Form: constraints\n";
    } else {
        error("the model file holds neither a PIM nor a CONSTRAINTS section");
    }
    if (findLine(0, "PROC STOP;", "proc stop;") >= m_lines.size())
        error("no \"PROC STOP;\" statement");
    for (const std::string& line : m_errors)
        out << line << "\n";
    if (m_errors.empty())
        out << "Structure check: no errors.\n";
    else
        out << "Structure check: " << m_errors.size() << (m_errors.size() == 1 ? " error.\n" : " errors.\n");
}

}  // namespace

int main()
{
    std::string line;
    if (!std::getline(std::cin, line)) {
        std::fputs("corvane: expected i=\"<model file>\" l=\"<output file>\" on standard input\n", stderr);
        return 2;
    }
    std::size_t from = 0;
    const auto input = argumentValue(line, "i", from);
    const auto output = input ? argumentValue(line, "l", from) : std::nullopt;
    if (!input || !output) {
        std::fprintf(stderr, "corvane: cannot read i= and l= from: %s\n", line.c_str());
        return 2;
    }
    std::ofstream out(*output, std::ios::binary);
    if (!out) {
        std::fprintf(stderr, "corvane: cannot write %s\n", output->c_str());
        return 1;
    }
    out << "CORVANE stand-in: structure check of a model file (no estimates)\n";
    out << "Input file: " << *input << "\n";
    std::vector<std::string> lines;
    if (!readLines(*input, lines)) {
        out << kError << "cannot open model file " << *input << "\n";
        return 0;
    }
    ModelCheck(std::move(lines)).run(out);
    return out.good() ? 0 : 1;
}
