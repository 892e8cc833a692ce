#include "model/pimreader.h"

#include <cassert>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <optional>

#include "model/atomicfile.h"
#include "model/fileerrors.h"
#include "model/lines.h"
#include "model/modelstatement.h"
#include "model/numberscan.h"
#include "model/textrules.h"

namespace tw {

namespace {

// Names a PIM block in error messages; the text is built only when an error needs it.
struct BlockName {
    enum class Kind { Survival, Movement, OpenCapture, ClosedCapture };
    Kind kind;
    long group = 0;
    long from = 0;
    long to = 0;

    std::string text() const;
};

class PimReader {
public:
    PimReader(std::istream& in, const std::string& name, const Progress& progress)
        : m_lines(in, name), m_progress(progress)
    {
        m_lines.keepHead(m_head);
    }

    Result<Model> read();
    const std::string& caption() const { return m_caption; }

private:
    Status readModelStatement();
    Status checkCellCount() const;
    Status findLine(std::string_view what, bool (*matches)(std::string_view));
    Status readBlocks();
    template <class Fill>
    Status readBlock(const BlockName& what, Fill&& fill);
    Status storeRun(BlockTokens& tokens, long cell, long step, long count, const BlockName& what);
    Status storeEntry(long cell, std::optional<double> value, const BlockName& what);
    void fixCell(std::size_t index, double value);
    Result<int> designIndex(std::string_view token, const char* what) const;
    Status readDesignStatement();
    Status readDesignEntries();
    void readPlainDesignEntries(std::string_view& rest);
    Status readDesignEntry(std::string_view& rest);
    void blockDone();

    bool nextLine(std::string& text) { return m_lines.next(text); }
    Error error(std::string message) const { return m_lines.error(std::move(message)); }

