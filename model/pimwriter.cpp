#include "model/pimwriter.h"

#include <cmath>
#include <cstring>
#include <sstream>

#include "model/atomicfile.h"
#include "model/bufferedoutput.h"
#include "model/lines.h"
#include "model/pimreader.h"
#include "model/renumbering.h"
#include "model/textrules.h"

namespace tw {

namespace {

std::string bare(long value) { return std::to_string(value); }

// A design value: bare text when positive, signed text (with its "-") when negative.
void putDesignValue(BufferedOutput& out, double value)
{
    // Most values are whole numbers (exact below 1E15, as the general form prints them),
    // printed without the digit analysis of signedText.
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        out.putWhole(static_cast<long long>(value));
        return;
    }
    const std::string text = signedText(value);
    out.put(std::string_view(text).substr(value > 0 ? 1 : 0));
}

long secondaryPeriods(const Model& m, long t)
{
    return t < static_cast<long>(m.secpers.size()) ? static_cast<long>(m.secpers[t]) : 0;
}

// Number of cells the blocks of the model address: they run 1..count.
long blockCellCount(const Model& m)
{
    const long nint = std::max(m.nyrs - 1, 0);
    const long ns = m.nstrat;
    long closed = 0;
    for (long t = 1; t <= m.nyrs; ++t)
        closed += secondaryPeriods(m, t);
    return static_cast<long>(m.groups) * m.nage * ns * ns * nint + ns * m.nage * nint + ns * m.nage * closed;
}

// The head copied must lead a reader to the blocks written after it: it must hold the
// COHORT line that ends the model statement, and no line from there on may hold "pim",
// which a reader would take for the start of the PIM section.
class HeadCheck {
public:
    explicit HeadCheck(const std::string& name) : m_name(name) {}
    void line(std::string_view text, int number)
    {
        if (!m_cohortSeen)
            m_cohortSeen = contains(text, "cohort") || contains(text, "COHORT");
        if (m_cohortSeen && m_pimLine == 0 && contains(text, "pim"))
            m_pimLine = number;
    }
    Status end(int endLine) const
    {
        if (!m_cohortSeen)
            return makeError("the head of the input file ends before a line containing \"COHORT\", so the saved file "
                             "could not be read; the model cannot be saved with PIMs",
                             m_name, endLine);
        if (m_pimLine > 0)
            return makeError("this line of the head holds \"pim\", which a reader of the saved file would take for "
                             "the start of the PIM section, so the model cannot be saved with PIMs",
                             m_name, m_pimLine);
        return {};
    }

private:
    const std::string& m_name;
    bool m_cohortSeen = false;
    int m_pimLine = 0;
};

class BlockWriter {
public:
    BlockWriter(Model& model, BufferedOutput& out, const WriteProgress& progress)
        : m(model), m_out(out), m_progress(progress), m_total(blockCellCount(model))
    {
    }

    void write();

private:
    void transitionEntry(long cell);
    void captureEntry(long cell);
    const std::string& fixedText(long cell);
    void cellDone();
    void writeTransitionRows(long g, long s1, long s2);
    void writeDesign();
    void line(std::string_view text) { m_out.line(text); }
    void endLine() { m_out.endLine(); }

