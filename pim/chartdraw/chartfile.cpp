#include "pim/chartdraw/chartfile.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

#include "pim/chartdraw/chartpainter.h"

namespace tw {

namespace {

constexpr int kMargin = 16;
constexpr int kResolution = 96;        // pixels per inch of the PDF pages
constexpr double kNumbersWidth = 2400;  // pixels the numbers spread over, within the zoom's limits
constexpr double kMostPixels = 120e6;   // about half a gigabyte of image
constexpr int kMostPageHeight = 14000;  // pixels of a PDF page (about 146 inches; PDF allows 200)

QFont exportFont()
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(12);
    return font;
}

// The chart's geometry for a file: every number in view, a bar of one number at least a
// pixel wide on the largest model, numbers readable in their bars on small ones.
ChartGeometry fileGeometry(const ChartData& chart, const QPaintDevice* device)
{
    ChartGeometry geometry = ChartGeometry::of(chart, exportFont(), device);
    geometry.numberWidth = std::clamp(kNumbersWidth / geometry.largestNumber, 0.05, 24.0);
    return geometry;
}

struct Page {
    int firstRow = 0;
    int rows = 0;
};

// The size of a page holding rows rows, with the axis, the legend and the margins.
QSize pageSize(const ChartGeometry& geometry, int rows, const QSize& legend)
{
    const QSizeF sheet = geometry.sheetSize();
    const int width = static_cast<int>(std::ceil(std::max<double>(sheet.width(), legend.width()))) + 2 * kMargin;
    const int height = geometry.axisHeight + rows * geometry.rowHeight + 10 + legend.height() + 2 * kMargin;
    return QSize(width, height);
}

void paintPage(QPainter& painter, const ChartData& chart, const ChartGeometry& geometry, const Page& page)
{
    ChartViewport view;
    view.size = QSize(static_cast<int>(std::ceil(geometry.sheetSize().width())),
                      geometry.axisHeight + page.rows * geometry.rowHeight);
    view.scrollY = static_cast<double>(page.firstRow) * geometry.rowHeight;
    painter.save();
    painter.translate(kMargin, kMargin);
    painter.setClipRect(QRect(QPoint(0, 0), view.size));
    paintChart(painter, chart, geometry, view, ChartMarks());
    painter.restore();
    paintLegend(painter, geometry.font, {}, QPoint(kMargin, kMargin + view.size.height() + 10));
}

Result<std::string> drawImage(const ChartData& chart)
{
    QImage probe(1, 1, QImage::Format_RGB32);
    const ChartGeometry geometry = fileGeometry(chart, &probe);
    const QSize legend = legendSize(geometry.font, {}, &probe);
    const QSize size = pageSize(geometry, geometry.rows, legend);
    if (static_cast<double>(size.width()) * size.height() > kMostPixels)
        return makeError("The chart of " + std::to_string(geometry.rows)
                         + " blocks is too large for an image; save it as PDF.");
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return makeError("There is not enough memory for an image of the chart; save it as PDF.");
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPage(painter, chart, geometry, {0, geometry.rows});
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return makeError("The chart could not be encoded as PNG.");
    return bytes.toStdString();
}

Result<std::string> drawPdf(const ChartData& chart)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kResolution);
    writer.setTitle("PIM chart");
    writer.setCreator("Tallowick2");
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    const ChartGeometry geometry = fileGeometry(chart, &writer);
    const QSize legend = legendSize(geometry.font, {}, &writer);
    const int fixedHeight = pageSize(geometry, 0, legend).height();
    const int rowsPerPage = std::max(1, (kMostPageHeight - fixedHeight) / geometry.rowHeight);
    const auto pageOf = [&](int rows) {
        const QSizeF points = QSizeF(pageSize(geometry, rows, legend)) * 72.0 / kResolution;
        return QPageSize(points, QPageSize::Point, {}, QPageSize::ExactMatch);
    };
    const int firstPageRows = std::min(rowsPerPage, geometry.rows);
    writer.setPageSize(pageOf(firstPageRows));
    QPainter painter;
    if (!painter.begin(&writer))
        return makeError("The chart could not be drawn as PDF.");
    for (int first = 0; first < geometry.rows; first += rowsPerPage) {
        const Page page{first, std::min(rowsPerPage, geometry.rows - first)};
        if (first > 0) {
            writer.setPageSize(pageOf(page.rows));
            writer.newPage();
        }
        paintPage(painter, chart, geometry, page);
    }
    painter.end();
    return bytes.toStdString();
}

}  // namespace

Result<std::string> drawChartFile(const ChartData& chart, ChartFormat format)
{
    if (chart.rows.empty())
        return makeError("The model has no PIM blocks: read a model file first.");
    return format == ChartFormat::Pdf ? drawPdf(chart) : drawImage(chart);
}

}  // namespace tw
