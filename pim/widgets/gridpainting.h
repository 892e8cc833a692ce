#pragma once
// How a grid window paints: the cell delegate, the table and header views and the style
// of their scroll bars. A view of the model opens many grid windows at once, each of up
// to a few thousand cells, so each of these skips work that a plain Qt view repeats.

#include <QFont>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QRawFont>
#include <QStyledItemDelegate>
#include <QTableView>
#include <array>
#include <string>

class QStyle;

namespace tw {

/// Paints the cells (fixed values in their own colour, flagged texts outlined, the
/// age-class and primary-period gaps as bars) and keeps track of the open editor, so
/// that text being typed is committed when the window closes.
class GridCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    /// Paints a cell directly (background, number, gaps) rather than through the style.
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    /// Commits the text of the open editor, if one is shown.
    void commitOpenEditor();

private:
    enum class Background { Plain, Marked };
    void drawCellText(QPainter* painter, const QRect& r, const std::string& text) const;
    void drawFlag(QPainter* painter, const QRect& r, Background background) const;
    void prepareDigits(const QFont& font) const;

    mutable QPointer<QWidget> m_editor;
    mutable bool m_digitsReady = false;
    mutable bool m_digitsUsable = false;
    mutable QFont m_digitsFont;
    mutable QRawFont m_rawFont;
    mutable std::array<quint32, 13> m_glyphs{};
    mutable std::array<qreal, 13> m_advances{};
    mutable qreal m_ascent = 0;
    mutable qreal m_lineHeight = 0;
};

/// The editor of a grid cell. While the user types, a text that would not be stored as
/// it reads ("12abc", "2.5") gets a red outline and a tool tip saying what will be
/// stored; a fixing ("=0.3") gets the tool tip "fixed at 0.3".
class GridCellEditor : public QLineEdit {
public:
    explicit GridCellEditor(QWidget* parent);
    bool flagged() const { return m_flagged; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void check(const QString& text);

    bool m_flagged = false;
};

/// The grid's table. When its window gains or loses the focus, it repaints only what
/// can look different with or without it (the frame, the current and the selected
/// cell) rather than the whole grid: opening a view opens many windows, each taking
/// the focus from the one before, and each would otherwise be painted twice.
class GridTableView : public QTableView {
public:
    explicit GridTableView(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void updateFocusLook();
};

/// A header that, like the grid, is not repainted in full when its window is activated
/// or deactivated: it looks the same either way unless the palette differs, in which
/// case the widget itself repaints.
class GridHeaderView : public QHeaderView {
public:
    GridHeaderView(Qt::Orientation orientation, QWidget* parent);

protected:
    void changeEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    mutable QString m_measureKey;  // style, orientation and font of the measured sizes
};

/// The style of the grids' scroll bars: the application's style, with each look of a
/// scroll bar drawn once and then copied. One for the application's style, made again
/// should that style be replaced.
QStyle* scrollBarStyle();

}  // namespace tw
