#include "pim/chartdata.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdint>

namespace tw {

namespace {

// One bit per row.
class RowSet {
public:
    explicit RowSet(std::size_t rows) : m_words((rows + 63) / 64, 0) {}
    std::size_t words() const { return m_words.size(); }
    void add(int row) { m_words[static_cast<std::size_t>(row) / 64] |= std::uint64_t{1} << (row % 64); }
    /// Adds the rows of another set's words.
    void addAll(const std::uint64_t* words)
    {
        for (std::size_t w = 0; w < m_words.size(); ++w)
            m_words[w] |= words[w];
    }
    const std::uint64_t* data() const { return m_words.data(); }
    int size() const
    {
        int count = 0;
        for (std::uint64_t word : m_words)
            count += std::popcount(word);
        return count;
    }
    void clear() { std::fill(m_words.begin(), m_words.end(), 0); }

private:
    std::vector<std::uint64_t> m_words;
};

struct Holding {
    int number;
    int row;
};

// Counts each block's fixed and special cells and lists (number, row) once for each
// number a row holds, row by row.
std::vector<Holding> holdings(const Model& model, std::vector<ChartRow>& rows, int& largest)
{
    std::vector<Holding> held;
    std::vector<int> lastRow(DesignMatrix::kMaxIndex + 1, -1);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        ChartRow& row = rows[r];
        for (int cell : row.block.cells) {
            const std::int16_t value = model.pim[static_cast<std::size_t>(cell)];
            if (isFixedMarker(value)) {
                ++row.fixedCells;
            } else if (isSpecialValue(value)) {
                ++row.specialCells;
            } else if (int& last = lastRow[static_cast<std::size_t>(value)]; last != static_cast<int>(r)) {
                last = static_cast<int>(r);
                held.push_back({value, static_cast<int>(r)});
                largest = std::max<int>(largest, value);
            }
        }
    }
    return held;
}

// Sorts the holdings by number, keeping the rows of each number ascending.
ParameterBlocks parameterBlocks(const std::vector<Holding>& held, int largest)
{
    std::vector<int> start(static_cast<std::size_t>(largest) + 2, 0);
    for (const Holding& h : held)
        ++start[static_cast<std::size_t>(h.number) + 1];
    for (std::size_t p = 1; p < start.size(); ++p)
        start[p] += start[p - 1];
    std::vector<int> next(start.begin(), start.end() - 1);
    std::vector<int> blocks(held.size());
    for (const Holding& h : held)
        blocks[static_cast<std::size_t>(next[static_cast<std::size_t>(h.number)]++)] = h.row;
    return ParameterBlocks(std::move(start), std::move(blocks));
}

void addRuns(std::vector<ChartRow>& rows, const ParameterBlocks& blocksOf)
{
    for (int p = 1; p <= blocksOf.largest(); ++p)
        for (int r : blocksOf.of(p)) {
            std::vector<NumberRun>& runs = rows[static_cast<std::size_t>(r)].runs;
            if (!runs.empty() && runs.back().last == p - 1)
                runs.back().last = p;
            else
                runs.push_back({p, p});
        }
}

// A row's sharing is the union of the rows of its numbers. A number held by many rows
// adds them as one set of bits, built once; one held by few adds them one by one. The cost
// follows the numbers held times at most rows / 64, and the sets take no more words than
// there are holdings; no list of pairs of rows is made (a model of thousands of one-cell
// blocks all holding one number would have millions).
void countSharing(std::vector<ChartRow>& rows, const ParameterBlocks& blocksOf)
{
    RowSet shared(rows.size());
    const std::size_t words = shared.words();
    const int many = std::max<int>(2, static_cast<int>(words));
    std::vector<std::size_t> setOf(static_cast<std::size_t>(blocksOf.largest()) + 1, 0);
    std::vector<std::uint64_t> sets;
    for (int p = 1; p <= blocksOf.largest(); ++p) {
        if (blocksOf.count(p) < many)
            continue;
        shared.clear();
        for (int r : blocksOf.of(p))
            shared.add(r);
        setOf[static_cast<std::size_t>(p)] = sets.size() + 1;
        sets.insert(sets.end(), shared.data(), shared.data() + words);
    }
    for (ChartRow& row : rows) {
        shared.clear();
        for (const NumberRun& run : row.runs)
            for (int p = run.first; p <= run.last; ++p) {
                if (const std::size_t set = setOf[static_cast<std::size_t>(p)]; set != 0)
                    shared.addAll(sets.data() + set - 1);
                else
                    for (int r : blocksOf.of(p))
                        shared.add(r);
            }
        row.sharingCount = std::max(shared.size() - 1, 0);
    }
}

}  // namespace

