// The chart view's answers to the mouse and the keys: selecting, hovering, dragging a
// bar, double clicks, the context menu, the tool tip and zooming with Ctrl+wheel.
#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "pim/widgets/chartview.h"

namespace tw {

namespace {

constexpr double kZoomStep = 1.25;

}  // namespace

void ChartView::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    const int row = rowAt(point);
    if (event->button() == Qt::LeftButton) {
        if (row >= 0)
            selectRow(row);
        m_press = Press{row, event->position().x(), barAt(point).has_value()};
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void ChartView::mouseMoveEvent(QMouseEvent* event)
{
    if ((event->buttons() & Qt::LeftButton) && m_press.onBar) {
        const double moved = event->position().x() - m_press.x;
        if (m_marks.dragRow >= 0 || std::abs(moved) >= QApplication::startDragDistance())
            drag(event->position().x());
        return;
    }
    hover(event->position().toPoint());
}

void ChartView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        endDrag(true);
        m_press = Press();
        hover(event->position().toPoint());
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void ChartView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int row = rowAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && row >= 0) {
        selectRow(row);
        emit rowActivated(row);
    }
}

std::pair<int, int> ChartView::shiftLimits(int row) const
{
    const std::vector<NumberRun>& runs = m_chart.rows[static_cast<std::size_t>(row)].runs;
    if (runs.empty())
        return {0, 0};
    return {1 - runs.front().first, std::max(0, m_largestAllowed - runs.back().last)};
}

void ChartView::drag(double x)
{
    const auto [least, most] = shiftLimits(m_press.row);
    const int shift =
        std::clamp(static_cast<int>(std::lround((x - m_press.x) / m_geometry.numberWidth)), least, most);
    const int number =
        std::clamp(m_geometry.numberAt(x - dataLeft() + horizontalScrollBar()->value()), 1, m_largestAllowed);
    if (m_marks.dragRow == m_press.row && m_marks.dragShift == shift && m_marks.dragNumber == number)
        return;
    m_marks.dragRow = m_press.row;
    m_marks.dragShift = shift;
    m_marks.dragNumber = number;
    m_marks.hoverRow = -1;
    QToolTip::hideText();
    emit hoverChanged(QString("Shift %1 by %2%3: release to move its numbers, Esc to cancel")
                          .arg(QString::fromStdString(m_chart.rows[m_press.row].label))
                          .arg(shift > 0 ? "+" : "")
                          .arg(shift));
    viewport()->update();
}

void ChartView::endDrag(bool apply)
{
    if (m_marks.dragRow < 0)
        return;
    const int row = m_marks.dragRow;
    const int shift = m_marks.dragShift;
    m_marks.dragRow = -1;
    m_marks.dragShift = 0;
    m_press.onBar = false;
    viewport()->update();
    emit hoverChanged({});
    if (apply && shift != 0)
        emit shiftRequested(row, shift);
}

void ChartView::hover(QPoint point)
{
    const std::optional<ChartBar> bar = barAt(point);
    if (!bar) {
        clearHover();
        return;
    }
    const std::span<const NumberRun> runs = runsOf(*bar);
    const NumberRun numbers{runs.front().first, runs.back().last};
    if (bar->row == m_marks.hoverRow && numbers == m_marks.hoverRun)
        return;
    m_marks.hoverRow = bar->row;
    m_marks.hoverRun = numbers;
    m_marks.sharingRows = sharingOf(*bar);
    QStringList names;
    for (std::size_t i = 0; i < m_marks.sharingRows.size() && i < 3; ++i)
        names << QString::fromStdString(m_chart.rows[static_cast<std::size_t>(m_marks.sharingRows[i])].label);
    if (m_marks.sharingRows.size() > 3)
        names << QString("%1 more").arg(m_marks.sharingRows.size() - 3);
    emit hoverChanged(QString("%1: numbers %2%3, %4")
                          .arg(QString::fromStdString(m_chart.rows[bar->row].label), runText(numbers))
                          .arg(runs.size() > 1 ? QString(" (%1 runs)").arg(runs.size()) : QString())
                          .arg(names.isEmpty() ? QString("held by no other block")
                                               : "shared with " + names.join(", ")));
    viewport()->update();
}

void ChartView::clearHover()
{
    if (m_marks.hoverRow < 0)
        return;
    m_marks.hoverRow = -1;
    m_marks.sharingRows.clear();
    emit hoverChanged({});
    viewport()->update();
}

void ChartView::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        const double steps = event->angleDelta().y() / 120.0;
        if (steps != 0)
            zoomBy(std::pow(kZoomStep, steps), event->position().x());
        event->accept();
        return;
    }
    if (event->modifiers() & Qt::ShiftModifier) {
        QScrollBar* across = horizontalScrollBar();
        across->setValue(across->value() - event->angleDelta().y() / 120 * 3 * across->singleStep());
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void ChartView::keyPressEvent(QKeyEvent* event)
{
    const int rows = m_geometry.rows;
    const int page = std::max(1, static_cast<int>(visibleRowsHeight() / std::max(m_geometry.rowHeight, 1)) - 1);
    const int row = m_marks.selectedRow;
    switch (event->key()) {
    case Qt::Key_Escape:
        endDrag(false);
        return;
    case Qt::Key_Up:
        selectRow(std::max(row - 1, 0));
        return;
    case Qt::Key_Down:
        selectRow(std::min(row + 1, rows - 1));
        return;
    case Qt::Key_PageUp:
        selectRow(std::max(row - page, 0));
        return;
    case Qt::Key_PageDown:
        selectRow(std::min(row + page, rows - 1));
        return;
    case Qt::Key_Home:
        selectRow(rows > 0 ? 0 : -1);
        return;
    case Qt::Key_End:
        selectRow(rows - 1);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (row >= 0)
            emit rowActivated(row);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void ChartView::contextMenuEvent(QContextMenuEvent* event)
{
    endDrag(false);
    int row = m_marks.selectedRow;
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        row = rowAt(event->pos());  // in the viewport's coordinates, as the mouse events
        if (row >= 0)
            selectRow(row);
    } else if (row >= 0) {
        at = viewport()->mapToGlobal(pointOf(row, m_geometry.numberAt(horizontalScrollBar()->value())));
    }
    emit contextMenuRequested(row, at);
}

bool ChartView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const std::optional<ChartBar> bar = barAt(help->pos());
        if (bar && describeBar && m_marks.dragRow < 0)
            QToolTip::showText(help->globalPos(), describeBar(*bar), viewport());
        else
            QToolTip::hideText();
        return true;
    }
    if (event->type() == QEvent::Leave)
        clearHover();
    return QAbstractScrollArea::viewportEvent(event);
}

}  // namespace tw