    Model& m;
    BufferedOutput& m_out;
    // Fixed cells mostly share a value: its signed text is kept to spare the digit analysis.
    double m_fixedValue = 0;
    std::string m_fixedText = signedText(0);
    const WriteProgress& m_progress;
    long m_total;
    long m_done = 0;
    int m_percent = -1;
    int m_maxp = 0;
};

void BlockWriter::cellDone()
{
    ++m_done;
    if (!m_progress || m_total <= 0)
        return;
    const int percent = static_cast<int>(m_done * 100 / m_total);
    if (percent != m_percent) {
        m_percent = percent;
        m_progress(percent);
    }
}

// The signed text of minus a fixed cell's value.
const std::string& BlockWriter::fixedText(long cell)
{
    const double value = -m.initval[static_cast<std::size_t>(cell)];
    if (value != m_fixedValue) {
        m_fixedValue = value;
        m_fixedText = signedText(value);
    }
    return m_fixedText;
}

// Survival and movement: a fixed cell is a blank and the signed text of minus its value.
void BlockWriter::transitionEntry(long cell)
{
    const int value = m.pim[static_cast<std::size_t>(cell)];
    m_out.put(' ');
    if (value == -1 || value == -2) {
        m_out.putWhole(value);
    } else if (value < 0) {
        m_out.put(fixedText(cell));
    } else {
        m_out.putWhole(value);
        m_maxp = std::max(m_maxp, value);
    }
    cellDone();
}

// Capture blocks: always exactly one blank before the number.
void BlockWriter::captureEntry(long cell)
{
    const int value = m.pim[static_cast<std::size_t>(cell)];
    if (value < -2) {
        const std::string& text = fixedText(cell);
        if (text[0] != ' ')
            m_out.put(' ');
        m_out.put(text);
    } else {
        m_out.put(' ');
        m_out.putWhole(value);
    }
    m_maxp = std::max(m_maxp, value);
    cellDone();
}

void BlockWriter::writeTransitionRows(long g, long s1, long s2)
{
    const long ns = m.nstrat;
    const long nint = m.nyrs - 1;
    for (long a = 1; a <= m.nage; ++a) {
        for (long t = 1; t <= nint; ++t)
            transitionEntry(s2 + ns * (s1 - 1) + ns * ns * (t - 1) + ns * ns * nint * (a - 1)
                            + ns * ns * nint * m.nage * (g - 1));
        endLine();
    }
    line(";");
}

void BlockWriter::write()
{
    const long ns = m.nstrat;
    line("PIM;");
    for (long g = 1; g <= m.groups; ++g)
        for (long s = 1; s <= ns; ++s) {
            line("SRV(" + (m.groups > 1 ? bare(g) : std::string()) + bare(s) + ");");
            writeTransitionRows(g, s, s);
        }
    for (long s1 = 1; s1 <= ns; ++s1)
        for (long s2 = 1; s2 <= ns; ++s2) {
            if (s1 == s2)
                continue;
            // With several groups every group's block has its own heading, as the reader
            // expects a heading before each.
            for (long g = 1; g <= m.groups; ++g) {
                const std::string group = m.groups > 1 ? bare(g) + "," : std::string();
                line("PSI(" + group + bare(s1) + "-" + bare(s2) + ");");
                writeTransitionRows(g, s1, s2);
            }
        }

    long cell = static_cast<long>(m.groups) * m.nage * ns * ns * std::max(m.nyrs - 1, 0);
    for (long s = 1; s <= ns; ++s) {
        line("P(" + bare(s) + ");");
        for (long a = 1; a <= m.nage; ++a) {
            for (long t = 1; t <= m.nyrs - 1; ++t)
                captureEntry(++cell);
            endLine();
        }
        line(";");
    }
    for (long s = 1; s <= ns; ++s) {
        line("CP(" + bare(s) + ");");
        for (long a = 1; a <= m.nage; ++a) {
            for (long t = 1; t <= m.nyrs; ++t) {
                for (long j = 1; j <= secondaryPeriods(m, t); ++j)
                    captureEntry(++cell);
                m_out.put(' ');
            }
            endLine();
        }
        line(";");
    }
    m.nparms = m_maxp;
    writeDesign();
    line(m.proctest);
    line("PROC STOP;");
}

void BlockWriter::writeDesign()
{
    if (m.dmrows > m_maxp || m.dmrows == 0) {
        m.dmrows = m_maxp;
        m.dmcols = m_maxp;
    }
    line("DESIGN " + printText(m.dmrows) + " " + printText(m.dmcols) + " ONEDIGIT;");
    int onLine = 0;
    for (const auto& [r, c, value] : m.dm.entries()) {
        if (r < 1 || r > m.dmrows || c < 1 || c > m.dmcols || !m.dm.colUsed(c) || value == 0)
            continue;
        if (++onLine > 5) {
            endLine();
            onLine = 1;
        }
        // " r  c  value;": row and column in print text, then a blank.
        m_out.put(' ');
        m_out.putWhole(r);
        m_out.put(' ');
        m_out.put(' ');
        m_out.putWhole(c);
        m_out.put(' ');
        m_out.put(' ');
        putDesignValue(m_out, value);
        m_out.put(';');
    }
    endLine();
}

}  // namespace

Status renumberParameters(Model& model)
{
    const int npar = model.npar;
    std::vector<int> table(static_cast<std::size_t>(std::max(npar, 0)) + 1, 0);
    int maxp = 0;
    for (int i = 1; i <= npar && i < static_cast<int>(model.pim.size()); ++i) {
        const int p = model.pim[i];
        if (p <= 0)
            continue;
        if (p > npar)
            return makeError("Cell " + bare(i) + " holds parameter " + bare(p) + ", above NPAR=" + bare(npar) + ".");
        maxp = std::max(maxp, p);
        table[p] = i;
    }
    // table[p] becomes p's new number, 0 for numbers no cell holds.
    int count = 0;
    for (int p = 1; p <= maxp; ++p)
        table[p] = table[p] > 0 ? ++count : 0;
    for (int i = 1; i <= npar && i < static_cast<int>(model.pim.size()); ++i)
        if (model.pim[i] > 0)
            model.pim[i] = static_cast<std::int16_t>(table[model.pim[i]]);
    carryDesignRows(model, renumberingOfMap(table));
    return {};
}

