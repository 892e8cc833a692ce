#include "pim/gridwriteback.h"

#include <cassert>

#include "model/model.h"
#include "model/textrules.h"

namespace tw {

WriteBackReport writeBackGrid(Model& model, const std::vector<int>& cellmap, const std::vector<std::string>& texts)
{
    assert(cellmap.size() == texts.size());
    WriteBackReport report;
    const int cells = static_cast<int>(model.pim.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const int cell = cellmap[i];
        if (cell < 1 || cell >= cells)
            continue;
        const auto value = decimalValue(texts[i]);
        const auto rounded = value ? roundToInt16(*value) : std::nullopt;
        if (!rounded) {
            report.outOfRangeCells.push_back(cell);
            continue;
        }
        const std::int16_t old = model.pim[cell];
        if (*rounded == old)
            continue;
        model.pim[cell] = *rounded;
        if (isFixedMarker(old) && !isFixedMarker(*rounded) && cell < static_cast<int>(model.initval.size()))
            model.initval[cell] = 0.0;
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

}  // namespace tw
