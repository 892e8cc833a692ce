#pragma once
// Where the parts of the PIM chart lie. The chart is a sheet: the number axis along its
// top, the block labels down its left, the counts of fixed and special cells down its
// right, and between them one row per block, in which parameter number p takes the
// width [(p - 1) w, p w) at w pixels per number (the zoom). In the window the axis,
// labels and counts stay in place while the rows scroll beneath them.

#include <QFont>
#include <QString>
#include <algorithm>
#include <QRectF>
#include <vector>

#include "pim/chartdata.h"

class QPaintDevice;

namespace tw {

struct ChartGeometry {
    QFont font;
    int rowHeight = 18;
    int axisHeight = 28;
    int labelWidth = 120;  // includes the kind's swatch and the margins
    int countWidth = 90;
    int rows = 0;
    int largestNumber = 1;     // the axis runs over 1..largestNumber (at least 1)
    double numberWidth = 1.0;  // pixels per parameter number

    /// The geometry of a chart drawn with font on device (its metrics decide the sizes).
    static ChartGeometry of(const ChartData& chart, const QFont& font, const QPaintDevice* device = nullptr);

    /// Width of the rows' area at the current zoom, with a little room after the last number.
    double dataWidth() const { return largestNumber * numberWidth + trailingRoom(); }
    double rowsHeight() const { return static_cast<double>(rows) * rowHeight; }
    /// The whole sheet, nothing scrolled.
    QSizeF sheetSize() const { return {labelWidth + dataWidth() + countWidth, axisHeight + rowsHeight()}; }

    /// Left edge of number p within the rows' area.
    double xOf(double p) const { return (p - 1.0) * numberWidth; }
    /// Where the bar of a run starts and ends within the rows' area: at least two pixels
    /// wide, so that a run of one number shows at any zoom.
    double barLeft(const NumberRun& run) const { return xOf(run.first); }
    double barRight(const NumberRun& run) const { return std::max(xOf(run.last + 1.0), xOf(run.first) + 2.0); }
    /// Whether the bars of two runs of a row, one after the other, lie too close to tell
    /// apart at this zoom and are drawn as one bar.
    bool barsJoin(const NumberRun& before, const NumberRun& after) const
    {
        return barLeft(after) <= barRight(before) + 1.0;
    }

    /// The number whose width holds x (within the rows' area); may lie outside 1..largest.
    int numberAt(double x) const;
    /// The row at y within the rows' area; -1 outside the rows.
    int rowAt(double y) const;

    /// The smallest zoom the chart allows, and the largest (numbers readable in their bars).
    static constexpr double kLeastNumberWidth = 1.0 / 256.0;
    static constexpr double kMostNumberWidth = 48.0;

    /// Numbers between two labelled ticks of the axis: 1, 2 or 5 times a power of ten,
    /// so that labels stand at least minimumGap pixels apart.
    int tickStep(double minimumGap) const;

private:
    int trailingRoom() const { return 8; }
};

/// The counts shown at the end of a row: "3 fixed", "2 special", "3 fixed, 2 special", or
/// nothing.
QString countsText(const ChartRow& row);
/// The headings of the label and count columns.
inline constexpr const char* kLabelsHeading = "Block";
inline constexpr const char* kCountsHeading = "Fixed, special";

/// The colours of the kinds of block: survival, movement, open and closed capture.
QColor kindColour(BlockKind kind);
/// "Survival", "Movement", "Open capture", "Closed capture".
const char* kindName(BlockKind kind);

}  // namespace tw
