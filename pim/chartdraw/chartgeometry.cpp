#include "pim/chartdraw/chartgeometry.h"

#include <QColor>
#include <QFontMetricsF>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace tw {

namespace {

QFontMetricsF metricsOf(const QFont& font, const QPaintDevice* device)
{
    // A device gives its own resolution (a PDF page, an image); otherwise the screen's.
    return device ? QFontMetricsF(font, device) : QFontMetricsF(font);
}

}  // namespace

ChartGeometry ChartGeometry::of(const ChartData& chart, const QFont& font, const QPaintDevice* device)
{
    const QFontMetricsF metrics = metricsOf(font, device);
    ChartGeometry geometry;
    geometry.font = font;
    geometry.rowHeight = static_cast<int>(std::ceil(metrics.height())) + 6;
    geometry.axisHeight = static_cast<int>(std::ceil(metrics.height())) + 14;
    double widestLabel = metrics.horizontalAdvance(kLabelsHeading);
    double widestCount = metrics.horizontalAdvance(kCountsHeading);
    for (const ChartRow& row : chart.rows) {
        widestLabel = std::max(widestLabel, metrics.horizontalAdvance(QString::fromStdString(row.label)));
        widestCount = std::max(widestCount, metrics.horizontalAdvance(countsText(row)));
    }
    const int swatch = geometry.rowHeight / 2;
    geometry.labelWidth = static_cast<int>(std::ceil(widestLabel)) + swatch + 20;
    geometry.countWidth = static_cast<int>(std::ceil(widestCount)) + 20;
    geometry.rows = static_cast<int>(chart.rows.size());
    geometry.largestNumber = std::max(chart.largestNumber, 1);
    return geometry;
}

int ChartGeometry::numberAt(double x) const
{
    return 1 + static_cast<int>(std::floor(x / numberWidth));
}

int ChartGeometry::rowAt(double y) const
{
    if (y < 0 || rowHeight <= 0)
        return -1;
    const int row = static_cast<int>(y / rowHeight);
    return row < rows ? row : -1;
}

int ChartGeometry::tickStep(double minimumGap) const
{
    const double numbers = minimumGap / numberWidth;
    for (long power = 1; power <= 1000000; power *= 10)
        for (long factor : {1, 2, 5})
            if (static_cast<double>(power * factor) >= numbers)
                return static_cast<int>(power * factor);
    return 10000000;
}

QString countsText(const ChartRow& row)
{
    QStringList parts;
    if (row.fixedCells > 0)
        parts << QString("%1 fixed").arg(row.fixedCells);
    if (row.specialCells > 0)
        parts << QString("%1 special").arg(row.specialCells);
    return parts.join(", ");
}

QColor kindColour(BlockKind kind)
{
    // Four hues told apart also by readers who do not see red and green apart.
    switch (kind) {
    case BlockKind::Survival:
        return {0, 114, 178};
    case BlockKind::Movement:
        return {230, 159, 0};
    case BlockKind::OpenCapture:
        return {0, 158, 115};
    case BlockKind::ClosedCapture:
        return {204, 121, 167};
    }
    return Qt::gray;
}

const char* kindName(BlockKind kind)
{
    switch (kind) {
    case BlockKind::Survival:
        return "Survival";
    case BlockKind::Movement:
        return "Movement";
    case BlockKind::OpenCapture:
        return "Open capture";
    case BlockKind::ClosedCapture:
        return "Closed capture";
    }
    return "";
}

}  // namespace tw
