#include "pim/chartdraw/chartpainter.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace tw {

namespace {

const QColor kPanel(242, 242, 242);
const QColor kStripe(248, 248, 248);
const QColor kSelected(214, 228, 247);
const QColor kRule(190, 190, 190);
const QColor kGrid(232, 232, 232);
const QColor kHoverBand(255, 214, 102, 70);
const QColor kShareOutline(200, 80, 0);
const QColor kDragGuide(180, 0, 0);

// Black or white, whichever reads better on the colour.
QColor textOn(const QColor& colour)
{
    return colour.red() * 299 + colour.green() * 587 + colour.blue() * 114 > 140000 ? Qt::black : Qt::white;
}

// One pass of painting: the layout of the viewport and the helpers that use it.
class ChartPainting {
public:
    ChartPainting(QPainter& painter, const ChartData& chart, const ChartGeometry& geometry, const ChartViewport& view,
                  const ChartMarks& marks)
        : m_painter(painter), m_chart(chart), m_geometry(geometry), m_view(view), m_marks(marks),
          m_metrics(geometry.font, painter.device())
    {
        m_dataLeft = geometry.labelWidth;
        m_dataRight = std::max(m_dataLeft, view.size.width() - geometry.countWidth);
        m_rowsTop = geometry.axisHeight;
        m_firstNumber = std::max(1, geometry.numberAt(view.scrollX));
        m_lastNumber = geometry.numberAt(view.scrollX + (m_dataRight - m_dataLeft));
        if (!chart.rows.empty() && geometry.rowHeight > 0) {
            m_firstRow = std::max(0, static_cast<int>(view.scrollY / geometry.rowHeight));
            const double bottom = view.scrollY + (view.size.height() - m_rowsTop);
            m_lastRow = std::min(geometry.rows - 1, static_cast<int>(bottom / geometry.rowHeight));
        }
    }

    void paint()
    {
        m_painter.save();
        m_painter.setFont(m_geometry.font);
        m_painter.fillRect(QRect(QPoint(0, 0), m_view.size), Qt::white);
        m_painter.setClipRect(dataArea());
        paintRowBackgrounds();
        paintGrid();
        paintHoverBand();
        for (int row = m_firstRow; row <= m_lastRow; ++row)
            paintBars(row);
        paintSharing();
        m_painter.setClipping(false);
        paintLabels();
        paintCounts();
        paintAxis();
        paintDragGuide();
        m_painter.restore();
    }

private:
    QRectF dataArea() const
    {
        return QRectF(m_dataLeft, m_rowsTop, m_dataRight - m_dataLeft, m_view.size.height() - m_rowsTop);
    }
    double xOf(double number) const { return m_dataLeft + m_geometry.xOf(number) - m_view.scrollX; }
    double yOf(int row) const { return m_rowsTop + static_cast<double>(row) * m_geometry.rowHeight - m_view.scrollY; }
    QRectF rowBand(int row, double left, double right) const
    {
        return QRectF(left, yOf(row), right - left, m_geometry.rowHeight);
    }
    QColor rowBackground(int row) const
    {
        if (row == m_marks.selectedRow)
            return kSelected;
        return row % 2 == 1 ? kStripe : QColor(Qt::white);
    }
    bool startsKind(int row) const
    {
        return row > 0 && m_chart.rows[row].block.kind != m_chart.rows[row - 1].block.kind;
    }

    void paintRowBackgrounds()
    {
        for (int row = m_firstRow; row <= m_lastRow; ++row) {
            m_painter.fillRect(rowBand(row, m_dataLeft, m_dataRight), rowBackground(row));
            if (startsKind(row)) {
                m_painter.setPen(kRule);
                m_painter.drawLine(QPointF(m_dataLeft, yOf(row)), QPointF(m_dataRight, yOf(row)));
            }
        }
    }

    int tickStep() const { return m_geometry.tickStep(m_metrics.horizontalAdvance("000000") + 12); }

    void paintGrid()
    {
        const int step = tickStep();
        m_painter.setPen(kGrid);
        const double bottom = std::min<double>(m_view.size.height(), yOf(m_geometry.rows));
        for (int number = (m_firstNumber + step - 1) / step * step; number <= m_lastNumber; number += step) {
            const double x = std::round(xOf(number + 0.5));
            m_painter.drawLine(QPointF(x, m_rowsTop), QPointF(x, bottom));
        }
    }

