#include "pim/widgets/gridtablemodel.h"

#include "pim/gridentry.h"

namespace tw {

GridTableModel::GridTableModel(GridWindowLayout layout, QObject* parent)
    : QAbstractTableModel(parent), m_layout(std::move(layout)), m_grid(gridFromLayout(m_layout))
{
}

int GridTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || m_layout.rowLength == 0 ? 0 : m_layout.rowCount();
}

int GridTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || m_layout.rowCount() == 0 ? 0 : m_layout.rowLength;
}

int GridTableModel::cellAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return -1;
    return index.row() * m_layout.rowLength + index.column();
}

QModelIndex GridTableModel::indexOf(int cell) const
{
    if (cell < 0 || cell >= m_grid.cellCount())
        return {};
    return index(cell / m_layout.rowLength, cell % m_layout.rowLength);
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const
{
    const int cell = cellAt(index);
    if (cell < 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromStdString(m_grid.texts[cell]);
    case Qt::BackgroundRole:
        return m_grid.marked(cell) ? markColour() : QColor(Qt::white);
    case Qt::ForegroundRole:
        return entryLook(m_grid.texts[cell]).fixed ? fixedColour() : QColor(Qt::black);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::ToolTipRole:
        return toolTip(index);
    case GapRole:
        return (m_layout.endsPeriod(index.column()) ? GapRight : 0) | (m_layout.endsAgeClass(index.row()) ? GapBelow : 0);
    default:
        return {};
    }
}

// What the cell's text stores when that is not plain ("fixed at 0.02", "Not a whole
// number: stored as 12"), then which model cell it is and where it lies.
QString GridTableModel::toolTip(const QModelIndex& index) const
{
    const int cell = cellAt(index);
    const std::string& text = m_grid.texts[cell];
    std::string note = entryNote(text);
    if (note.empty())
        note = fixedNote(text);
    // "Age 1, to A" reads "age 1, to A": only the first letter is lowered.
    QString row = QString::fromStdString(m_layout.rowHeaders[index.row()]);
    if (!row.isEmpty())
        row[0] = row[0].toLower();
    const QString place = QString("Cell %1, %2, %3")
                              .arg(m_layout.cellmap[cell])
                              .arg(row, QString::fromStdString(m_layout.columnDescriptions[index.column()]));
    return note.empty() ? place : QString::fromStdString(note) + "\n" + place;
}

bool GridTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const int cell = cellAt(index);
    if (cell < 0 || role != Qt::EditRole)
        return false;
    const std::string text = value.toString().toStdString();
    if (text == m_grid.texts[cell])
        return true;
    if (editRequested) {
        editRequested(cell, text);
        return true;
    }
    applyChanges({{cell, m_grid.texts[cell], text}}, Side::After);
    return true;
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex& index) const
{
    if (cellAt(index) < 0)
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const auto& texts = orientation == Qt::Horizontal ? m_layout.columnHeaders : m_layout.rowHeaders;
    if (section < 0 || section >= static_cast<int>(texts.size()))
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(texts[section]);
    if (role == Qt::ToolTipRole && orientation == Qt::Horizontal)
        return QString::fromStdString(m_layout.columnDescriptions[section]);
    return {};
}

void GridTableModel::applyChanges(const std::vector<TextChange>& changes, Side side)
{
    if (changes.empty())
        return;
    int first = changes.front().cell;
    int last = first;
    for (const TextChange& change : changes) {
        m_grid.texts[change.cell] = side == Side::After ? change.after : change.before;
        first = std::min(first, change.cell);
        last = std::max(last, change.cell);
    }
    // One signal over the rows touched keeps a command on a large grid cheap.
    const int length = m_layout.rowLength;
    emit dataChanged(index(first / length, 0), index(last / length, length - 1),
                     {Qt::DisplayRole, Qt::EditRole});
    emit textsChanged();
}

void GridTableModel::toggleMark(int cell)
{
    if (cell < 0 || cell >= m_grid.cellCount())
        return;
    m_grid.toggleMark(cell);
    const QModelIndex at = indexOf(cell);
    emit dataChanged(at, at, {Qt::BackgroundRole});
}

}  // namespace tw
