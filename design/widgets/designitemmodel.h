#pragma once
// The item model of the design-matrix window: a thin adapter that shows a DesignTable
// (row headers = row names, column headers = "B" headers, value cells in their rows
// and columns) and forwards edits and commands to it with precise change signals.

#include <QAbstractTableModel>
#include <functional>

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
    /// "Delete": hides the selected columns but the first (the window shows the change).
    void deleteSelected();
    Status addColumn(Model& model);
    void pressHeader(int column);
    void setHeaderShade(int column, HeaderShade shade);
    void pressCell(int cell, PressKeys keys);
    /// Sets one side of an edit, signalling the cells and headers it changes.
    void applyEdit(const DesignEdit& edit, ChangeSide side);

    /// Receives a cell's typed text or a header's new text as the table it would make,
    /// instead of the change being made at once, so that the window can make the edit
    /// undoable. Unset, the change is made directly.
    std::function<void(DesignTable after, const QString& description)> editRequested;

private:
    /// Makes the change of a copy of the table through editRequested, or at once.
    bool request(const std::function<bool(DesignTable&)>& change, const QString& description);

    DesignTable m_table;
};

}  // namespace tw