    HeadKeeper m_head;
    LineReader m_lines;
    const Progress& m_progress;
    Model m_model = startupModel();
    std::string m_line;
    std::string m_block;
    std::string m_caption;
    int m_nparLine = 0;  // the line NPAR was read from
    long m_blocksDone = 0;
    long m_blocksTotal = 0;
    int m_percent = -1;
};

bool hasCohort(std::string_view line) { return contains(line, "cohort") || contains(line, "COHORT"); }
bool hasPim(std::string_view line) { return contains(line, "pim") || contains(line, "PIM;"); }
bool hasDesign(std::string_view line) { return contains(line, "DESIGN"); }

std::string bare(long value) { return std::to_string(value); }

// Whether text holds a ";". A plain loop: the text left at a line's end is mostly a
// single blank, where a library search costs more than it saves.
bool holdsSemicolon(std::string_view text)
{
    for (const char c : text)
        if (c == ';')
            return true;
    return false;
}

std::string BlockName::text() const
{
    switch (kind) {
    case Kind::Survival:
        return "the survival block of group " + bare(group) + ", stratum " + bare(from);
    case Kind::Movement:
        return "the movement block of group " + bare(group) + " from stratum " + bare(from) + " to " + bare(to);
    case Kind::OpenCapture:
        return "the open-capture block of stratum " + bare(from);
    case Kind::ClosedCapture:
        return "the closed-capture block of stratum " + bare(from);
    }
    return {};
}

Result<Model> PimReader::read()
{
    m_model.proctest = kDefaultProcTest;
    TW_TRY(readModelStatement());
    TW_TRY(checkCellCount());
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
    m_lines.finishHead();
    m_model.head = std::move(m_head.head());
    return std::move(m_model);
}

Status PimReader::readModelStatement()
{
    ModelStatementReader statement(m_model, m_lines, kPimReaderOrder);
    while (!hasCohort(m_line)) {
        if (!nextLine(m_line))
            return m_lines.endedBefore("the COHORT line");
        if (keywordPosition(m_line, "NPAR", "npar") > 0)
            m_nparLine = m_lines.lineNumber();
        TW_TRY(statement.readLine(m_line));
    }
    m_caption = statement.caption();
    return {};
}

// The blocks hold exactly the cells the dimensions give: with fewer cells in NPAR some
// would lie beyond it, with more the cells after the blocks would be in no block, and a
// save with constraints would write them as fixings no one made.
Status PimReader::checkCellCount() const
{
    const long cells = expectedCellCount(m_model);
    if (cells == m_model.npar)
        return {};
    return makeError("NPAR=" + bare(m_model.npar) + ", but GROUPS, NAGE, NYRS, STRATA and SECPERS give " + bare(cells)
                         + " cells",
                     m_lines.name(), m_nparLine > 0 ? m_nparLine : m_lines.lineNumber());
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

template <class Fill>
Status PimReader::readBlock(const BlockName& what, Fill&& fill)
{
    if (!nextLine(m_line))  // the heading
        return m_lines.endedBefore(what.text());
    // A block without its ";" would be gathered until memory ran out: it stops at the
    // largest size a block may have.
    bool tooLong = false;
    const AppendLine append = [this, &tooLong](std::string& text) {
        tooLong = text.size() > kMaxBlockLength;
        return !tooLong && m_lines.appendNext(text);
    };
    // The last line read stays current: the search for DESIGN tests it first.
    const auto start = gatherBlock(m_block, m_line, append);
    if (tooLong) {
        m_block.clear();
        m_block.shrink_to_fit();
        return error(what.text() + " is longer than " + std::to_string(kMaxBlockLength)
                     + " bytes without the \";\" that ends it");
    }
    if (!start)
        return m_lines.endedBefore(what.text());
    BlockTokens tokens(std::string_view(m_block).substr(*start));
    TW_TRY(fill(tokens));
    blockDone();
    return {};
}

// Stores the entries of count cells, from cell on in steps of step. Most entries are
// small whole numbers in cells within NPAR: they are stored in one run without building
// a Status or calling decimalValue; storeEntry takes the rest, one at a time.
Status PimReader::storeRun(BlockTokens& tokens, long cell, long step, long count, const BlockName& what)
{
    const long npar = m_model.npar;
    while (count > 0) {
        const long inside = cell > npar ? 0 : std::min(count, (npar - cell) / step + 1);
        const long done = tokens.takeWholes(inside, [&](int value) {
            const auto index = static_cast<std::size_t>(cell);
            if (value < -2)
                fixCell(index, -value);
            else
                m_model.pim[index] = static_cast<std::int16_t>(value);
            cell += step;
        });
        count -= done;
        if (count == 0)
            break;
        TW_TRY(storeEntry(cell, tokens.next(), what));
        cell += step;
        --count;
    }
    return {};
}

// The writers put a fixed cell as minus its value: read it back as a fixing.
void PimReader::fixCell(std::size_t index, double value)
{
    m_model.initval[index] = value;
    m_model.pim[index] = fixedMarker(static_cast<std::int16_t>(index));
}

Status PimReader::storeEntry(long cell, std::optional<double> value, const BlockName& what)
{
    if (!value)
        return error("a value in " + what.text() + " is too large");
    if (cell < 1 || cell > m_model.npar)
        return error("cell " + bare(cell) + " of " + what.text() + " lies beyond NPAR=" + bare(m_model.npar));
    const auto index = static_cast<std::size_t>(cell);
    const double v = *value;
    if (v < 0 && v != -1 && v != -2) {
        fixCell(index, -v);
        return {};
    }
    const auto number = roundToInt16(v);
    if (!number)
        return error("the value " + plainText(v) + " in " + what.text() + " lies outside -32768..32767");
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

    auto transition = [&](long g, long s1, long s2, const BlockName& what) {
        return readBlock(what, [&, g, s1, s2](BlockTokens& tokens) -> Status {
            for (long a = 1; a <= m.nage; ++a) {
                // Cell of period 1; each later period lies ns2 cells further on.
                const long cell = s2 + ns * (s1 - 1) + ns2 * nint * (a - 1) + ns2 * nint * m.nage * (g - 1);
                TW_TRY(storeRun(tokens, cell, ns2, nint, what));
            }
            return {};
        });
    };

    for (long g = 1; g <= m.groups; ++g)
        for (long s = 1; s <= ns; ++s)
            TW_TRY(transition(g, s, s, {BlockName::Kind::Survival, g, s, s}));
    for (long s1 = 1; s1 <= ns; ++s1)
        for (long s2 = 1; s2 <= ns; ++s2) {
            if (s1 == s2)
                continue;
            for (long g = 1; g <= m.groups; ++g)
                TW_TRY(transition(g, s1, s2, {BlockName::Kind::Movement, g, s1, s2}));
        }

    long k = static_cast<long>(m.groups) * m.nage * ns2 * std::max(nint, 0L);
    for (long s = 1; s <= ns; ++s) {
        const BlockName what{BlockName::Kind::OpenCapture, 0, s};
        TW_TRY(readBlock(what, [&](BlockTokens& tokens) -> Status {
            const long count = m.nage * std::max(nint, 0L);
            TW_TRY(storeRun(tokens, k + 1, 1, count, what));
            k += count;
            return {};
        }));
    }
    for (long s = 1; s <= ns; ++s) {
        const BlockName what{BlockName::Kind::ClosedCapture, 0, s};
        TW_TRY(readBlock(what, [&](BlockTokens& tokens) -> Status {
            long periods = 0;
            for (long t = 1; t <= m.nyrs; ++t)
                periods += static_cast<long>(m.secpers[t]);
            const long count = m.nage * periods;
            TW_TRY(storeRun(tokens, k + 1, 1, count, what));
            k += count;
            return {};
        }));
    }

    const long last = std::min<long>(k, m.npar);
    int largest = 0;  // a local, so that the loop runs in vector steps
    for (long i = 1; i <= last; ++i)
        largest = std::max<int>(largest, m.pim[static_cast<std::size_t>(i)]);
    m.nparms = largest;
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
    if (*dmrows >= 1)
        m_model.dm.reserve(static_cast<std::size_t>(std::min(*dmrows, 32768.0)) + 1);
    return {};
}

Status PimReader::readDesignEntries()
{
    for (;;) {
        if (!nextLine(m_line))
            return m_lines.endedBefore("the PROC line that closes the design section");
        if (contains(m_line, "PROC"))
            return {};
        // Entries are read while the rest of the line holds a ";". A plain entry ends in one,
        // so the search is needed only where the plain form fails (at the line's end).
        std::string_view rest = m_line;
        readPlainDesignEntries(rest);
        while (holdsSemicolon(rest)) {
            TW_TRY(readDesignEntry(rest));
            readPlainDesignEntries(rest);
        }
    }
}

// The usual entries, " row  column  value;" in small whole numbers, and the ";" left at a
// line's end (the entry 0 0 0), read from the front of rest in one pass as readDesignEntry
// would read them; rest moves past them. readDesignEntry takes what follows.
void PimReader::readPlainDesignEntries(std::string_view& rest)
{
    DesignMatrix& dm = m_model.dm;
    const char* p = rest.data();
    const char* const end = p + rest.size();
    for (;;) {
        if (end - p == 1 && *p == ';') {
            dm.set(0, 0, 0);
            dm.setColUsed(0);
            rest = " ";
            return;
        }
        int row = 0;
        int col = 0;
        int value = 0;
        NumberScan scan(p);
        scan.skipBlanks();
        if (!scan.smallWhole(row) || row < 0 || scan.peek() != ' ')
            break;
        scan.skipBlanks();
        if (!scan.smallWhole(col) || col < 0 || scan.peek() != ' ')
            break;
        scan.skipBlanks();
        if (!scan.smallWhole(value) || scan.peek() != ';')
            break;
        // The value's token runs on to a blank, short of the last character.
        while (scan.p + 1 < end && *scan.p != ' ')
            ++scan.p;
        dm.set(row, col, value);
        dm.setColUsed(col);
        p = scan.p;
    }
    rest = std::string_view(p, static_cast<std::size_t>(end - p));
}

// One entry from the front of rest; rest becomes the text after its value (or " ").
Status PimReader::readDesignEntry(std::string_view& rest)
{
    std::size_t pos = 0;
    const auto row = designIndex(designToken(rest, pos), "row");
    if (!row)
        return row.error();
    const auto col = designIndex(designToken(rest, pos), "column");
    if (!col)
        return col.error();
    const std::string_view valueToken = designToken(rest, pos, rest.empty() ? 0 : rest.size() - 1);
    const auto value = fastDecimalValue(valueToken);
    if (!value)
        return error("the value \"" + std::string(valueToken) + "\" of a design entry is too large");
    m_model.dm.set(*row, *col, *value);
    m_model.dm.setColUsed(*col);
    rest = pos < rest.size() ? rest.substr(pos) : std::string_view(" ");
    return {};
}

Result<int> PimReader::designIndex(std::string_view token, const char* what) const
{
    if (int value = 0; smallWhole(token, value) && value >= 0)
        return value;
    const auto value = fastDecimalValue(token);
    if (!value || *value != std::floor(*value) || *value < 0 || *value > DesignMatrix::kMaxIndex)
        return error("the " + std::string(what) + " \"" + std::string(token) + "\" of a design entry is not "
                     "a whole number in 0..32767");
    return static_cast<int>(*value);
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
    TW_TRY(checkRegularFile(path));
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int error = errno;
        return makeError("cannot open the file: " + systemReason(error), fullPath(path));
    }
    return readPimModel(in, path, notes, progress);
}

}  // namespace tw
