#pragma once
// The data of the PIM chart: one row per PIM block in file order, with the runs of
// consecutive parameter numbers its estimated cells hold, its fixed and special cells,
// and which other blocks share a parameter with it. Built in one pass over the cells
// through a map from parameter number to the blocks holding it, never block by block.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/result.h"
#include "pim/pimblocks.h"

namespace tw {

/// Consecutive parameter numbers first..last, all held by one block.
struct NumberRun {
    int first = 0;
    int last = 0;
    bool operator==(const NumberRun&) const = default;
};

struct ChartRow {
    PimBlock block;
    std::string label;           // blockLabel(block)
    std::vector<NumberRun> runs; // ascending; a block holding 1-4 and 9 has two
    int fixedCells = 0;          // cells fixed at a value
    int specialCells = 0;        // cells holding 0, -1 or -2
    int sharingCount = 0;        // how many other rows hold one of its numbers (sharingRows lists them)
};

/// For each parameter number, the rows (block indices) whose cells hold it, ascending.
class ParameterBlocks {
public:
    ParameterBlocks() = default;
    ParameterBlocks(std::vector<int> start, std::vector<int> blocks) : m_start(std::move(start)), m_blocks(std::move(blocks)) {}
    /// The rows holding number p; empty for a number no cell holds.
    std::span<const int> of(int p) const;
    /// Number of rows holding p.
    int count(int p) const;
    /// The largest number that can have rows (0 when none).
    int largest() const { return m_start.empty() ? 0 : static_cast<int>(m_start.size()) - 2; }

private:
    std::vector<int> m_start;   // rows of p run over m_blocks[m_start[p] .. m_start[p + 1])
    std::vector<int> m_blocks;
};

struct ChartData {
    std::vector<ChartRow> rows;
    ParameterBlocks blocksOf;  // which rows hold each parameter number
    int largestNumber = 0;     // the largest parameter number any block holds
};

/// The chart of the model. Linear in its cells; counting the sharing adds the numbers
/// held times the rows / 64.
ChartData buildChartData(const Model& model);

/// The rows other than skip that hold at least one of the numbers first..last, ascending
/// (the blocks a bar shares its numbers with). Costs the holdings of those numbers.
std::vector<int> rowsHoldingAny(const ChartData& chart, int first, int last, int skip = -1);

/// The other rows that hold at least one of the numbers of row, ascending.
std::vector<int> sharingRows(const ChartData& chart, int row);

/// "1-4,9": the runs, a run of one number written alone; empty when there are none.
std::string runsText(const std::vector<NumberRun>& runs);

/// One tab-separated line per block in file order, each ended by a line feed: label,
/// cells, fixed and special cells, runs of the estimated cells' numbers (runsText), and
/// how many other blocks share a number with it.
std::string describeBlocks(const Model& model);

/// The file formats a chart is written in.
enum class ChartFormat : std::uint8_t { Png, Pdf };

/// The format a file's name asks for by its ending, ".png" or ".pdf" in any case; an
/// error for any other name.
Result<ChartFormat> chartFormatOf(const std::string& file);

}  // namespace tw
