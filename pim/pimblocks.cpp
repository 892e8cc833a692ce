#include "pim/pimblocks.h"

#include <algorithm>

namespace tw {

namespace {

long secondaryPeriods(const Model& m, int t)
{
    return t < static_cast<int>(m.secpers.size()) ? static_cast<long>(m.secpers[static_cast<std::size_t>(t)]) : 0;
}

long closedColumns(const Model& m)
{
    long columns = 0;
    for (int t = 1; t <= m.nyrs; ++t)
        columns += secondaryPeriods(m, t);
    return columns;
}

// The cells of all blocks run 1..this count (in floating point: the dimensions of a
// model that does not fit could overflow a whole number).
double cellsOfBlocks(const Model& m)
{
    const double nint = std::max(m.nyrs - 1, 0);
    const double ns = m.nstrat;
    return double(m.groups) * m.nage * ns * ns * nint + ns * m.nage * (nint + double(closedColumns(m)));
}

bool fitsItsCells(const Model& m)
{
    if (m.groups < 0 || m.nage < 0 || m.nstrat < 0 || m.nyrs < 0)
        return false;
    const double last = cellsOfBlocks(m);
    return last <= m.npar && last < double(m.pim.size());
}

PimBlock transitionBlock(const Model& m, BlockKind kind, int g, int s1, int s2)
{
    const int nint = std::max(m.nyrs - 1, 0);
    PimBlock block{kind, g, s1, kind == BlockKind::Movement ? s2 : 0, m.nage, nint, {}};
    block.cells.reserve(static_cast<std::size_t>(m.nage) * static_cast<std::size_t>(nint));
    for (int a = 1; a <= m.nage; ++a)
        for (int t = 1; t <= nint; ++t)
            block.cells.push_back(transitionCell(m, g, a, t, s1, s2));
    return block;
}

// Capture blocks follow one another cell after cell from next.
PimBlock captureBlock(BlockKind kind, int s, int ages, long columns, int& next)
{
    PimBlock block{kind, 0, s, 0, ages, static_cast<int>(columns), {}};
    block.cells.resize(static_cast<std::size_t>(ages) * static_cast<std::size_t>(columns));
    for (int& cell : block.cells)
        cell = next++;
    return block;
}

}  // namespace

std::vector<PimBlock> pimBlocks(const Model& m)
{
    std::vector<PimBlock> blocks;
    if (!fitsItsCells(m))
        return blocks;
    for (int g = 1; g <= m.groups; ++g)
        for (int s = 1; s <= m.nstrat; ++s)
            blocks.push_back(transitionBlock(m, BlockKind::Survival, g, s, s));
    for (int s1 = 1; s1 <= m.nstrat; ++s1)
        for (int s2 = 1; s2 <= m.nstrat; ++s2)
            for (int g = 1; g <= m.groups && s1 != s2; ++g)
                blocks.push_back(transitionBlock(m, BlockKind::Movement, g, s1, s2));
    int next = survivalBlockSize(m) + 1;
    const int nint = std::max(m.nyrs - 1, 0);
    for (int s = 1; s <= m.nstrat; ++s)
        blocks.push_back(captureBlock(BlockKind::OpenCapture, s, m.nage, nint, next));
    for (int s = 1; s <= m.nstrat; ++s)
        blocks.push_back(captureBlock(BlockKind::ClosedCapture, s, m.nage, closedColumns(m), next));
    return blocks;
}

std::string blockLabel(const PimBlock& block)
{
    const std::string from = std::to_string(block.from);
    switch (block.kind) {
    case BlockKind::Survival:
        return "Survival g" + std::to_string(block.group) + " s" + from;
    case BlockKind::Movement:
        return "Movement g" + std::to_string(block.group) + " " + from + "\u2192" + std::to_string(block.to);
    case BlockKind::OpenCapture:
        return "Open capture s" + from;
    case BlockKind::ClosedCapture:
        return "Closed capture s" + from;
    }
    return {};
}

}  // namespace tw