    void paintHoverBand()
    {
        if (m_marks.hoverRow < 0 || m_marks.dragRow >= 0)
            return;
        const double left = xOf(m_marks.hoverRun.first);
        const double right = std::max(xOf(m_marks.hoverRun.last + 1.0), left + 2);
        const double bottom = std::min<double>(m_view.size.height(), yOf(m_geometry.rows));
        m_painter.fillRect(QRectF(left, m_rowsTop, right - left, bottom - m_rowsTop), kHoverBand);
    }

    // Whether a bar is drawn as data (outlined, its numbers written where they fit) or as
    // the faint place a dragged bar left.
    enum class BarStyle { Solid, Ghost };

    // The bars of one row's runs moved by shift numbers, those too close to tell apart
    // drawn as one; a bar that holds one run and has room shows its numbers.
    void paintBars(int row, int shift, const QColor& colour, BarStyle style)
    {
        const std::vector<NumberRun>& runs = m_chart.rows[row].runs;
        const double top = yOf(row) + 3;
        const double height = m_geometry.rowHeight - 6;
        const double offset = m_dataLeft - m_view.scrollX + shift * m_geometry.numberWidth;
        auto run = std::lower_bound(runs.begin(), runs.end(), m_firstNumber - shift,
                                    [](const NumberRun& r, int number) { return r.last < number; });
        QRectF bar;
        const NumberRun* alone = nullptr;
        const auto flush = [&] {
            if (bar.isNull())
                return;
            // The numbers go beside a bar too narrow for them, up to the row's next bar.
            const double nextLeft = run != runs.end() ? m_geometry.barLeft(*run) + offset : m_dataRight;
            const double room = std::min<double>(nextLeft, m_dataRight);
            const bool labelled = style == BarStyle::Solid && alone;
            drawBar(bar, colour, style, labelled ? runText({alone->first + shift, alone->last + shift}) : QString(), room);
        };
        for (; run != runs.end() && run->first + shift <= m_lastNumber; ++run) {
            const double right = m_geometry.barRight(*run) + offset;
            if (!bar.isNull() && m_geometry.barsJoin(*(run - 1), *run)) {
                bar.setRight(std::max(bar.right(), right));
                alone = nullptr;
                continue;
            }
            flush();
            const double left = m_geometry.barLeft(*run) + offset;
            bar = QRectF(left, top, right - left, height);
            alone = &*run;
        }
        flush();
    }

    void drawBar(const QRectF& bar, const QColor& colour, BarStyle style, const QString& text, double room)
    {
        m_painter.fillRect(bar, colour);
        if (style == BarStyle::Solid && bar.width() >= 4) {
            m_painter.setPen(colour.darker(140));
            m_painter.drawRect(bar.adjusted(0, 0, -1, -1));
        }
        if (text.isEmpty())
            return;
        const double width = m_metrics.horizontalAdvance(text) + 4;
        if (width <= bar.width()) {
            m_painter.setPen(textOn(colour));
            m_painter.drawText(bar, Qt::AlignCenter, text);
        } else if (bar.right() + 2 + width <= room) {
            m_painter.setPen(colour.darker(170));
            m_painter.drawText(QRectF(bar.right() + 2, bar.top(), width, bar.height()), Qt::AlignCenter, text);
        }
    }

    void paintBars(int row)
    {
        const QColor colour = kindColour(m_chart.rows[row].block.kind);
        if (row != m_marks.dragRow) {
            paintBars(row, 0, colour, BarStyle::Solid);
            return;
        }
        QColor ghost = colour;
        ghost.setAlpha(70);
        paintBars(row, 0, ghost, BarStyle::Ghost);
        paintBars(row, m_marks.dragShift, colour, BarStyle::Solid);
    }

