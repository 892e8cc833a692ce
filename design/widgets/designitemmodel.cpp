#include "design/widgets/designitemmodel.h"

#include <QBrush>
#include <QColor>
#include <algorithm>

namespace tw {

namespace {

QVariant cellBackground(CellShade shade, bool editable)
{
    switch (shade) {
    case CellShade::White:
        return QBrush(Qt::white);
    case CellShade::Yellow:
        return QBrush(Qt::yellow);
    case CellShade::Default:
        break;
    }
    // Rows without a parameter take no entries: grey them like disabled fields.
    return editable ? QVariant() : QVariant(QBrush(QColor(225, 225, 225)));
}

}  // namespace

DesignItemModel::DesignItemModel(QObject* parent) : QAbstractTableModel(parent) {}

QModelIndex DesignItemModel::indexOfCell(int cell) const
{
    if (cell < 0 || cell >= m_table.cellCount())
        return {};
    return index(m_table.rowOf(cell), m_table.columnOf(cell));
}

int DesignItemModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table.rowCount();
}

int DesignItemModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table.columnCount();
}

QVariant DesignItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !checkIndex(index))
        return {};
    const int cell = m_table.cellIndex(index.row(), index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromStdString(m_table.text(cell));
    case Qt::BackgroundRole:
        return cellBackground(m_table.shade(cell), m_table.editable(cell));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    default:
        return {};
    }
}

bool DesignItemModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !checkIndex(index))
        return false;
    const int cell = m_table.cellIndex(index.row(), index.column());
    const std::string text = value.toString().toStdString();
    return request([&](DesignTable& table) { return table.setText(cell, text); },
                   QString("Typing in row %1 under %2")
                       .arg(QString::fromStdString(m_table.rowName(index.row())),
                            QString::fromStdString(m_table.column(index.column()).header)));
}

bool DesignItemModel::request(const std::function<bool(DesignTable&)>& change, const QString& description)
{
    DesignTable after = m_table;
    if (!change(after))
        return false;
    if (editRequested)
        editRequested(std::move(after), description);
    else
        applyEdit(m_table.editTo(after), ChangeSide::After);
    return true;
}

Qt::ItemFlags DesignItemModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || !checkIndex(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_table.editable(m_table.cellIndex(index.row(), index.column())))
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant DesignItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (section < 0 || section >= m_table.rowCount())
            return {};
        if (role == Qt::DisplayRole)
            return QString::fromStdString(m_table.rowName(section));
        if (role == Qt::ToolTipRole) {
            const DesignRow& row = m_table.row(section);
            QString tip = QString("Model cell %1").arg(row.cell);
            if (!row.factors.empty())
                tip += ": " + QString::fromStdString(row.factors);
            if (!row.label.empty())
                tip += "\nLabel: " + QString::fromStdString(row.label);
            return tip;
        }
        return {};
    }
    if (section < 0 || section >= m_table.columnCount())
        return {};
    const DesignColumn& column = m_table.column(section);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromStdString(column.header);
    case Qt::BackgroundRole:
        if (column.shade == HeaderShade::White)
            return QBrush(Qt::white);
        if (column.shade == HeaderShade::Blue)
            return QBrush(Qt::blue);
        return {};
    case Qt::ForegroundRole:
        return column.shade == HeaderShade::Blue ? QVariant(QBrush(Qt::white)) : QVariant();
    case Qt::ToolTipRole: {
        // A column the model formulas named shows its name first: the header only numbers it.
        const QString hint("Click to select for Cols-Delete; double-click to change the column number");
        return column.name.empty() ? hint : QString::fromStdString(column.name) + "\n" + hint;
    }
    default:
        return {};
    }
}

bool DesignItemModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || role != Qt::EditRole || section < 0 || section >= m_table.columnCount())
        return false;
    const std::string text = value.toString().toStdString();
    return request(
        [&](DesignTable& table) {
            table.setHeader(section, text);
            return true;
        },
        "Column number");
}

void DesignItemModel::rebuild(const Model& model, const std::vector<int>& rowCells)
{
    beginResetModel();
    m_table.build(model, rowCells);
    endResetModel();
}

void DesignItemModel::clearTable()
{
    beginResetModel();
    m_table.clear();
    endResetModel();
}

void DesignItemModel::identity()
{
    request(
        [](DesignTable& table) {
            table.identity();
            return true;
        },
        "Idenity");
}

void DesignItemModel::applyEdit(const DesignEdit& edit, ChangeSide side)
{
    m_table.apply(edit, side);
    // One signal for the block of cells changed ("Idenity" may change every cell).
    int firstRow = rowCount(), lastRow = -1, firstColumn = columnCount(), lastColumn = -1;
    auto widen = [&](int cell) {
        firstRow = std::min(firstRow, m_table.rowOf(cell));
        lastRow = std::max(lastRow, m_table.rowOf(cell));
        firstColumn = std::min(firstColumn, m_table.columnOf(cell));
        lastColumn = std::max(lastColumn, m_table.columnOf(cell));
    };
    for (const auto& change : edit.texts)
        widen(change.index);
    for (const auto& change : edit.shades)
        widen(change.index);
    if (lastRow >= 0)
        emit dataChanged(index(firstRow, firstColumn), index(lastRow, lastColumn),
                         {Qt::DisplayRole, Qt::EditRole, Qt::BackgroundRole});
    for (const auto& change : edit.headers)
        emit headerDataChanged(Qt::Horizontal, change.index, change.index);
}

void DesignItemModel::deleteSelected()
{
    request(
        [](DesignTable& table) {
            table.deleteSelected();
            return true;
        },
        "Delete");
}

Status DesignItemModel::addColumn(Model& model)
{
    // Checked first: a refused Add must not announce a column it never inserts.
    if (model.dmcols >= DesignMatrix::kMaxIndex)
        return m_table.addColumn(model);
    const int column = columnCount();
    beginInsertColumns({}, column, column);
    Status status = m_table.addColumn(model);
    endInsertColumns();
    return status;
}

void DesignItemModel::pressHeader(int column)
{
    m_table.pressHeader(column);
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void DesignItemModel::setHeaderShade(int column, HeaderShade shade)
{
    m_table.setHeaderShade(column, shade);
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void DesignItemModel::pressCell(int cell, PressKeys keys)
{
    const auto block = m_table.pressCell(cell, keys);
    if (block)
        emit dataChanged(index(block->firstRow, block->firstColumn), index(block->lastRow, block->lastColumn),
                         {Qt::BackgroundRole});
}

}  // namespace tw
