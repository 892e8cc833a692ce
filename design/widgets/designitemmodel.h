#pragma once
// The item model of the design-matrix window: a thin adapter that shows a DesignTable
// (row headers = row names, column headers = "B" headers, value cells in their rows
// and columns) and forwards edits and commands to it with precise change signals.

#include <QAbstractTableModel>

#include "design/designtable.h"

namespace tw {

class DesignItemModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit DesignItemModel(QObject* parent = nullptr);

    const DesignTable& table() const { return m_table; }
    /// For commands that change nothing the view shows (hiding, scrolling).
    DesignTable& table() { return m_table; }
    QModelIndex indexOfCell(int cell) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

    /// Rebuilds the table from the model for the given row cells.
    void rebuild(const Model& model, const std::vector<int>& rowCells);
    /// Empties the table.
    void clearTable();
    void identity();
    Status addColumn(Model& model);
    void pressHeader(int column);
    void setHeaderShade(int column, HeaderShade shade);
    void pressCell(int cell, PressKeys keys);

private:
    DesignTable m_table;
};

}  // namespace tw
