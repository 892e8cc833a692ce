#pragma once
// The item model of a grid window: adapts one window's layout and its editable grid
// (texts and marks) to a table view. Rows are the grid's rows, columns its columns;
// grid cell i sits at row i / rowLength, column i % rowLength.

#include <QAbstractTableModel>
#include <QColor>
#include <functional>

#include "pim/gridview.h"
#include "pim/pimgrid.h"

namespace tw {

class GridTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    /// Role under which a cell reports the gaps that follow it (GapRight | GapBelow).
    static constexpr int GapRole = Qt::UserRole + 1;
    enum Gap { GapRight = 1, GapBelow = 2 };
    enum class Side { Before, After };

    explicit GridTableModel(GridWindowLayout layout, QObject* parent = nullptr);

    /// Colours of a cell marked for the design matrix, of a fixed value's text, and of
    /// the outline of a text that would not be stored as it reads.
    static QColor markColour() { return {255, 0, 0}; }
    static QColor fixedColour() { return {0, 100, 190}; }
    static QColor flagColour() { return {220, 0, 0}; }

    const GridWindowLayout& layout() const { return m_layout; }
    const PimGrid& grid() const { return m_grid; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    /// The grid cell shown at an index (-1 for an invalid one) and back.
    int cellAt(const QModelIndex& index) const;
    QModelIndex indexOf(int cell) const;

    /// Sets the texts of the changed cells to one side of the change.
    void applyChanges(const std::vector<TextChange>& changes, Side side);
    void toggleMark(int cell);

    /// Receives a text typed into a cell instead of setting it directly, so that the
    /// window can make the edit undoable. Unset, setData changes the text at once.
    std::function<void(int cell, const std::string& text)> editRequested;

signals:
    /// A cell's text changed (typed, or set by a command, an undo or a redo).
    void textsChanged();

private:
    QString toolTip(const QModelIndex& index) const;

    GridWindowLayout m_layout;
    PimGrid m_grid;
};

}  // namespace tw