    // Every row holding a number of the bar under the mouse, outlined; that bar's numbers
    // within each such row framed.
    void paintSharing()
    {
        if (m_marks.hoverRow < 0 || m_marks.dragRow >= 0)
            return;
        const double left = xOf(m_marks.hoverRun.first);
        const double right = std::max(xOf(m_marks.hoverRun.last + 1.0), left + 2);
        m_painter.setBrush(Qt::NoBrush);
        for (int row : m_marks.sharingRows) {
            if (row < m_firstRow || row > m_lastRow)
                continue;
            m_painter.setPen(QPen(kShareOutline, 2));
            m_painter.drawRect(rowBand(row, m_dataLeft, m_dataRight).adjusted(1, 1, -1, -1));
        }
        if (m_marks.hoverRow >= m_firstRow && m_marks.hoverRow <= m_lastRow) {
            m_painter.setPen(QPen(Qt::black, 2));
            m_painter.drawRect(QRectF(left, yOf(m_marks.hoverRow) + 2, right - left, m_geometry.rowHeight - 4));
        }
    }

    void paintLabels()
    {
        m_painter.fillRect(QRectF(0, m_rowsTop, m_dataLeft, m_view.size.height() - m_rowsTop), kPanel);
        m_painter.save();
        m_painter.setClipRect(QRectF(0, m_rowsTop, m_dataLeft, m_view.size.height() - m_rowsTop));
        const int swatch = m_geometry.rowHeight / 2;
        for (int row = m_firstRow; row <= m_lastRow; ++row) {
            const double y = yOf(row);
            if (row == m_marks.selectedRow)
                m_painter.fillRect(rowBand(row, 0, m_dataLeft), kSelected);
            if (startsKind(row)) {
                m_painter.setPen(kRule);
                m_painter.drawLine(QPointF(0, y), QPointF(m_dataLeft, y));
            }
            const QColor colour = kindColour(m_chart.rows[row].block.kind);
            m_painter.fillRect(QRectF(6, y + (m_geometry.rowHeight - swatch) / 2.0, swatch, swatch), colour);
            m_painter.setPen(Qt::black);
            m_painter.drawText(QRectF(12 + swatch, y, m_dataLeft - swatch - 16, m_geometry.rowHeight),
                               Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(m_chart.rows[row].label));
        }
        m_painter.restore();
        m_painter.setPen(kRule);
        m_painter.drawLine(QPointF(m_dataLeft - 0.5, 0), QPointF(m_dataLeft - 0.5, m_view.size.height()));
    }

    void paintCounts()
    {
        const double left = m_dataRight;
        m_painter.fillRect(QRectF(left, m_rowsTop, m_view.size.width() - left, m_view.size.height() - m_rowsTop),
                           kPanel);
        m_painter.save();
        m_painter.setClipRect(QRectF(left, m_rowsTop, m_view.size.width() - left, m_view.size.height() - m_rowsTop));
        for (int row = m_firstRow; row <= m_lastRow; ++row) {
            const ChartRow& data = m_chart.rows[row];
            if (row == m_marks.selectedRow)
                m_painter.fillRect(rowBand(row, left, m_view.size.width()), kSelected);
            m_painter.setPen(QColor(70, 70, 70));
            m_painter.drawText(QRectF(left + 8, yOf(row), m_view.size.width() - left - 12, m_geometry.rowHeight),
                               Qt::AlignLeft | Qt::AlignVCenter, countsText(data));
        }
        m_painter.restore();
        m_painter.setPen(kRule);
        m_painter.drawLine(QPointF(left + 0.5, 0), QPointF(left + 0.5, m_view.size.height()));
    }

    void paintAxis()
    {
        const int height = m_geometry.axisHeight;
        m_painter.fillRect(QRect(0, 0, m_view.size.width(), height), QColor(232, 232, 232));
        m_painter.setPen(kRule);
        m_painter.drawLine(QPointF(0, height - 0.5), QPointF(m_view.size.width(), height - 0.5));
        m_painter.setPen(QColor(60, 60, 60));
        m_painter.drawText(QRectF(6, 0, m_dataLeft - 12, height - 4), Qt::AlignLeft | Qt::AlignBottom,
                           kLabelsHeading);
        m_painter.drawText(QRectF(m_dataRight + 8, 0, m_view.size.width() - m_dataRight - 12, height - 4),
                           Qt::AlignLeft | Qt::AlignBottom, kCountsHeading);
        m_painter.save();
        m_painter.setClipRect(QRectF(m_dataLeft, 0, m_dataRight - m_dataLeft, height));
        const int step = tickStep();
        const auto tick = [&](int number) {
            const double x = std::round(xOf(number + 0.5));
            m_painter.drawLine(QPointF(x, height - 6), QPointF(x, height - 1));
            const QString text = QString::number(number);
            const double width = m_metrics.horizontalAdvance(text) + 4;
            // A label half outside the numbers' area (number 1) slides in.
            const double left = std::max<double>(x - width / 2, m_dataLeft);
            m_painter.drawText(QRectF(left, 0, width, height - 6), Qt::AlignCenter, text);
        };
        // Number 1 is labelled too where the step leaves it room.
        if (step >= 10 && m_firstNumber <= 1)
            tick(1);
        for (int number = (m_firstNumber + step - 1) / step * step; number <= m_lastNumber; number += step)
            tick(number);
        m_painter.restore();
    }

