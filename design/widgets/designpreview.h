#pragma once
// The design matrix the model formulas make, as the formulas window previews it: one row
// per parameter (its number, kind and the design data of its first cell), one column per
// named design column. The matrix is sparse and may be thousands of rows by thousands of
// columns: the item model looks each entry up in its row, and the delegate paints a cell
// with a fill and a text laid out once per distinct value. The preview's tables are drawn
// as the grid windows draw theirs.

#include <QAbstractTableModel>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>
#include <QTableView>
#include <memory>

#include "design/formulafields.h"

namespace tw {

class DesignPreviewModel : public QAbstractTableModel {
    Q_OBJECT

public:
    /// Role under which a cell reports whether the last column of a kind ends at it.
    static constexpr int KindEndRole = Qt::UserRole + 1;

    explicit DesignPreviewModel(QObject* parent = nullptr);

    /// Shows what the fields make (nothing when they made no model).
    void setFields(std::shared_ptr<const FormulaFields> fields);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    /// The entry of parameter row + 1 in design column column + 1.
    double value(int row, int column) const;
    /// Whether column + 1 is the last design column of its kind.
    bool endsKind(int column) const;
    /// The row header of parameter row + 1: "12  survival: group 1, age 2, stratum 1, time 3".
    QString rowText(int row) const;
    /// A row header at least as wide as any: each kind's largest levels and the largest number.
    QString widestRowText() const;

private:
    std::shared_ptr<const FormulaFields> m_fields;
    const FormulaModel* m_applied = nullptr;
    std::vector<char> m_kindEnds;  // by column
};

/// Paints the preview's cells: blank for zero, a pale fill and the value otherwise, and a
/// bar after the last column of each kind.
class DesignPreviewDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    mutable QHash<double, QStaticText> m_texts;
    mutable QFont m_textFont;
};

/// A read-only table drawn as the grid windows draw theirs: fixed sections, cached scroll
/// bars, headers that skip needless repaints.
QTableView* previewTable(QWidget* parent, const char* name);

/// Keeps a view where the user scrolled it while its model is replaced.
class ScrollKeeper {
public:
    explicit ScrollKeeper(QTableView* view);
    ~ScrollKeeper();
    ScrollKeeper(const ScrollKeeper&) = delete;
    ScrollKeeper& operator=(const ScrollKeeper&) = delete;

private:
    QTableView* m_view;
    int m_x;
    int m_y;
};

}  // namespace tw
