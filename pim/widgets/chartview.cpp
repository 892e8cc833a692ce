#include "pim/widgets/chartview.h"

#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace tw {

namespace {

constexpr double kGrace = 3.0;  // pixels around a bar that still hit it

// The same blocks in the same order: the selection can stay.
bool sameRows(const ChartData& a, const ChartData& b)
{
    return a.rows.size() == b.rows.size()
        && std::equal(a.rows.begin(), a.rows.end(), b.rows.begin(),
                      [](const ChartRow& x, const ChartRow& y) { return x.label == y.label; });
}

}  // namespace

ChartView::ChartView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName("chart_view");
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    m_geometry = ChartGeometry::of(m_chart, font());
}

void ChartView::setChart(ChartData chart)
{
    const bool sameBlocks = sameRows(m_chart, chart);
    const int selected = m_marks.selectedRow;
    const double numberWidth = m_geometry.numberWidth;
    m_chart = std::move(chart);
    m_geometry = ChartGeometry::of(m_chart, font(), viewport());
    m_geometry.numberWidth = numberWidth;
    m_marks = ChartMarks();
    m_press = Press();
    if (sameBlocks) {
        m_marks.selectedRow = selected;
    } else {
        m_fitted = true;
        if (selected >= 0)
            emit selectionChanged(-1);
    }
    if (m_fitted)
        fit();
    updateScrollBars();
    viewport()->update();
}

void ChartView::selectRow(int row)
{
    if (row < -1 || row >= m_geometry.rows)
        row = -1;
    if (row >= 0) {
        const int top = row * m_geometry.rowHeight;
        QScrollBar* bar = verticalScrollBar();
        if (top < bar->value())
            bar->setValue(top);
        else if (top + m_geometry.rowHeight > bar->value() + visibleRowsHeight())
            bar->setValue(static_cast<int>(top + m_geometry.rowHeight - visibleRowsHeight()));
    }
    if (row == m_marks.selectedRow)
        return;
    m_marks.selectedRow = row;
    viewport()->update();
    emit selectionChanged(row);
}

double ChartView::visibleDataWidth() const
{
    return std::max(1.0, static_cast<double>(viewport()->width()) - m_geometry.labelWidth - m_geometry.countWidth);
}

double ChartView::visibleRowsHeight() const
{
    return std::max(1.0, static_cast<double>(viewport()->height()) - m_geometry.axisHeight);
}

void ChartView::updateScrollBars()
{
    const double width = visibleDataWidth();
    QScrollBar* across = horizontalScrollBar();
    across->setRange(0, static_cast<int>(std::ceil(std::max(0.0, m_geometry.dataWidth() - width))));
    across->setPageStep(static_cast<int>(width));
    across->setSingleStep(24);
    const double height = visibleRowsHeight();
    QScrollBar* down = verticalScrollBar();
    down->setRange(0, static_cast<int>(std::ceil(std::max(0.0, m_geometry.rowsHeight() - height))));
    down->setPageStep(static_cast<int>(height));
    down->setSingleStep(m_geometry.rowHeight);
}

void ChartView::setNumberWidth(double width, double anchor)
{
    width = std::clamp(width, ChartGeometry::kLeastNumberWidth, ChartGeometry::kMostNumberWidth);
    const double position = (horizontalScrollBar()->value() + anchor) / m_geometry.numberWidth;
    m_geometry.numberWidth = width;
    updateScrollBars();
    horizontalScrollBar()->setValue(static_cast<int>(std::lround(position * width - anchor)));
    clearHover();
    viewport()->update();
}

void ChartView::zoomBy(double factor, std::optional<double> x)
{
    const double anchor = x ? std::clamp(*x - dataLeft(), 0.0, visibleDataWidth()) : visibleDataWidth() / 2;
    m_fitted = false;
    setNumberWidth(m_geometry.numberWidth * factor, anchor);
}

void ChartView::fit()
{
    m_fitted = true;
    const double room = visibleDataWidth() - (m_geometry.dataWidth() - m_geometry.largestNumber * m_geometry.numberWidth);
    setNumberWidth(std::max(room, 1.0) / m_geometry.largestNumber, 0);
    horizontalScrollBar()->setValue(0);
}

ChartViewport ChartView::viewportState() const
{
    return {viewport()->size(), static_cast<double>(horizontalScrollBar()->value()),
            static_cast<double>(verticalScrollBar()->value())};
}

QPoint ChartView::pointOf(int row, double number) const
{
    const double x = dataLeft() + m_geometry.xOf(number + 0.5) - horizontalScrollBar()->value();
    const double y = m_geometry.axisHeight + (row + 0.5) * m_geometry.rowHeight - verticalScrollBar()->value();
    return QPoint(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
}

int ChartView::rowAt(QPoint point) const
{
    if (point.y() < m_geometry.axisHeight)
        return -1;
    return m_geometry.rowAt(point.y() - m_geometry.axisHeight + verticalScrollBar()->value());
}

std::optional<ChartBar> ChartView::barAt(QPoint point) const
{
    const int row = rowAt(point);
    if (row < 0 || point.x() < dataLeft() || point.x() > dataLeft() + visibleDataWidth())
        return std::nullopt;
    const double x = point.x() - dataLeft() + horizontalScrollBar()->value();
    const std::vector<NumberRun>& runs = m_chart.rows[static_cast<std::size_t>(row)].runs;
    // The run nearest x within the grace, found among those that may reach it.
    const int from = m_geometry.numberAt(x - kGrace);
    auto run = std::lower_bound(runs.begin(), runs.end(), from, [](const NumberRun& r, int n) { return r.last < n; });
    std::optional<std::size_t> nearest;
    double best = kGrace + 1;
    for (; run != runs.end() && m_geometry.barLeft(*run) <= x + kGrace; ++run) {
        const double left = m_geometry.barLeft(*run);
        const double right = m_geometry.barRight(*run);
        const double distance = x < left ? left - x : x > right ? x - right : 0;
        if (distance < best) {
            best = distance;
            nearest = static_cast<std::size_t>(run - runs.begin());
        }
    }
    if (!nearest)
        return std::nullopt;
    // The bar as drawn: the runs joined to it on either side.
    ChartBar bar{row, *nearest, *nearest};
    while (bar.first > 0 && m_geometry.barsJoin(runs[bar.first - 1], runs[bar.first]))
        --bar.first;
    while (bar.last + 1 < runs.size() && m_geometry.barsJoin(runs[bar.last], runs[bar.last + 1]))
        ++bar.last;
    return bar;
}

std::span<const NumberRun> ChartView::runsOf(const ChartBar& bar) const
{
    const std::vector<NumberRun>& runs = m_chart.rows[static_cast<std::size_t>(bar.row)].runs;
    return std::span<const NumberRun>(runs).subspan(bar.first, bar.last - bar.first + 1);
}

void ChartView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    if (m_chart.rows.empty()) {
        painter.fillRect(viewport()->rect(), palette().base());
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(viewport()->rect(), Qt::AlignCenter, "No model: read a model file to see its PIM chart.");
        return;
    }
    paintChart(painter, m_chart, m_geometry, viewportState(), m_marks);
}

void ChartView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_fitted)
        fit();
    updateScrollBars();
}

void ChartView::scrollContentsBy(int, int)
{
    viewport()->update();
}

std::vector<int> ChartView::sharingOf(const ChartBar& bar) const
{
    std::vector<int> rows;
    for (const NumberRun& run : runsOf(bar)) {
        const std::vector<int> holding = rowsHoldingAny(m_chart, run.first, run.last, bar.row);
        rows.insert(rows.end(), holding.begin(), holding.end());
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

}  // namespace tw
