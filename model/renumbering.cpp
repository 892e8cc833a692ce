#include "model/renumbering.h"

#include <algorithm>

namespace tw {

namespace {

constexpr int kIndexCount = DesignMatrix::kMaxIndex + 1;

bool inIndexRange(int value) { return value >= 1 && value <= DesignMatrix::kMaxIndex; }

// Where each row's entries start in the entries (sorted by row): row r runs from
// start[r] to start[r + 1]; rows beyond the last one held are empty.
std::vector<std::size_t> rowStarts(const std::vector<DesignMatrix::Entry>& entries)
{
    const std::size_t rows = entries.empty() ? 1 : static_cast<std::size_t>(entries.back().row) + 1;
    std::vector<std::size_t> start(rows + 1, 0);
    for (const auto& entry : entries)
        ++start[static_cast<std::size_t>(entry.row) + 1];
    for (std::size_t r = 1; r < start.size(); ++r)
        start[r] += start[r - 1];
    return start;
}

}  // namespace

Renumbering renumberingOfMap(const std::vector<int>& newNumberOf)
{
    Renumbering renumbering;
    int largest = 0;
    for (std::size_t p = 1; p < newNumberOf.size(); ++p)
        if (inIndexRange(newNumberOf[p]))
            largest = std::max(largest, newNumberOf[p]);
    renumbering.sources.assign(static_cast<std::size_t>(largest) + 1, 0);
    for (std::size_t p = 1; p < newNumberOf.size(); ++p) {
        const int q = newNumberOf[p];
        if (!inIndexRange(q))
            continue;
        renumbering.changesNumbers = renumbering.changesNumbers || q != static_cast<int>(p);
        if (int& source = renumbering.sources[static_cast<std::size_t>(q)]; source == 0)
            source = static_cast<int>(p);
    }
    return renumbering;
}

Renumbering renumberingOfCells(const std::vector<std::int16_t>& before, const std::vector<std::int16_t>& after)
{
    Renumbering renumbering;
    const std::size_t cells = std::min(before.size(), after.size());
    int largest = 0;
    for (std::size_t i = 1; i < cells; ++i)
        if (before[i] > 0)
            largest = std::max<int>(largest, after[i]);
    std::vector<int>& sources = renumbering.sources;
    sources.assign(static_cast<std::size_t>(largest) + 1, 0);
    for (std::size_t i = 1; i < cells; ++i)
        if (before[i] > 0 && before[i] == after[i])
            sources[static_cast<std::size_t>(after[i])] = after[i];
    for (std::size_t i = 1; i < cells; ++i) {
        const int p = before[i];
        const int q = after[i];
        if (p <= 0 || q <= 0 || p == q)
            continue;
        renumbering.changesNumbers = true;
        if (sources[static_cast<std::size_t>(q)] == 0)
            sources[static_cast<std::size_t>(q)] = p;
    }
    return renumbering;
}

void carryDesignRows(Model& model, const Renumbering& renumbering)
{
    if (!renumbering.changesNumbers)
        return;
    const std::vector<int>& sources = renumbering.sources;
    const DesignMatrix& old = model.dm;
    const std::vector<DesignMatrix::Entry>& entries = old.entries();
    const std::vector<std::size_t> start = rowStarts(entries);

    // The entries in their new rows, in row order and, within a row, in column order.
    std::vector<DesignMatrix::Entry> moved;
    moved.reserve(entries.size());
    std::vector<int> newColumn(kIndexCount, 0);
    int lastRow = 0;
    for (std::size_t q = 1; q < sources.size() && q <= DesignMatrix::kMaxIndex; ++q) {
        const int p = sources[q];
        if (!inIndexRange(p))
            continue;
        lastRow = static_cast<int>(q);
        const auto row = static_cast<std::size_t>(p);
        if (row + 1 >= start.size())
            continue;
        for (std::size_t e = start[row]; e < start[row + 1]; ++e) {
            const auto& entry = entries[e];
            if (entry.col < 1 || !old.colUsed(entry.col))
                continue;
            moved.push_back({static_cast<int>(q), entry.col, entry.value});
            newColumn[static_cast<std::size_t>(entry.col)] = 1;
        }
    }

    DesignMatrix carried;
    if (moved.empty()) {
        model.dm = std::move(carried);
        return;
    }
    int columns = 0;
    for (int& column : newColumn)
        if (column != 0)
            column = ++columns;
    carried.reserve(moved.size());
    for (const auto& entry : moved)
        carried.set(entry.row, newColumn[static_cast<std::size_t>(entry.col)], entry.value);
    for (int c = 1; c <= columns; ++c)
        carried.setColUsed(c);
    if (old.hasColumnNames()) {
        std::vector<std::string> names(static_cast<std::size_t>(columns));
        for (int c = 1; c < kIndexCount; ++c)
            if (newColumn[static_cast<std::size_t>(c)] != 0)
                names[static_cast<std::size_t>(newColumn[static_cast<std::size_t>(c)] - 1)] = old.columnName(c);
        carried.setColumnNames(std::move(names));
    }
    model.dm = std::move(carried);
    model.dmrows = lastRow;
    model.dmcols = columns;
}

}  // namespace tw
