#include "model/pimreader.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <optional>

#include "model/lines.h"
#include "model/textrules.h"

namespace tw {

namespace {

constexpr int kMaxDimension = 32767;

// T1 of a text that is a plain whole number: an optional sign and at most 15 digits,
// followed by nothing T1 would read on (the end, ";" and the like). Such a text is most
// of what a model file holds; the full rule takes the rest.
bool plainWholeValue(std::string_view text, double& value)
{
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative || (!text.empty() && text[0] == '+'))
        ++i;
    const std::size_t first = i;
    long long whole = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (i - first == 15)
            return false;  // longer numbers take the full rule (and would overflow here)
        whole = whole * 10 + (text[i] - '0');
    }
    const std::size_t digits = i - first;
    if (digits == 0 || digits > 15)
        return false;
    if (i < text.size()) {
        const char c = text[i];
        if (c == '.' || c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == ' ' || c == '\t' || c == '\n')
            return false;
    }
    value = negative ? -static_cast<double>(whole) : static_cast<double>(whole);
    return true;
}

std::optional<double> tokenValue(std::string_view text)
{
    double value = 0;
    if (plainWholeValue(text, value))
        return value;
    return decimalValue(text);
}

// T4 over a gathered block, as PimTokens of the text rules does, with the fast path for whole numbers.
class BlockTokens {
public:
    explicit BlockTokens(std::string block) : m_buffer(std::move(block)) {}

    std::optional<double> next()
    {
        if (m_exhausted)
            return 0.0;  // the buffer became "0"
        const std::string_view rest = std::string_view(m_buffer).substr(m_pos);
        const auto blank = rest.find(' ');
        const std::size_t p = blank == std::string_view::npos ? rest.size() : blank + 1;
        const auto value = tokenValue(rest.substr(0, p == 0 ? 0 : p - 1));
        if (rest.size() > p) {
            m_pos += p;
            while (m_pos < m_buffer.size() && m_buffer[m_pos] == ' ')
                ++m_pos;
        } else {
            m_exhausted = true;
        }
        return value;
    }

private:
    std::string m_buffer;
    std::size_t m_pos = 0;
    bool m_exhausted = false;
};

class PimReader {
public:
    PimReader(std::istream& in, const std::string& name, const Progress& progress)
        : m_lines(in, name), m_progress(progress)
    {
    }

    Result<Model> read();
    const std::string& caption() const { return m_caption; }

private:
    Status readModelStatement();
    Status readKeywords();
    Status readDimension(std::string_view keyword, std::size_t position, std::size_t offset, int& value,
                         std::string_view captionName);
    Status readSecondaryPeriods(std::size_t position);
    Status findLine(std::string_view what, bool (*matches)(std::string_view));
    Status readBlocks();
    Status readBlock(const std::string& what, const std::function<Status(BlockTokens&)>& fill);
    Status storeEntry(long cell, std::optional<double> value, const std::string& what);
    Status readDesignStatement();
    Status readDesignEntries();
    Status readDesignEntry(std::string_view& rest);
    void blockDone();

    bool nextLine(std::string& text) { return m_lines.next(text); }
    Error error(std::string message) const { return m_lines.error(std::move(message)); }

    LineReader m_lines;
    const Progress& m_progress;
    Model m_model = startupModel();
    std::string m_line;
    std::string m_caption;
    bool m_nyrsSeen = false;
    long m_blocksDone = 0;
    long m_blocksTotal = 0;
    int m_percent = -1;
};

bool hasCohort(std::string_view line) { return contains(line, "cohort") || contains(line, "COHORT"); }
bool hasPim(std::string_view line) { return contains(line, "pim") || contains(line, "PIM;"); }
bool hasDesign(std::string_view line) { return contains(line, "DESIGN"); }

std::string bare(long value) { return std::to_string(value); }

