#include "model/numbering.h"

#include <charconv>
#include <utility>

#include "model/atomicfile.h"
#include "model/renumbering.h"
#include "model/textrules.h"

namespace tw {

namespace {

// Calls the progress function only when the percentage changes.
class Progress {
public:
    explicit Progress(const NumberingProgress& report) : m_report(report) {}
    void operator()(long done, long total, int from, int span)
    {
        if (!m_report || total <= 0)
            return;
        const int percent = from + static_cast<int>(span * done / total);
        if (percent != m_last) {
            m_last = percent;
            m_report(percent);
        }
    }

private:
    const NumberingProgress& m_report;
    int m_last = -1;
};

struct Phase3Cells {
    std::vector<int> head;  // first cell holding each positive number after phase 1
    std::vector<int> next;  // next cell of the same number (0 ends)
};

// Cell lists per positive POINT number, so that renumbering a parameter visits only
// its own cells.
Phase3Cells cellsByNumber(const std::vector<int>& point, int npar)
{
    Phase3Cells cells{std::vector<int>(static_cast<std::size_t>(npar) + 1, 0),
                      std::vector<int>(static_cast<std::size_t>(npar) + 1, 0)};
    for (int c = npar; c >= 1; --c) {
        const int value = point[static_cast<std::size_t>(c)];
        if (value <= 0)
            continue;
        cells.next[static_cast<std::size_t>(c)] = cells.head[static_cast<std::size_t>(value)];
        cells.head[static_cast<std::size_t>(value)] = c;
    }
    return cells;
}

// Phase 3: fixed cells in the first npar - F positions trade places with estimated
// cells from the back. Once a search for an estimated cell has run off the end, every
// later search would too (back cells never stop being fixed here), so it is not repeated.
int sendFixedCellsBack(std::vector<int>& point, std::vector<int>& labels, int npar, int fixedCount,
                       Progress& progress)
{
    const Phase3Cells cells = cellsByNumber(point, npar);
    int events = 0;
    int w = npar - fixedCount;
    bool exhausted = false;
    const int front = npar - fixedCount;
    for (int i = 1; i <= front; ++i) {
        progress(i, front, 33, 33);
        if (point[static_cast<std::size_t>(i)] != -i)
            continue;
        ++w;
        int m = w;
        if (!exhausted) {
            while (m <= npar && point[static_cast<std::size_t>(m)] == -m)
                ++m;
            exhausted = m > npar;
        }
        if (exhausted) {
            ++events;
            continue;
        }
        w = m;
        std::swap(labels[static_cast<std::size_t>(i)], labels[static_cast<std::size_t>(w)]);
        point[static_cast<std::size_t>(i)] = -w;
        if (point[static_cast<std::size_t>(w)] != w)
            continue;
        for (int c = cells.head[static_cast<std::size_t>(w)]; c != 0; c = cells.next[static_cast<std::size_t>(c)])
            if (point[static_cast<std::size_t>(c)] == w)
                point[static_cast<std::size_t>(c)] = i;
    }
    return events;
}

// Phase 4: closes the gaps between the positive numbers for 1..nparms, keeping their
// order. Each gap closed moves the labels after it down one place (the last keeps
// its text); that is done in one pass. The phase ends at the first number that no
// cell holds when no higher number is held either; nparms then counts those found.
void closeGaps(std::vector<int>& point, std::vector<int>& labels, int npar, int& nparms)
{
    std::vector<int> rank(static_cast<std::size_t>(npar) + 1, 0);
    for (int c = 1; c <= npar; ++c)
        if (point[static_cast<std::size_t>(c)] > 0)
            rank[static_cast<std::size_t>(point[static_cast<std::size_t>(c)])] = 1;
    std::vector<int> held;  // the numbers held, ascending
    for (int v = 1; v <= npar; ++v)
        if (rank[static_cast<std::size_t>(v)])
            held.push_back(v);
    const int found = static_cast<int>(held.size());
    const int closed = std::min(found, nparms);
    if (closed < nparms)
        nparms = closed;
    const int lastClosed = closed > 0 ? held[static_cast<std::size_t>(closed) - 1] : 0;
    const int shift = lastClosed - closed;  // gaps closed below lastClosed
    for (int r = 1; r <= found; ++r)
        rank[static_cast<std::size_t>(held[static_cast<std::size_t>(r) - 1])] = r <= closed ? r : held[static_cast<std::size_t>(r) - 1] - shift;
    for (int c = 1; c <= npar; ++c) {
        int& value = point[static_cast<std::size_t>(c)];
        if (value > 0)
            value = rank[static_cast<std::size_t>(value)];
    }
    if (shift == 0)
        return;
    std::vector<int> moved(labels.size());
    for (int p = 1; p <= npar; ++p) {
        std::size_t from;
        if (p <= closed)
            from = static_cast<std::size_t>(held[static_cast<std::size_t>(p) - 1]);
        else if (p + shift <= npar)
            from = static_cast<std::size_t>(p + shift);
        else
            from = static_cast<std::size_t>(npar);
        moved[static_cast<std::size_t>(p)] = labels[from];
    }
    labels = std::move(moved);
}

}  // namespace

namespace {

// Appends a whole number right-aligned in a field of five characters (wider numbers
// in full), with a blank in place of the sign of a number that is not negative.
void appendField(std::string& line, int value, bool signPosition)
{
    char digits[16];
    auto [end, error] = std::to_chars(digits, digits + sizeof digits, value < 0 ? -static_cast<long>(value) : value);
    (void)error;
    std::size_t width = static_cast<std::size_t>(end - digits);
    if (signPosition)
        ++width;
    if (width < 5)
        line.append(5 - width, ' ');
    if (signPosition)
        line += value < 0 ? '-' : ' ';
    line.append(digits, end);
}

}  // namespace

void appendCheckListingLine(std::string& line, int cell, int point, int pim, std::string_view label)
{
    appendField(line, cell, false);
    line += ' ';
    appendField(line, point, true);
    line += ' ';
    appendField(line, pim, true);
    line += ' ';
    if (point > 0)
        line += label;
    line += "\r\n";
}

NumberingResult computePointNumbering(Model& model, const NumberingProgress& report)
{
    const int npar = std::max(model.npar, 0);
    NumberingResult result;
    std::vector<int>& point = result.point;
    point.assign(static_cast<std::size_t>(npar) + 2, 0);
    model.pim.resize(static_cast<std::size_t>(npar) + 1, 0);
    // The copy of the labels that the exchanges and moves act on, kept as the cell each
    // label comes from.
    std::vector<int> labels(static_cast<std::size_t>(npar) + 1);
    for (int i = 0; i <= npar; ++i)
        labels[static_cast<std::size_t>(i)] = i;
    auto labelText = [&](int position) -> std::string_view {
        const auto cell = static_cast<std::size_t>(labels[static_cast<std::size_t>(position)]);
        return std::string_view(model.labels[cell]);
    };
    Progress progress(report);

    // Phase 1: every estimated cell carries the number of the first cell of its parameter.
    std::vector<int> firstCell(32768, 0);
    int tied = 0;
    int fixedCount = 0;
    for (int i = 1; i <= npar; ++i) {
        progress(i, npar, 0, 33);
        const int p = model.pim[static_cast<std::size_t>(i)];
        if (p <= 0) {
            point[static_cast<std::size_t>(i)] = -i;
            ++fixedCount;
            continue;
        }
        int& first = firstCell[static_cast<std::size_t>(p)];
        if (first != 0) {
            point[static_cast<std::size_t>(i)] = point[static_cast<std::size_t>(first)];
            ++tied;
        } else {
            first = i;
            point[static_cast<std::size_t>(i)] = i;
        }
    }

    // Phase 2: the fixings of the fixed list.
    for (const std::string& entry : model.fixedlist)
        if (const int c = listedCell(entry, npar); c != 0)
            point[static_cast<std::size_t>(c)] = -c;

    int nparms = npar - tied - fixedCount;
    if (fixedCount > 0)
        result.allFixedEvents = sendFixedCellsBack(point, labels, npar, fixedCount, progress);
    if (tied > 0)
        closeGaps(point, labels, npar, nparms);

    // Phase 5: store and list. Each estimated cell ties its new number to the parameter it
    // had, so that the design rows can follow (a cell only the list fixes ties nothing).
    Renumbering renumbering;
    renumbering.sources.assign(static_cast<std::size_t>(npar) + 1, 0);
    result.listing.reserve(static_cast<std::size_t>(npar) * 32);
    for (int i = 1; i <= npar; ++i) {
        const int value = point[static_cast<std::size_t>(i)];
        auto& pim = model.pim[static_cast<std::size_t>(i)];
        if (value > 0) {
            if (int& source = renumbering.sources[static_cast<std::size_t>(value)]; source == 0)
                source = pim;
            renumbering.changesNumbers = renumbering.changesNumbers || pim != value;
            pim = static_cast<std::int16_t>(value);
        }
        appendCheckListingLine(result.listing, i, value, pim, value > 0 ? labelText(value) : std::string_view());
    }
    carryDesignRows(model, renumbering);
    progress(99, 99, 0, 99);
    model.nparms = nparms;
    return result;
}

int listedCell(const std::string& entry, int npar)
{
    const auto value = decimalValue(textFrom(entry, 3));
    if (!value || *value < 1 || *value > npar || *value != static_cast<double>(static_cast<int>(*value)))
        return 0;
    return static_cast<int>(*value);
}

Status saveCheckListing(const std::string& listing, const std::string& path, const std::vector<std::string>& inputs)
{
    TW_TRY(checkFixedNameFile(path, inputs));
    return saveAtomically(path, [&](std::ostream& out) -> Status {
        out.write(listing.data(), static_cast<std::streamsize>(listing.size()));
        return {};
    });
}

}  // namespace tw