Status checkPimWritable(const Model& model)
{
    const long cells = blockCellCount(model);
    const long npar = std::min<long>(model.npar, static_cast<long>(model.pim.size()) - 1);
    if (cells > npar)
        return makeError("Cell " + bare(std::max(npar, 0L) + 1) + " of the PIM blocks lies outside 1.."
                         + bare(model.npar) + ": the dimensions need " + bare(cells) + " cells.");
    for (long i = 1; i <= model.npar && i <= npar; ++i)
        if (model.pim[i] > model.npar)
            return makeError("Cell " + bare(i) + " holds parameter " + bare(model.pim[i]) + ", above NPAR="
                             + bare(model.npar) + ".");
    for (long i = 1; i <= cells; ++i) {
        const auto index = static_cast<std::size_t>(i);
        if (isFixedMarker(model.pim[index]) && model.initval[index] < 0)
            return makeError("Cell " + bare(i) + " is fixed at a negative value (" + signedText(model.initval[index])
                             + "), which the PIM form cannot hold.");
    }
    return {};
}

Status writePimModel(Model& model, std::ostream& out, const WriteProgress& progress)
{
    TW_TRY(checkPimWritable(model));
    const FileHead& fileHead = model.head;
    HeadCheck head(model.infile);
    BufferedOutput output(out);
    const std::size_t searchStart = headSearchStart(fileHead.lines);
    int number = 0;
    for (const std::string& line : fileHead.lines) {
        ++number;
        if (static_cast<std::size_t>(number) > searchStart && endsPimHead(line)) {
            TW_TRY(head.end(number));
            TW_TRY(renumberParameters(model));
            BlockWriter(model, output, progress).write();
            output.flush();
            if (!out)
                return makeError("writing failed");
            return {};
        }
        head.line(line, number);
        output.line(line);
    }
    output.flush();  // the head copied so far, as a line-by-line writer leaves it
    if (fileHead.cutByLongLine)
        return LineReader::tooLongError(model.infile, number + 1);
    return makeError("no line of the input file contains \"PIM;\", \"constraint\" or \"CONSTRAINT\" to end "
                     "its head (a line written \"pim;\" is not recognised), so the model cannot be saved "
                     "with PIMs",
                     model.infile, number);
}

namespace {

// What the PIM form says of a cell: its parameter number, its special value, or the
// value it is fixed at (fixed at 0, 1 or 2 it reads back as the special value 0, -1, -2).
std::string cellMeaning(const Model& m, std::size_t cell)
{
    const int value = m.pim[cell];
    if (!isFixedMarker(value))
        return std::to_string(value);
    const double fixed = m.initval[cell];
    if (fixed == 0 || fixed == 1 || fixed == 2)
        return std::to_string(static_cast<int>(-fixed));
    return "fixed at" + signedText(fixed);
}

}  // namespace

Status checkPimReadsBack(const Model& written, const std::string& text, const std::string& target)
{
    std::istringstream in(text);
    const Result<Model> read = readPimModel(in, target);
    const std::string refused = "the saved file would not read back as this model (";
    const std::string nothing = "); nothing was written";
    if (!read)
        return makeError(refused + read.error().text() + nothing, target);
    const Model& back = read.value();
    if (back.npar != written.npar || back.nage != written.nage || back.groups != written.groups
        || back.nyrs != written.nyrs || back.nstrat != written.nstrat || back.totsec != written.totsec)
        return makeError(refused + "the head states other dimensions" + nothing, target);
    const auto cells = static_cast<std::size_t>(std::min<long>(blockCellCount(written), written.npar));
    for (std::size_t cell = 1; cell <= cells; ++cell)
        if (cellMeaning(back, cell) != cellMeaning(written, cell))
            return makeError(refused + "cell " + std::to_string(cell) + " reads back as "
                                 + cellMeaning(back, cell) + ", not " + cellMeaning(written, cell) + nothing,
                             target);
    return {};
}

Status savePimFile(Model& model, const std::string& target, const WriteProgress& progress)
{
    if (sameFile(target, model.infile))
        return makeError("Input & Output filenames (" + model.infile + ") must be different!");
    // The writer changes only these fields; keep them to put back if the save fails
    // (cheaper than copying the whole model).
    auto pim = model.pim;
    auto dm = model.dm;
    const int nparms = model.nparms;
    const double dmrows = model.dmrows;
    const int dmcols = model.dmcols;
    const Status saved = saveAtomically(target, [&](std::ostream& out) -> Status {
        std::ostringstream text;
        TW_TRY(writePimModel(model, text, progress));
        TW_TRY(checkPimReadsBack(model, text.str(), target));
        out << text.str();
        return {};
    });
    if (!saved) {
        model.pim = std::move(pim);
        model.dm = std::move(dm);
        model.nparms = nparms;
        model.dmrows = dmrows;
        model.dmcols = dmcols;
        return saved;
    }
    model.unsaved = false;
    return {};
}

}  // namespace tw