Result<Model> PimReader::read()
{
    m_model.proctest = kDefaultProcTest;
    TW_TRY(readModelStatement());
    m_model.nconcells = m_model.npar;
    computeDerivedSizes(m_model);
    createCellArrays(m_model);
    TW_TRY(findLine("the PIM section", hasPim));
    TW_TRY(readBlocks());
    m_model.modelform = "pim";
    m_model.ncols = m_model.nparms;
    TW_TRY(findLine("the DESIGN statement", hasDesign));
    TW_TRY(readDesignStatement());
    TW_TRY(readDesignEntries());
    m_model.infile = m_lines.name();
    return std::move(m_model);
}

Status PimReader::readModelStatement()
{
    while (!hasCohort(m_line)) {
        if (!nextLine(m_line))
            return m_lines.endedBefore("the COHORT line");
        TW_TRY(readKeywords());
    }
    return {};
}

Status PimReader::readKeywords()
{
    if (auto p = keywordPosition(m_line, "NPAR", "npar"); p > 0) {
        m_caption.clear();
        TW_TRY(readDimension("NPAR", p, 5, m_model.npar, "npar="));
    }
    if (auto p = keywordPosition(m_line, "NAGE", "nage"); p > 0)
        TW_TRY(readDimension("NAGE", p, 5, m_model.nage, " nage="));
    if (auto p = keywordPosition(m_line, "GROUPS", "groups"); p > 0)
        TW_TRY(readDimension("GROUPS", p, 7, m_model.groups, " groups="));
    if (auto p = keywordPosition(m_line, "NYRS", "nyrs"); p > 0) {
        TW_TRY(readDimension("NYRS", p, 5, m_model.nyrs, " nyrs="));
        m_nyrsSeen = true;
        const auto size = static_cast<std::size_t>(m_model.nyrs) + 1;
        m_model.secpers.assign(size, 0.0);
        m_model.cumsec.assign(size, 0);
    }
    if (auto p = keywordPosition(m_line, "STRATA", "strata"); p > 0)
        TW_TRY(readDimension("STRATA", p, 7, m_model.nstrat, " nstrat="));
    if (auto p = keywordPosition(m_line, "SECPERS", "secpers"); p > 0)
        TW_TRY(readSecondaryPeriods(p));
    return {};
}

Status PimReader::readDimension(std::string_view keyword, std::size_t position, std::size_t offset, int& value,
                                std::string_view captionName)
{
    const auto number = decimalValue(textFrom(m_line, position + offset));
    if (!number)
        return error("the value of " + std::string(keyword) + " is too large");
    const double rounded = roundHalfEven(*number);
    // A model needs a primary period: with none its cell blocks would have negative sizes.
    const double least = keyword == "NYRS" ? 1 : 0;
    if (rounded < least || rounded > kMaxDimension)
        return error(std::string(keyword) + "=" + plainText(rounded) + " lies outside " + plainText(least)
                     + "..32767");
    value = static_cast<int>(rounded);
    m_caption += std::string(captionName) + plainText(rounded);
    return {};
}

Status PimReader::readSecondaryPeriods(std::size_t position)
{
    if (!m_nyrsSeen)
        return error("SECPERS comes before NYRS");
    m_line = std::string(textFrom(m_line, position + 8));
    bool ended = false;
    const NextLine next = [&](std::string& text) {
        ended = !nextLine(text);
        return !ended;
    };
    for (int t = 1; t <= m_model.nyrs; ++t) {
        const auto number = getnum(m_line, next);
        if (ended)
            return m_lines.endedBefore("the COHORT line");
        if (!number)
            return error("a SECPERS value is too large");
        const double periods = roundHalfEven(*number);
        if (periods < 0 || periods > kMaxDimension)
            return error("SECPERS value " + plainText(periods) + " lies outside 0..32767");
        m_model.secpers[t] = periods;
        const double sum = m_model.cumsec[t - 1] + periods;
        if (sum > kMaxDimension)
            return error("the secondary periods add up to more than 32767");
        m_model.cumsec[t] = static_cast<std::int16_t>(sum);
    }
    m_model.totsec = m_model.cumsec[m_model.nyrs];
    return {};
}

