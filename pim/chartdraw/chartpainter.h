#pragma once
// Painting the PIM chart: each row's runs of numbers as bars coloured by the kind of
// block, the number axis, the labels, the counts of fixed and special cells, the
// selected row, the bar under the mouse with every row that shares its numbers
// outlined, a bar being dragged, and the legend. The window paints the part in view,
// the export the whole sheet; both through paintChart.

#include <QPainter>
#include <QSize>
#include <vector>

#include "pim/chartdraw/chartgeometry.h"

namespace tw {

/// What the chart marks besides its data.
struct ChartMarks {
    int selectedRow = -1;
    int hoverRow = -1;             // the row of the bar under the mouse, -1 none
    NumberRun hoverRun;            // from the first number of that bar to its last
    std::vector<int> sharingRows;  // the other rows holding one of its numbers, ascending
    int dragRow = -1;              // the row whose bars are being dragged, -1 none
    int dragShift = 0;             // the numbers they have moved by
    int dragNumber = 0;            // the number under the mouse while dragging
};

/// The part of the sheet in view: a viewport of size, its rows' area scrolled by
/// (scrollX, scrollY) pixels. The axis, labels and counts stay at its edges.
struct ChartViewport {
    QSize size;
    double scrollX = 0;
    double scrollY = 0;
};

/// Paints the chart into the viewport; only the rows and bars in view cost anything.
void paintChart(QPainter& painter, const ChartData& chart, const ChartGeometry& geometry, const ChartViewport& view,
                const ChartMarks& marks);

/// The size of the legend drawn with font on device (the screen when none), note after
/// the kinds (empty: none).
QSize legendSize(const QFont& font, const QString& note, const QPaintDevice* device = nullptr);
/// Paints the legend in one line with its top left corner at origin: a swatch and the
/// name of each kind of block, then note.
void paintLegend(QPainter& painter, const QFont& font, const QString& note, QPoint origin);

/// The text of a run of numbers: "5", "5–8" (en dash).
QString runText(const NumberRun& run);

}  // namespace tw
