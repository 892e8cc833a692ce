#include "pim/pimgrid.h"

#include <algorithm>
#include <cassert>

#include "pim/gridview.h"

namespace tw {

namespace {

void constantOverAll(PimGrid& grid, Zeros zeros)
{
    for (int i = 1; i < grid.cellCount(); ++i)
        if (grid.takesPart(i, zeros))
            grid.texts[i] = grid.texts[0];
}

void constantOverTime(PimGrid& grid, Zeros zeros)
{
    const int length = grid.rowLength;
    int column = 0;
    int first = 0;
    for (int i = 0; i < grid.cellCount(); ++i) {
        ++column;
        if (column > 1 && grid.takesPart(i, zeros))
            grid.texts[i] = grid.texts[first];
        if (column == 1)
            first = i;
        if (column == length)
            column = 0;
    }
}

void constantOverStrata(PimGrid& grid, Zeros zeros)
{
    const int length = grid.rowLength;
    const int size = grid.ageClassSize();
    if (size <= 0)
        return;
    for (int begin = 0; begin + size <= grid.cellCount(); begin += size)
        for (int i = begin + length; i < begin + size; ++i)
            if (grid.takesPart(i, zeros))
                grid.texts[i] = grid.texts[begin + (i - begin) % length];
}

void constantOverAge(PimGrid& grid)
{
    const int size = grid.ageClassSize();
    if (size <= 0)
        return;
    for (int i = size; i < grid.cellCount(); ++i)
        grid.texts[i] = grid.texts[i % size];
}

constexpr int kLargestNumber = 32767;

// Numbers above the largest held, or the gaps among the held ones when those run out.
std::vector<int> freshNumbers(const std::vector<int>& held, int count)
{
    std::vector<int> numbers;
    numbers.reserve(static_cast<std::size_t>(count));
    const int largest = held.empty() ? 0 : held.back();
    if (count <= kLargestNumber - largest) {
        for (int n = 1; n <= count; ++n)
            numbers.push_back(largest + n);
        return numbers;
    }
    auto next = held.begin();
    for (int n = 1; n <= kLargestNumber && static_cast<int>(numbers.size()) < count; ++n) {
        while (next != held.end() && *next < n)
            ++next;
        if (next == held.end() || *next != n)
            numbers.push_back(n);
    }
    return numbers;
}

}  // namespace

PimGrid gridFromLayout(const GridWindowLayout& layout)
{
    PimGrid grid;
    grid.rowLength = layout.rowLength;
    grid.rowsPerAge = layout.rowsPerAge;
    grid.texts = layout.builtTexts;
    grid.marks.assign(grid.texts.size(), 0);
    return grid;
}

void applyCommand(PimGrid& grid, GridCommand command, Zeros zeros)
{
    switch (command) {
    case GridCommand::ConstantOverAll:
        return constantOverAll(grid, zeros);
    case GridCommand::ConstantOverTime:
        return constantOverTime(grid, zeros);
    case GridCommand::ConstantOverStrata:
        return constantOverStrata(grid, zeros);
    case GridCommand::ConstantOverAge:
        return constantOverAge(grid);
    case GridCommand::Varying:
        return numberVarying(grid, zeros, {});
    }
}

void numberVarying(PimGrid& grid, Zeros zeros, const std::vector<int>& heldOutside)
{
    assert(std::is_sorted(heldOutside.begin(), heldOutside.end()));
    int count = 0;
    for (int i = 0; i < grid.cellCount(); ++i)
        if (grid.takesPart(i, zeros))
            ++count;
    const std::vector<int> numbers = freshNumbers(heldOutside, count);
    std::size_t next = 0;
    for (int i = 0; i < grid.cellCount() && next < numbers.size(); ++i)
        if (grid.takesPart(i, zeros))
            grid.texts[i] = std::to_string(numbers[next++]);
}

void restoreBuilt(PimGrid& grid, const std::vector<std::string>& built)
{
    assert(built.size() == grid.texts.size());
    grid.texts = built;
}

std::vector<int> markedCells(const PimGrid& grid, const std::vector<int>& cellmap)
{
    assert(cellmap.size() == grid.marks.size());
    std::vector<int> cells;
    for (std::size_t i = 0; i < grid.marks.size(); ++i)
        if (grid.marks[i])
            cells.push_back(cellmap[i]);
    return cells;
}

std::vector<TextChange> textChanges(const std::vector<std::string>& before, const std::vector<std::string>& after)
{
    assert(before.size() == after.size());
    std::vector<TextChange> changes;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i])
            changes.push_back({static_cast<int>(i), before[i], after[i]});
    return changes;
}

}  // namespace tw