Status PimReader::findLine(std::string_view what, bool (*matches)(std::string_view))
{
    while (!matches(m_line)) {
        if (!nextLine(m_line))
            return m_lines.endedBefore(what);
    }
    return {};
}

void PimReader::blockDone()
{
    ++m_blocksDone;
    if (!m_progress || m_blocksTotal <= 0)
        return;
    const int percent = static_cast<int>(m_blocksDone * 100 / m_blocksTotal);
    if (percent != m_percent) {
        m_percent = percent;
        m_progress(percent);
    }
}

Status PimReader::readBlock(const std::string& what, const std::function<Status(BlockTokens&)>& fill)
{
    std::string heading;
    if (!nextLine(heading))
        return m_lines.endedBefore(what);
    std::string block;
    // The last line read stays current: the search for DESIGN tests it first.
    const NextLine next = [this](std::string& text) {
        if (!nextLine(text))
            return false;
        m_line = text;
        return true;
    };
    if (!gatherBlock(block, next))
        return m_lines.endedBefore(what);
    BlockTokens tokens(std::move(block));
    TW_TRY(fill(tokens));
    blockDone();
    return {};
}

Status PimReader::storeEntry(long cell, std::optional<double> value, const std::string& what)
{
    if (!value)
        return error("a value in " + what + " is too large");
    if (cell < 1 || cell > m_model.npar)
        return error("cell " + bare(cell) + " of " + what + " lies beyond NPAR=" + bare(m_model.npar));
    const auto index = static_cast<std::size_t>(cell);
    const double v = *value;
    if (v < 0 && v != -1 && v != -2) {
        // The writers put a fixed cell as minus its value: read it back as a fixing.
        m_model.initval[index] = -v;
        m_model.pim[index] = fixedMarker(static_cast<std::int16_t>(cell));
        return {};
    }
    const auto number = roundToInt16(v);
    if (!number)
        return error("the value " + plainText(v) + " in " + what + " lies outside -32768..32767");
    m_model.pim[index] = *number;
    return {};
}

Status PimReader::readBlocks()
{
    Model& m = m_model;
    const long ns = m.nstrat;
    const long nint = m.nyrs - 1;
    const long ns2 = ns * ns;
    m_blocksTotal = static_cast<long>(m.groups) * ns2 + 2 * ns;

    auto transition = [&](long g, long s1, long s2, const std::string& what) {
        return readBlock(what, [&, g, s1, s2](BlockTokens& tokens) -> Status {
            for (long a = 1; a <= m.nage; ++a)
                for (long t = 1; t <= nint; ++t) {
                    const long cell = s2 + ns * (s1 - 1) + ns2 * (t - 1) + ns2 * nint * (a - 1)
                        + ns2 * nint * m.nage * (g - 1);
                    TW_TRY(storeEntry(cell, tokens.next(), what));
                }
            return {};
        });
    };

    for (long g = 1; g <= m.groups; ++g)
        for (long s = 1; s <= ns; ++s)
            TW_TRY(transition(g, s, s, "the survival block of group " + bare(g) + ", stratum " + bare(s)));
    for (long s1 = 1; s1 <= ns; ++s1)
        for (long s2 = 1; s2 <= ns; ++s2) {
            if (s1 == s2)
                continue;
            for (long g = 1; g <= m.groups; ++g)
                TW_TRY(transition(g, s1, s2,
                                  "the movement block of group " + bare(g) + " from stratum " + bare(s1) + " to "
                                      + bare(s2)));
        }

    long k = static_cast<long>(m.groups) * m.nage * ns2 * std::max(nint, 0L);
    for (long s = 1; s <= ns; ++s) {
        const std::string what = "the open-capture block of stratum " + bare(s);
        TW_TRY(readBlock(what, [&](BlockTokens& tokens) -> Status {
            for (long a = 1; a <= m.nage; ++a)
                for (long t = 1; t <= nint; ++t)
                    TW_TRY(storeEntry(++k, tokens.next(), what));
            return {};
        }));
    }
    for (long s = 1; s <= ns; ++s) {
        const std::string what = "the closed-capture block of stratum " + bare(s);
        TW_TRY(readBlock(what, [&](BlockTokens& tokens) -> Status {
            for (long a = 1; a <= m.nage; ++a)
                for (long t = 1; t <= m.nyrs; ++t)
                    for (long j = 1; j <= static_cast<long>(m.secpers[t]); ++j)
                        TW_TRY(storeEntry(++k, tokens.next(), what));
            return {};
        }));
    }

    m.nparms = 0;
    const long last = std::min<long>(k, m.npar);
    for (long i = 1; i <= last; ++i)
        m.nparms = std::max<int>(m.nparms, m.pim[static_cast<std::size_t>(i)]);
    // Cells beyond the blocks are not in the file, so a save cannot write them: they carry
    // no parameter, so that their start-up numbers do not leave gaps in the numbers saved.
    for (long i = last + 1; i <= m.npar; ++i)
        m.pim[static_cast<std::size_t>(i)] = 0;
    return {};
}

