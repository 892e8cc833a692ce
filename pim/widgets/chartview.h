#pragma once
// The scrolling area of the PIM chart window: paints the part of the chart in view, with
// the axis, labels and counts kept at its edges; zooms (Ctrl+wheel, zoomBy, fit);
// selects a row by click or keys; outlines the rows that share the numbers of the bar
// under the mouse and explains the bar in a tool tip; and lets a bar be dragged sideways,
// showing the number under the mouse, to shift its block's numbers. It changes nothing
// itself: it asks through its signals.

#include <QAbstractScrollArea>
#include <functional>
#include <optional>
#include <span>

#include "pim/chartdraw/chartpainter.h"

namespace tw {

/// A bar as drawn: the runs first..last (indices into the row's runs) of one row, which
/// lie too close together at the zoom to be told apart.
struct ChartBar {
    int row = -1;
    std::size_t first = 0;
    std::size_t last = 0;
};

class ChartView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit ChartView(QWidget* parent = nullptr);

    /// Shows a new chart. The selection stays while the rows are the same blocks; a chart
    /// that was fitted is fitted again.
    void setChart(ChartData chart);
    const ChartData& chart() const { return m_chart; }
    const ChartGeometry& geometry() const { return m_geometry; }
    const ChartMarks& marks() const { return m_marks; }

    /// The largest number a drag may move a number to (npar, within 16 bits).
    void setLargestAllowed(int number) { m_largestAllowed = number; }

    int selectedRow() const { return m_marks.selectedRow; }
    /// Selects a row (-1: none) and scrolls it into view.
    void selectRow(int row);

    /// Multiplies the zoom by factor, keeping the number at viewport x in place (the
    /// middle of the rows' area when none).
    void zoomBy(double factor, std::optional<double> x = std::nullopt);
    /// Zooms so that every number fits the width in view.
    void fit();
    double numberWidth() const { return m_geometry.numberWidth; }

    /// Where the middle of number in row lies in the viewport (for tests and the menu key).
    QPoint pointOf(int row, double number) const;
    /// The row at a point of the viewport; -1 on none.
    int rowAt(QPoint point) const;
    /// The bar at a point of the viewport, with a few pixels' grace for thin bars;
    /// nullopt when the point is on no bar.
    std::optional<ChartBar> barAt(QPoint point) const;
    /// The runs of a bar.
    std::span<const NumberRun> runsOf(const ChartBar& bar) const;

    /// The other rows holding one of the bar's numbers, ascending.
    std::vector<int> sharingOf(const ChartBar& bar) const;

    /// Gives the tool tip of a bar; the window knows the model's cells.
    std::function<QString(const ChartBar& bar)> describeBar;

signals:
    void selectionChanged(int row);
    /// A double click on a row, or Enter.
    void rowActivated(int row);
    /// A drag of row's bars ended d numbers from where it started (d != 0).
    void shiftRequested(int row, int d);
    /// The context menu was asked for on row (-1: on no row).
    void contextMenuRequested(int row, const QPoint& globalPosition);
    /// What lies under the mouse, in a line for the status bar (empty: nothing).
    void hoverChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    struct Press {
        int row = -1;
        double x = 0;
        bool onBar = false;
    };

    ChartViewport viewportState() const;
    double dataLeft() const { return m_geometry.labelWidth; }
    double visibleDataWidth() const;
    double visibleRowsHeight() const;
    void updateScrollBars();
    void setNumberWidth(double width, double anchor);
    void hover(QPoint point);
    void clearHover();
    void drag(double x);
    void endDrag(bool apply);
    /// The numbers by which the row's bars may move, keeping them within 1..largestAllowed.
    std::pair<int, int> shiftLimits(int row) const;

    ChartData m_chart;
    ChartGeometry m_geometry;
    ChartMarks m_marks;
    Press m_press;
    bool m_fitted = true;
    int m_largestAllowed = 32767;
};

}  // namespace tw
