#include "design/designtable.h"

#include <algorithm>
#include <cassert>

#include "design/cellname.h"
#include "model/textrules.h"

namespace tw {

namespace {

bool cellInside(const Model& model, int cell)
{
    return cell >= 1 && static_cast<std::size_t>(cell) < model.pim.size();
}

int clampScroll(int position, int count)
{
    return std::clamp(position, 0, std::max(count - 1, 0));
}

// Names the row of a cell inside the model; designs is empty when the dimensions give none.
void nameRow(DesignRow& row, const Model& model, const std::vector<CellDesign>& designs)
{
    std::string probability = row.label.empty() ? "cell " + std::to_string(row.cell) : row.label;
    if (static_cast<std::size_t>(row.cell) < designs.size()) {
        probability = cellShortName(designs[static_cast<std::size_t>(row.cell)]);
        row.factors = designDataText(designs[static_cast<std::size_t>(row.cell)]);
    }
    row.name = parameterText(model.pim[row.cell]) + " \u00b7 " + probability;
}

}  // namespace

void DesignTable::build(const Model& model, const std::vector<int>& rowCells)
{
    const int lastcell = m_lastcell;
    *this = DesignTable{};
    m_lastcell = lastcell;

    // The design data of every cell, once, when any row is to be named by it.
    Result<std::vector<CellDesign>> designs = std::vector<CellDesign>{};
    if (!rowCells.empty())
        designs = designData(model);
    const std::vector<CellDesign> none;
    for (int cell : rowCells) {
        DesignRow row{cell, {}, false, "cell " + std::to_string(cell), {}};
        if (cellInside(model, cell)) {
            row.label = model.labels[static_cast<std::size_t>(cell)];
            row.hasEntries = model.pim[cell] > 0;
            nameRow(row, model, designs ? *designs : none);
        }
        m_rows.push_back(std::move(row));
    }

    // Shown columns: 1..dmcols with a non-zero entry in any row. The sparse rows are
    // walked, so the cost follows the entries held, not dmcols times the rows.
    const int dmcols = std::clamp(model.dmcols, 0, DesignMatrix::kMaxIndex);
    std::vector<int> columnIndex(static_cast<std::size_t>(dmcols) + 1, -1);
    for (const DesignRow& row : m_rows) {
        if (!row.hasEntries)
            continue;
        const DesignMatrix::RowView entries = model.dm.row(model.pim[row.cell]);
        for (auto it = entries.lowerBound(1); it != entries.end() && it->col <= dmcols; ++it)
            columnIndex[it->col] = 0;
    }
    for (int c = 1; c <= dmcols; ++c) {
        if (columnIndex[c] < 0)
            continue;
        columnIndex[c] = columnCount();
        m_columns.push_back(DesignColumn{headerText(c), headerText(c)});
        m_columns.back().name = model.dm.columnName(c);
    }

    const int rows = rowCount();
    m_texts.assign(static_cast<std::size_t>(rows) * m_columns.size(), std::string());
    for (int x = 0; x < rows; ++x) {
        if (!m_rows[x].hasEntries)
            continue;
        for (int j = 0; j < columnCount(); ++j)
            m_texts[cellIndex(x, j)] = "0";
        const DesignMatrix::RowView entries = model.dm.row(model.pim[m_rows[x].cell]);
        for (auto it = entries.lowerBound(1); it != entries.end() && it->col <= dmcols; ++it)
            m_texts[cellIndex(x, columnIndex[it->col])] = plainText(it->value);
    }
    m_original = m_texts;
    m_shades.assign(m_texts.size(), CellShade::Default);
}

void DesignTable::clear()
{
    const int lastcell = m_lastcell;
    *this = DesignTable{};
    m_lastcell = lastcell;
}

std::vector<int> DesignTable::rowCells() const
{
    std::vector<int> cells;
    cells.reserve(m_rows.size());
    for (const DesignRow& row : m_rows)
        cells.push_back(row.cell);
    return cells;
}

bool DesignTable::setText(int cell, std::string text)
{
    if (!editable(cell))
        return false;
    m_texts[cell] = std::move(text);
    return true;
}

void DesignTable::setHeader(int column, std::string text)
{
    m_columns[column].header = std::move(text);
}

void DesignTable::identity()
{
    const int rows = rowCount();
    for (int j = 0; j < columnCount(); ++j) {
        for (int x = 0; x < rows; ++x) {
            const int cell = cellIndex(x, j);
            m_shades[cell] = CellShade::White;
            if (m_rows[x].hasEntries)
                m_texts[cell] = x == j ? "1" : "0";
        }
    }
}

Status DesignTable::addColumn(Model& model)
{
    if (model.dmcols >= DesignMatrix::kMaxIndex)
        return makeError("The design matrix already has " + std::to_string(DesignMatrix::kMaxIndex)
                         + " columns, the most it can hold.");
    model.dmcols = std::max(model.dmcols, 0) + 1;
    model.dm.setColUsed(model.dmcols);
    model.dm.dropColumnName(model.dmcols);
    model.markChanged();

    DesignColumn column{headerText(model.dmcols), headerText(model.dmcols)};
    column.added = true;
    m_columns.push_back(std::move(column));
    // The new column's cells come last in cell order.
    for (const DesignRow& row : m_rows) {
        m_texts.push_back(row.hasEntries ? "0" : "");
        m_original.push_back(m_texts.back());
        m_shades.push_back(CellShade::Default);
    }
    return {};
}

std::vector<int> DesignTable::deleteSelected()
{
    std::vector<int> hidden;
    for (int j = 1; j < columnCount(); ++j) {
        DesignColumn& column = m_columns[j];
        if (column.shade != HeaderShade::Blue || column.hidden)
            continue;
        column.hidden = true;
        hidden.push_back(j);
    }
    m_firstShownColumn = clampScroll(m_firstShownColumn, shownColumnCount());
    return hidden;
}

void DesignTable::pressHeader(int column)
{
    HeaderShade& shade = m_columns[column].shade;
    shade = shade == HeaderShade::White ? HeaderShade::Blue : HeaderShade::White;
}

std::optional<CellBlock> DesignTable::pressCell(int cell, PressKeys keys)
{
    const int anchor = m_lastcell;
    m_lastcell = cell;
    if (keys != PressKeys::ShiftOnly || rowCount() == 0)
        return std::nullopt;
    // The anchor may come from an earlier, larger table: a column past the end gives an
    // empty block.
    const CellBlock block{rowOf(anchor), rowOf(cell), columnOf(anchor), columnOf(cell)};
    if (block.lastRow < block.firstRow || block.lastColumn < block.firstColumn)
        return std::nullopt;
    toggleBlock(block);
    return block;
}

void DesignTable::toggleBlock(const CellBlock& block)
{
    for (int x = block.firstRow; x <= block.lastRow; ++x) {
        for (int j = block.firstColumn; j <= block.lastColumn; ++j) {
            CellShade& shade = m_shades[cellIndex(x, j)];
            shade = shade == CellShade::Yellow ? CellShade::White : CellShade::Yellow;
        }
    }
}

int DesignTable::shownColumnCount() const
{
    return static_cast<int>(std::count_if(m_columns.begin(), m_columns.end(),
                                          [](const DesignColumn& column) { return !column.hidden; }));
}

void DesignTable::scroll(ScrollDirection direction)
{
    switch (direction) {
    case ScrollDirection::Left:
        m_firstShownColumn = clampScroll(m_firstShownColumn - kScrollStep, shownColumnCount());
        break;
    case ScrollDirection::Right:
        m_firstShownColumn = clampScroll(m_firstShownColumn + kScrollStep, shownColumnCount());
        break;
    case ScrollDirection::Up:
        m_firstRow = clampScroll(m_firstRow - kScrollStep, rowCount());
        break;
    case ScrollDirection::Down:
        m_firstRow = clampScroll(m_firstRow + kScrollStep, rowCount());
        break;
    }
}

void DesignTable::setScrollPosition(int firstRow, int firstShownColumn)
{
    m_firstRow = clampScroll(firstRow, rowCount());
    m_firstShownColumn = clampScroll(firstShownColumn, shownColumnCount());
}

DesignEdit DesignTable::editTo(const DesignTable& after) const
{
    assert(after.rowCount() == rowCount() && after.columnCount() == columnCount());
    std::vector<std::string> headers, afterHeaders;
    std::vector<bool> hidden, afterHidden;
    for (int j = 0; j < columnCount(); ++j) {
        headers.push_back(m_columns[j].header);
        afterHeaders.push_back(after.m_columns[j].header);
        hidden.push_back(m_columns[j].hidden);
        afterHidden.push_back(after.m_columns[j].hidden);
    }
    return {valueChanges(m_texts, after.m_texts), valueChanges(m_shades, after.m_shades),
            valueChanges(headers, afterHeaders), valueChanges(hidden, afterHidden)};
}

void DesignTable::apply(const DesignEdit& edit, ChangeSide side)
{
    for (const auto& change : edit.texts)
        m_texts[change.index] = change.side(side);
    for (const auto& change : edit.shades)
        m_shades[change.index] = change.side(side);
    for (const auto& change : edit.headers)
        m_columns[change.index].header = change.side(side);
    for (const auto& change : edit.hidden)
        m_columns[change.index].hidden = change.side(side);
    m_firstShownColumn = clampScroll(m_firstShownColumn, shownColumnCount());
}

bool DesignTable::edited(int cell) const
{
    const DesignColumn& column = m_columns[columnOf(cell)];
    return column.added || columnNumber(column.header) != columnNumber(column.builtHeader)
        || m_texts[cell] != m_original[cell];
}

bool DesignTable::hasEdits() const
{
    for (int cell = 0; cell < cellCount(); ++cell)
        if (editable(cell) && edited(cell))
            return true;
    return false;
}

}  // namespace tw
