#include "pim/gridwriteback.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

#include "model/model.h"
#include "pim/gridentry.h"

namespace tw {

namespace {

// Stores one entry; whether the cell changed.
bool storeEntry(Model& model, int cell, const CellEntry& entry, const std::string& text)
{
    const auto index = static_cast<std::size_t>(cell);
    const std::int16_t old = model.pim[index];
    if (entry.kind == CellEntry::Kind::Fixed) {
        // A fixed value shown back as it was is no change, however its text rounds.
        if (isFixedMarker(old) && (model.initval[index] == entry.fixedAt || text == cellText(model, cell)))
            return false;
        model.pim[index] = fixedMarker(old);
        model.initval[index] = entry.fixedAt;
        return true;
    }
    if (entry.number == old)
        return false;
    model.pim[index] = entry.number;
    if (isFixedMarker(old) && !isFixedMarker(entry.number))
        model.initval[index] = 0.0;
    return true;
}

}  // namespace

WriteBackReport writeBackGrid(Model& model, const std::vector<int>& cellmap, const std::vector<std::string>& texts)
{
    assert(cellmap.size() == texts.size());
    WriteBackReport report;
    const int cells = static_cast<int>(std::min(model.pim.size(), model.initval.size()));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const int cell = cellmap[i];
        if (cell < 1 || cell >= cells)
            continue;
        const CellEntry entry = readCellEntry(texts[i]);
        if (entry.kind == CellEntry::Kind::OutOfRange) {
            report.outOfRangeCells.push_back(cell);
            continue;
        }
        if (storeEntry(model, cell, entry, texts[i]))
            report.changed = true;
    }
    if (report.changed)
        model.markChanged();
    return report;
}

std::string outOfRangeMessage(const std::vector<int>& cells)
{
    std::string list;
    for (int cell : cells) {
        if (!list.empty())
            list += ", ";
        list += std::to_string(cell);
    }
    const bool one = cells.size() == 1;
    return std::string(one ? "Cell " : "Cells ") + list + (one ? " reads" : " read")
        + " a number outside -32768..32767 and " + (one ? "keeps its" : "keep their") + " old parameter "
        + (one ? "number." : "numbers.");
}

std::vector<int> numbersHeldOutside(const Model& model, const std::vector<int>& windowCells,
                                    const std::vector<GridTexts>& otherWindows)
{
    std::vector<int> held(model.pim.begin(), model.pim.end());
    const auto inModel = [&held](int cell) { return cell >= 1 && cell < static_cast<int>(held.size()); };
    for (const GridTexts& window : otherWindows) {
        assert(window.cellmap && window.texts && window.cellmap->size() == window.texts->size());
        for (std::size_t i = 0; i < window.texts->size(); ++i) {
            const int cell = (*window.cellmap)[i];
            const CellEntry entry = readCellEntry((*window.texts)[i]);
            if (!inModel(cell) || entry.kind == CellEntry::Kind::OutOfRange)
                continue;  // the write-back would leave such a cell as it is
            held[static_cast<std::size_t>(cell)] = entry.kind == CellEntry::Kind::Fixed ? 0 : entry.number;
        }
    }
    for (int cell : windowCells)
        if (inModel(cell))
            held[static_cast<std::size_t>(cell)] = 0;
    std::vector<char> used(32768, 0);
    for (std::size_t cell = 1; cell < held.size(); ++cell)
        if (held[cell] > 0)
            used[static_cast<std::size_t>(held[cell])] = 1;
    std::vector<int> numbers;
    for (int number = 1; number < static_cast<int>(used.size()); ++number)
        if (used[static_cast<std::size_t>(number)])
            numbers.push_back(number);
    return numbers;
}

}  // namespace tw
