#include "model/pimreader.h"

#include <cassert>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <optional>

#include "model/atomicfile.h"
#include "model/lines.h"
#include "model/textrules.h"

namespace tw {

namespace {

constexpr int kMaxDimension = 32767;

// T1 of a text that is a plain decimal number: an optional sign and at most 15 digits
// with at most one decimal point, followed by nothing T1 would read on (the end, ";"
// and the like). Such a text is most of what a model file holds; the full rule takes the
// rest. The quotient of two exact doubles is rounded once, as the full rule rounds.
bool plainDecimalValue(std::string_view text, double& value)
{
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative || (!text.empty() && text[0] == '+'))
        ++i;
    long long whole = 0;
    int digits = 0;
    int decimals = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (++digits <= 15)
                whole = whole * 10 + (c - '0');
            decimals += point ? 1 : 0;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0 || digits > 15)
        return false;
    if (i < text.size()) {
        const char c = text[i];
        if (c == '.' || c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == ' ' || c == '\t' || c == '\n')
            return false;
    }
    const double magnitude = static_cast<double>(whole) / kPowersOfTen[decimals];
    value = negative ? -magnitude : magnitude;
    return true;
}

std::optional<double> tokenValue(std::string_view text)
{
    double value = 0;
    if (plainDecimalValue(text, value))
        return value;
    return decimalValue(text);
}

// A cursor over text that ends in a NUL byte (the text of a std::string), for the fast
// paths below, which take the usual PIM entries and design entries without the general
// rule. The NUL stops every scan, so no step compares against the end: these loops run
// once per character of the largest files. A NUL inside the text stops them early, and
// the general rule takes over from there.
struct Scan {
    const char* p;

    /// text must be followed by a NUL byte: text.data()[text.size()] == '\0'.
    explicit Scan(std::string_view text) : p(text.data()) { assert(text.data()[text.size()] == '\0'); }
    /// text runs on to a NUL byte.
    explicit Scan(const char* text) : p(text) {}
    char peek() const { return *p; }
    void skipBlanks()
    {
        while (*p == ' ')
            ++p;
    }
    /// An optional "-" and one to five digits within -32768..32767; false moves nothing.
    /// Callers check the character that follows.
    bool smallWhole(int& value)
    {
        const char* q = p;
        const bool negative = *q == '-';
        q += negative ? 1 : 0;
        // Each digit read shows that the next byte lies within the text or is its NUL.
        // Unrolled: a loop would pay a count and a test per digit.
        unsigned whole = digit(q[0]);
        if (whole > 9)
            return false;
        int digits = 1;
        if (unsigned d = digit(q[1]); d <= 9) {
            whole = whole * 10 + d;
            digits = 2;
            if (d = digit(q[2]); d <= 9) {
                whole = whole * 10 + d;
                digits = 3;
                if (d = digit(q[3]); d <= 9) {
                    whole = whole * 10 + d;
                    digits = 4;
                    if (d = digit(q[4]); d <= 9) {
                        whole = whole * 10 + d;
                        digits = 5;
                        if (digit(q[5]) <= 9)
                            return false;
                    }
                }
            }
        }
        if (whole > (negative ? 32768u : 32767u))
            return false;
        value = negative ? -static_cast<int>(whole) : static_cast<int>(whole);
        p = q + digits;
        return true;
    }

private:
    /// The digit's value; above 9 for any other byte.
    static unsigned digit(char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0'; }
};

// The whole text is a small whole number.
bool smallWhole(std::string_view text, int& value)
{
    const std::string terminated(text);  // tokens are views into a longer line
    Scan scan(terminated);
    return scan.smallWhole(value) && scan.p == terminated.data() + terminated.size();
}

// The tokens of a gathered block, with fast paths for small whole numbers and plain
// decimals (most of what a block holds). Reads the reader's block buffer in place, so
// the buffer is reused from block to block.
class BlockTokens {
public:
    /// block is the end of a std::string (the text before a NUL byte).
    explicit BlockTokens(std::string_view block)
        : m_tokens(block), m_cursor(block.data()), m_end(block.data() + block.size())
    {
    }

    std::optional<double> next()
    {
        if (double value = 0; nextPlainDecimal(value))
            return value;
        // Hand the text read by the fast paths over to the general rule, which reads one
        // token; the fast paths go on after it.
        m_tokens.skip(static_cast<std::size_t>(m_cursor - m_tokens.rest().data()));
        const auto value = tokenValue(m_tokens.nextToken());
        m_cursor = m_tokens.rest().data();
        return value;
    }

    /// Reads up to count tokens that are small whole numbers followed by a blank and more
    /// text, or the last followed by the block's closing ";", without the general rule:
    /// store(value) takes each. Stops short at the first token of another kind; returns
    /// the number read.
    template <class Store>
    long takeWholes(long count, Store&& store)
    {
        if (!m_cursor)
            return 0;
        const char* p = m_cursor;
        long done = 0;
        for (int value = 0; done < count; ++done) {
            Scan scan(p);
            if (!scan.smallWhole(value) || !passSeparator(scan.p))
                break;
            store(value);
            p = scan.p;
        }
        m_cursor = p;
        return done;
    }

private:
    // A plain decimal token (signed, with a decimal point: a fixed cell as the writers put
    // it) ending as takeWholes's tokens end, read as the general rule reads it.
    bool nextPlainDecimal(double& value)
    {
        if (!m_cursor)
            return false;
        const char* q = m_cursor;
        if (*q == '-' || *q == '+')
            ++q;
        while ((*q >= '0' && *q <= '9') || *q == '.')
            ++q;
        if (!plainDecimalValue(std::string_view(m_cursor, static_cast<std::size_t>(q - m_cursor)), value)
            || !passSeparator(q))
            return false;
        m_cursor = q;
        return true;
    }

    // At q, the end of a token read by a fast path: a blank with more text after it, or
    // the ";" that is the block's last character. Moves q past it (and the blanks after a
    // blank); false moves nothing. After the last token q stands at the end, where the
    // general rule reads every further value as 0, as it does once the block is used up.
    bool passSeparator(const char*& q) const
    {
        if (*q == ' ' && m_end - q >= 2) {
            ++q;
            while (*q == ' ')
                ++q;
            return true;
        }
        if (*q == ';' && q + 1 == m_end) {
            ++q;
            return true;
        }
        return false;
    }

    PimTokens m_tokens;
    const char* m_cursor;  // the place read up to; null once the block is used up
    const char* m_end;
};

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
    Status readKeywords();
    Status readDimension(std::string_view keyword, std::size_t position, std::size_t offset, int& value,
                         std::string_view captionName);
    Status readSecondaryPeriods(std::size_t position);
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
    bool m_nyrsSeen = false;
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
    while (!hasCohort(m_line)) {
        if (!nextLine(m_line))
            return m_lines.endedBefore("the COHORT line");
        TW_TRY(readKeywords());
    }
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
}

Status PimReader::readKeywords()
{
    if (auto p = keywordPosition(m_line, "NPAR", "npar"); p > 0) {
        m_caption.clear();
        m_nparLine = m_lines.lineNumber();
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
// a Status or taking the general number rule; storeEntry takes the rest, one at a time.
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
        Scan scan(p);
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
    const auto value = tokenValue(valueToken);
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
    const auto value = tokenValue(token);
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
    if (!in)
        return makeError("cannot open the file: " + std::string(std::strerror(errno)), path);
    return readPimModel(in, path, notes, progress);
}

}  // namespace tw