    void paintDragGuide()
    {
        if (m_marks.dragRow < 0)
            return;
        const double x = std::round(xOf(m_marks.dragNumber + 0.5));
        m_painter.setPen(QPen(kDragGuide, 1, Qt::DashLine));
        m_painter.drawLine(QPointF(x, m_rowsTop), QPointF(x, m_view.size.height()));
        const int shift = m_marks.dragShift;
        const QString text = QString("%1 (%2%3)").arg(m_marks.dragNumber).arg(shift > 0 ? "+" : "").arg(shift);
        const double width = m_metrics.horizontalAdvance(text) + 10;
        const QRectF box(std::clamp(x - width / 2, 0.0, std::max(0.0, m_view.size.width() - width)), 2, width,
                         m_geometry.axisHeight - 6);
        m_painter.fillRect(box, kDragGuide);
        m_painter.setPen(Qt::white);
        m_painter.drawText(box, Qt::AlignCenter, text);
    }

    QPainter& m_painter;
    const ChartData& m_chart;
    const ChartGeometry& m_geometry;
    const ChartViewport& m_view;
    const ChartMarks& m_marks;
    QFontMetricsF m_metrics;
    int m_dataLeft = 0;
    int m_dataRight = 0;
    int m_rowsTop = 0;
    int m_firstNumber = 1;
    int m_lastNumber = 0;
    int m_firstRow = 0;
    int m_lastRow = -1;
};

constexpr BlockKind kKinds[] = {BlockKind::Survival, BlockKind::Movement, BlockKind::OpenCapture,
                                BlockKind::ClosedCapture};

}  // namespace

void paintChart(QPainter& painter, const ChartData& chart, const ChartGeometry& geometry, const ChartViewport& view,
                const ChartMarks& marks)
{
    ChartPainting(painter, chart, geometry, view, marks).paint();
}

QSize legendSize(const QFont& font, const QString& note, const QPaintDevice* device)
{
    const QFontMetricsF metrics = device ? QFontMetricsF(font, device) : QFontMetricsF(font);
    const double swatch = metrics.height();
    double width = 0;
    for (BlockKind kind : kKinds)
        width += swatch + 6 + metrics.horizontalAdvance(kindName(kind)) + 18;
    if (!note.isEmpty())
        width += metrics.horizontalAdvance(note) + 6;
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(metrics.height())) + 8);
}

void paintLegend(QPainter& painter, const QFont& font, const QString& note, QPoint origin)
{
    painter.save();
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const double height = std::ceil(metrics.height()) + 8;
    const double swatch = metrics.height() * 0.8;
    double x = origin.x();
    painter.setPen(Qt::black);
    for (BlockKind kind : kKinds) {
        painter.fillRect(QRectF(x, origin.y() + (height - swatch) / 2, swatch, swatch), kindColour(kind));
        x += swatch + 6;
        const double width = metrics.horizontalAdvance(kindName(kind));
        painter.drawText(QRectF(x, origin.y(), width + 2, height), Qt::AlignLeft | Qt::AlignVCenter, kindName(kind));
        x += width + 18;
    }
    if (!note.isEmpty()) {
        painter.setPen(QColor(70, 70, 70));
        painter.drawText(QRectF(x, origin.y(), metrics.horizontalAdvance(note) + 4, height),
                         Qt::AlignLeft | Qt::AlignVCenter, note);
    }
    painter.restore();
}

QString runText(const NumberRun& run)
{
    if (run.first == run.last)
        return QString::number(run.first);
    return QString("%1\u2013%2").arg(run.first).arg(run.last);
}

}  // namespace tw
