// The PIM chart window, opened from "Pim ▸ PIM chart": its block commands, drags,
// renumberings, undo and redo run as the session's commands (which write the open
// windows back first); it is drawn anew whenever the model may have changed; a double
// click brings forward the grid window of a block.
#include "app/mainwindow.h"

#include <QAbstractItemView>
#include <QTableView>

#include "app/keyboard.h"
#include "pim/pimblocks.h"
#include "pim/widgets/chartwindow.h"
#include "pim/widgets/gridtablemodel.h"
#include "pim/widgets/gridwindow.h"

namespace tw {

namespace {

ViewKind viewOf(BlockKind kind)
{
    switch (kind) {
    case BlockKind::Survival:
        return ViewKind::Survival;
    case BlockKind::Movement:
        return ViewKind::Movement;
    case BlockKind::OpenCapture:
        return ViewKind::OpenCapture;
    case BlockKind::ClosedCapture:
        return ViewKind::ClosedCapture;
    }
    return ViewKind::Survival;
}

// The open grid window showing the cell, and where in its grid; nullptr when none does.
GridWindow* windowShowing(const std::vector<QPointer<GridWindow>>& windows, int cell, int& gridCell)
{
    for (GridWindow* window : windows) {
        if (!window || window->isClosed())
            continue;
        const std::vector<int>& cellmap = window->cellmap();
        const auto found = std::find(cellmap.begin(), cellmap.end(), cell);
        if (found != cellmap.end()) {
            gridCell = static_cast<int>(found - cellmap.begin());
            return window;
        }
    }
    return nullptr;
}

}  // namespace

void Form1::showChart()
{
    if (!m_chartWindow) {
        ChartHost host;
        host.model = [this]() -> const Model& { return model(); };
        host.undoText = [this] { return QString::fromStdString(m_session.undoText()); };
        host.redoText = [this] { return QString::fromStdString(m_session.redoText()); };
        m_chartWindow = new ChartWindow(std::move(host), this);
        m_chartWindow->placeNear(*this);
        applyKeyboard(m_chartWindow, KeyboardOf::ChartWindow);
        connectChart();
    }
    m_chartWindow->refresh();
    m_chartWindow->showNormal();
    m_chartWindow->raise();
    m_chartWindow->activateWindow();
}

void Form1::connectChart()
{
    ChartWindow* chart = m_chartWindow;
    connect(this, &Form1::modelChanged, chart, &ChartWindow::refresh);
    connect(chart, &ChartWindow::blockCommandRequested, this, [this](int row, BlockCommand command) {
        run([&](FrontEnd& front) { return m_session.changeBlock(front, row, command); });
    });
    connect(chart, &ChartWindow::shiftRequested, this, [this](int row, int d) {
        run([&](FrontEnd& front) { return m_session.shiftBlock(front, row, d); });
    });
    connect(chart, &ChartWindow::renumberWithoutGapsRequested, this,
            [this] { run([this](FrontEnd& front) { return m_session.renumberWithoutGaps(front); }); });
    connect(chart, &ChartWindow::renumberWithoutSharingRequested, this,
            [this] { run([this](FrontEnd& front) { return m_session.renumberWithoutSharing(front); }); });
    connect(chart, &ChartWindow::undoRequested, this,
            [this] { run([this](FrontEnd& front) { return m_session.undo(front); }); });
    connect(chart, &ChartWindow::redoRequested, this,
            [this] { run([this](FrontEnd& front) { return m_session.redo(front); }); });
    connect(chart, &ChartWindow::saveRequested, this,
            [this] { run([this](FrontEnd& front) { return m_session.saveChart(front); }); });
    connect(chart, &ChartWindow::openBlockRequested, this, &Form1::openBlockGrid);
}

void Form1::openBlockGrid(int row)
{
    const std::vector<PimBlock> blocks = pimBlocks(model());
    if (row < 0 || row >= static_cast<int>(blocks.size()) || blocks[static_cast<std::size_t>(row)].cells.empty())
        return;
    const PimBlock& block = blocks[static_cast<std::size_t>(row)];
    int gridCell = 0;
    GridWindow* window = windowShowing(m_gridWindows, block.cells.front(), gridCell);
    if (!window) {
        // One view's windows are open at a time, as the disabled "Pim" menu keeps it.
        closeGridWindows(WriteBack::Yes);
        openViews(viewOf(block.kind));
        window = windowShowing(m_gridWindows, block.cells.front(), gridCell);
    }
    if (!window)
        return;
    window->showNormal();
    window->raise();
    window->activateWindow();
    const QModelIndex index = window->gridModel()->indexOf(gridCell);
    window->table()->setCurrentIndex(index);
    window->table()->scrollTo(index, QAbstractItemView::PositionAtTop);
}

}  // namespace tw