std::span<const int> ParameterBlocks::of(int p) const
{
    if (p < 1 || p > largest())
        return {};
    return std::span<const int>(m_blocks).subspan(static_cast<std::size_t>(m_start[static_cast<std::size_t>(p)]),
                                                  static_cast<std::size_t>(count(p)));
}

int ParameterBlocks::count(int p) const
{
    if (p < 1 || p > largest())
        return 0;
    return m_start[static_cast<std::size_t>(p) + 1] - m_start[static_cast<std::size_t>(p)];
}

ChartData buildChartData(const Model& model)
{
    ChartData chart;
    std::vector<PimBlock> blocks = pimBlocks(model);
    chart.rows.resize(blocks.size());
    for (std::size_t r = 0; r < blocks.size(); ++r) {
        chart.rows[r].label = blockLabel(blocks[r]);
        chart.rows[r].block = std::move(blocks[r]);
    }
    const std::vector<Holding> held = holdings(model, chart.rows, chart.largestNumber);
    chart.blocksOf = parameterBlocks(held, chart.largestNumber);
    addRuns(chart.rows, chart.blocksOf);
    countSharing(chart.rows, chart.blocksOf);
    return chart;
}

std::vector<int> rowsHoldingAny(const ChartData& chart, int first, int last, int skip)
{
    std::vector<char> seen(chart.rows.size(), 0);
    std::vector<int> rows;
    for (int p = std::max(first, 1); p <= std::min(last, chart.blocksOf.largest()); ++p)
        for (int r : chart.blocksOf.of(p))
            if (r != skip && !seen[static_cast<std::size_t>(r)]) {
                seen[static_cast<std::size_t>(r)] = 1;
                rows.push_back(r);
            }
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<int> sharingRows(const ChartData& chart, int row)
{
    std::vector<char> seen(chart.rows.size(), 0);
    std::vector<int> rows;
    for (const NumberRun& run : chart.rows[static_cast<std::size_t>(row)].runs)
        for (int p = run.first; p <= run.last; ++p)
            for (int r : chart.blocksOf.of(p))
                if (r != row && !seen[static_cast<std::size_t>(r)]) {
                    seen[static_cast<std::size_t>(r)] = 1;
                    rows.push_back(r);
                }
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::string runsText(const std::vector<NumberRun>& runs)
{
    std::string text;
    for (const NumberRun& run : runs) {
        if (!text.empty())
            text += ',';
        text += std::to_string(run.first);
        if (run.last != run.first)
            text += '-' + std::to_string(run.last);
    }
    return text;
}

std::string describeBlocks(const Model& model)
{
    const ChartData chart = buildChartData(model);
    std::string text;
    for (const ChartRow& row : chart.rows)
        text += row.label + '\t' + std::to_string(row.block.cells.size()) + '\t'
            + std::to_string(row.fixedCells + row.specialCells) + '\t' + runsText(row.runs) + '\t'
            + std::to_string(row.sharingCount) + '\n';
    return text;
}

Result<ChartFormat> chartFormatOf(const std::string& file)
{
    std::string ending = file.size() >= 4 ? file.substr(file.size() - 4) : std::string();
    for (char& c : ending)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ending == ".png")
        return ChartFormat::Png;
    if (ending == ".pdf")
        return ChartFormat::Pdf;
    return makeError("A chart is saved as PNG or PDF: the file name must end in .png or .pdf.", file);
}

}  // namespace tw