Status PimReader::readDesignStatement()
{
    std::size_t pos = 6;  // from character position 7, after "DESIGN" at the start of the line
    const std::string_view rows = designToken(m_line, pos);
    const std::string_view cols = designToken(m_line, pos);
    const auto dmrows = decimalValue(rows);
    if (!dmrows)
        return error("the row count of the DESIGN statement is too large");
    const auto colsValue = decimalValue(cols);
    const auto dmcols = colsValue ? roundToInt16(*colsValue) : std::nullopt;
    if (!dmcols)
        return error("the column count \"" + std::string(cols) + "\" of the DESIGN statement lies outside "
                     "-32768..32767");
    m_model.dmrows = *dmrows;
    m_model.dmcols = *dmcols;
    return {};
}

Status PimReader::readDesignEntries()
{
    for (;;) {
        if (!nextLine(m_line))
            return m_lines.endedBefore("the PROC line that closes the design section");
        if (contains(m_line, "PROC"))
            return {};
        std::string_view rest = m_line;
        while (contains(rest, ";"))
            TW_TRY(readDesignEntry(rest));
    }
}

// One entry from the front of rest; rest becomes the text after its value (or " ").
Status PimReader::readDesignEntry(std::string_view& rest)
{
    auto index = [&](std::string_view token, const char* what) -> Result<int> {
        const auto value = tokenValue(token);
        if (!value || *value != std::floor(*value) || *value < 0 || *value > DesignMatrix::kMaxIndex)
            return error("the " + std::string(what) + " \"" + std::string(token) + "\" of a design entry is not "
                         "a whole number in 0..32767");
        return static_cast<int>(*value);
    };
    std::size_t pos = 0;
    const auto row = index(designToken(rest, pos), "row");
    if (!row)
        return row.error();
    const auto col = index(designToken(rest, pos), "column");
    if (!col)
        return col.error();
    const std::string_view valueToken = designToken(rest, pos, rest.empty() ? 0 : rest.size() - 1);
    const auto value = tokenValue(valueToken);
    if (!value)
        return error("the value \"" + std::string(valueToken) + "\" of a design entry is too large");
    m_model.dm.set(*row, *col, *value);
    m_model.dm.setColUsed(*col);
    rest = pos < rest.size() ? rest.substr(pos) : std::string_view(" ");
    return {};
}

}  // namespace

Result<Model> readPimModel(std::istream& in, const std::string& name, PimReadNotes* notes, const Progress& progress)
{
    PimReader reader(in, name, progress);
    auto model = reader.read();
    if (model && notes)
        notes->caption = reader.caption();
    return model;
}

Result<Model> readPimFile(const std::string& path, PimReadNotes* notes, const Progress& progress)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return makeError("cannot open the file: " + std::string(std::strerror(errno)), path);
    return readPimModel(in, path, notes, progress);
}

}  // namespace tw
