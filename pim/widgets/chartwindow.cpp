#include "pim/widgets/chartwindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "pim/chartdata.h"
#include "pim/widgets/chartview.h"
#include "pim/widgets/gridplacement.h"

namespace tw {

namespace {

constexpr const char* kHint =
    "Drag a bar sideways to shift its block's numbers; right-click for the block commands; double-click opens "
    "the block's grid window.";
constexpr const char* kLegendNote = "Outlined: the blocks sharing the numbers under the mouse";
constexpr std::size_t kMostNamesInTip = 8;
constexpr std::size_t kMostRangesInTip = 6;

// The legend under the chart.
class LegendStrip : public QWidget {
public:
    explicit LegendStrip(QWidget* parent) : QWidget(parent) { setObjectName("chart_legend"); }
    QSize sizeHint() const override { return legendSize(font(), kLegendNote) + QSize(12, 0); }
    QSize minimumSizeHint() const override { return QSize(0, sizeHint().height()); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        paintLegend(painter, font(), kLegendNote, QPoint(6, 0));
    }
};

QAction* addItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& keys = {})
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(keys);
    return action;
}

// Cells in ascending order as runs: 9-16, 20.
std::vector<NumberRun> cellRuns(std::vector<int> cells)
{
    std::sort(cells.begin(), cells.end());
    std::vector<NumberRun> runs;
    for (int cell : cells) {
        if (!runs.empty() && runs.back().last + 1 == cell)
            runs.back().last = cell;
        else
            runs.push_back({cell, cell});
    }
    return runs;
}

// "9–16, 20", the first few runs only ("9–16, 20, …").
QString rangesText(std::span<const NumberRun> runs)
{
    QStringList parts;
    for (std::size_t i = 0; i < runs.size() && i < kMostRangesInTip; ++i)
        parts << runText(runs[i]);
    if (runs.size() > kMostRangesInTip)
        parts << QString::fromUtf8("\u2026");
    return parts.join(", ");
}

}  // namespace

ChartWindow::ChartWindow(ChartHost host, QWidget* parent) : QMainWindow(parent, Qt::Window), m_host(std::move(host))
{
    setObjectName("frm_chart");
    setWindowTitle("PIM chart");
    askShift = [this](const QString& block, int least, int most) -> std::optional<int> {
        bool ok = false;
        const int d = QInputDialog::getInt(this, "Shift numbers", "Shift the numbers of " + block + " by:", 0, least,
                                           most, 1, &ok);
        return ok ? std::optional<int>(d) : std::nullopt;
    };

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 4);
    column->setSpacing(4);
    m_view = new ChartView(central);
    m_view->describeBar = [this](const ChartBar& bar) { return barText(bar); };
    column->addWidget(m_view, 1);
    m_legend = new LegendStrip(central);
    column->addWidget(m_legend);
    setCentralWidget(central);
    // What lies under the mouse, or how to use the chart.
    m_status = new QLabel(kHint, this);
    m_status->setObjectName("lbl_chartstatus");
    m_status->setMinimumWidth(0);
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(m_status, 1);

    buildMenus();
    connect(m_view, &ChartView::selectionChanged, this, &ChartWindow::updateActions);
    connect(m_view, &ChartView::rowActivated, this, &ChartWindow::openBlockRequested);
    connect(m_view, &ChartView::shiftRequested, this, &ChartWindow::shiftRequested);
    connect(m_view, &ChartView::hoverChanged, this,
            [this](const QString& text) { m_status->setText(text.isEmpty() ? QString(kHint) : text); });
    connect(m_view, &ChartView::contextMenuRequested, this, [this](int, const QPoint& at) {
        updateActions();
        menu_block->popup(at);
    });
    rebuild();
    resize(wantedSize());
}

ChartWindow::~ChartWindow() = default;

void ChartWindow::buildMenus()
{
    QMenu* chart = menuBar()->addMenu("Chart");
    chart->setObjectName("menu_chartfile");
    menu_savechart = addItem(chart, "menu_savechart", QString::fromUtf8("Save chart as\u2026"), QKeySequence::Save);
    chart->addSeparator();
    QAction* close = addItem(chart, "menu_closechart", "Close", QKeySequence::Close);
    connect(menu_savechart, &QAction::triggered, this, &ChartWindow::saveRequested);
    connect(close, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu("Edit");
    edit->setObjectName("menu_chartedit");
    menu_undo = addItem(edit, "menu_undo", "Undo", QKeySequence(Qt::CTRL | Qt::Key_Z));
    menu_redo = addItem(edit, "menu_redo", "Redo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    connect(edit, &QMenu::aboutToShow, this, &ChartWindow::updateActions);
    connect(menu_undo, &QAction::triggered, this, &ChartWindow::undoRequested);
    connect(menu_redo, &QAction::triggered, this, &ChartWindow::redoRequested);

    menu_block = menuBar()->addMenu("Block");
    menu_block->setObjectName("menu_block");
    // Names the block the commands act on.
    m_blockName = addItem(menu_block, "menu_blockname", {});
    m_blockName->setEnabled(false);
    menu_block->addSeparator();
    menu_blockconstant = addItem(menu_block, "menu_blockconstant", "Constant");
    menu_blocktime = addItem(menu_block, "menu_blocktime", "Time");
    menu_blockage = addItem(menu_block, "menu_blockage", "Age");
    menu_blockdifferent = addItem(menu_block, "menu_blockdifferent", "All different");
    menu_blockshift = addItem(menu_block, "menu_blockshift", QString::fromUtf8("Shift numbers by\u2026"));
    menu_block->addSeparator();
    menu_blockopen = addItem(menu_block, "menu_blockopen", "Open grid window", QKeySequence(Qt::CTRL | Qt::Key_O));
    menu_block->addSeparator();
    menu_renumbergaps = addItem(menu_block, "menu_renumbergaps", "Renumber without gaps");
    menu_renumbersharing = addItem(menu_block, "menu_renumbersharing", "Renumber without sharing");
    const std::pair<QAction*, BlockCommand> commands[] = {{menu_blockconstant, BlockCommand::Constant},
                                                          {menu_blocktime, BlockCommand::Time},
                                                          {menu_blockage, BlockCommand::Age},
                                                          {menu_blockdifferent, BlockCommand::AllDifferent}};
    for (const auto& [action, command] : commands)
        connect(action, &QAction::triggered, this,
                [this, command = command] { emit blockCommandRequested(m_view->selectedRow(), command); });
    connect(menu_blockshift, &QAction::triggered, this, &ChartWindow::askAndShift);
    connect(menu_blockopen, &QAction::triggered, this, [this] { emit openBlockRequested(m_view->selectedRow()); });
    connect(menu_renumbergaps, &QAction::triggered, this, &ChartWindow::renumberWithoutGapsRequested);
    connect(menu_renumbersharing, &QAction::triggered, this, &ChartWindow::renumberWithoutSharingRequested);

    QMenu* view = menuBar()->addMenu("View");
    view->setObjectName("menu_chartview");
    menu_zoomin = addItem(view, "menu_zoomin", "Zoom in", QKeySequence(Qt::CTRL | Qt::Key_Equal));
    menu_zoomin->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
    menu_zoomout = addItem(view, "menu_zoomout", QString::fromUtf8("Zoom out"), QKeySequence(Qt::CTRL | Qt::Key_Minus));
    menu_fit = addItem(view, "menu_fit", "Fit", QKeySequence(Qt::CTRL | Qt::Key_0));
    connect(menu_zoomin, &QAction::triggered, this, [this] { m_view->zoomBy(1.25); });
    connect(menu_zoomout, &QAction::triggered, this, [this] { m_view->zoomBy(1 / 1.25); });
    connect(menu_fit, &QAction::triggered, m_view, &ChartView::fit);
}

void ChartWindow::refresh()
{
    m_stale = true;
    updateActions();
    if (!isVisible() || m_rebuildQueued)
        return;
    // Many changes in a row (every grid window writing back) draw the chart once.
    m_rebuildQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_rebuildQueued = false;
        rebuild();
    });
}

void ChartWindow::rebuild()
{
    if (!m_stale)
        return;
    m_stale = false;
    const Model& model = m_host.model();
    m_view->setLargestAllowed(std::min(model.npar, static_cast<int>(DesignMatrix::kMaxIndex)));
    m_view->setChart(buildChartData(model));
    updateActions();
}

QSize ChartWindow::wantedSize() const
{
    // Small models whole, with room for the numbers in their bars.
    const ChartGeometry& geometry = m_view->geometry();
    const int frame = 2 * m_view->frameWidth() + m_view->verticalScrollBar()->sizeHint().width();
    const int rowsWidth = std::max(geometry.largestNumber * 22, 420);
    const int chartHeight = geometry.axisHeight + geometry.rows * geometry.rowHeight + frame
        + m_view->horizontalScrollBar()->sizeHint().height();
    const QSize wanted(geometry.labelWidth + rowsWidth + geometry.countWidth + frame,
                       menuBar()->sizeHint().height() + chartHeight + m_legend->sizeHint().height()
                           + statusBar()->sizeHint().height() + 8);
    return wanted.expandedTo(QSize(640, 360));
}

void ChartWindow::placeNear(const QWidget& mainWindow)
{
    const QScreen* screen = mainWindow.screen() ? mainWindow.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The decoration the window manager gives the main window; none before it is shown.
    const QRect frame = mainWindow.frameGeometry();
    const QRect inner = mainWindow.geometry();
    const QSize decoration =
        mainWindow.isVisible() && frame.contains(inner) ? frame.size() - inner.size() : QSize(0, 0);
    FrameSizes sizes;
    sizes.wanted = wantedSize() + decoration;
    sizes.smallest = minimumSizeHint() + decoration;
    const std::vector<QRect> frames =
        cascadeFrames(0, 1, sizes, screen->availableGeometry(), frame.topLeft() + QPoint(60, 40), 24);
    resize(frames.front().size() - decoration);
    move(frames.front().topLeft());  // a window's position is that of its frame
}

void ChartWindow::updateActions()
{
    const bool chart = !m_host.model().pim.empty() && !m_view->chart().rows.empty();
    const bool block = chart && m_view->selectedRow() >= 0;
    for (QAction* action : {menu_blockconstant, menu_blocktime, menu_blockage, menu_blockdifferent, menu_blockshift,
                            menu_blockopen})
        action->setEnabled(block);
    for (QAction* action : {menu_renumbergaps, menu_renumbersharing, menu_savechart})
        action->setEnabled(chart);
    const int row = m_view->selectedRow();
    m_blockName->setText(block ? QString::fromStdString(m_view->chart().rows[static_cast<std::size_t>(row)].label)
                               : QString("No block selected"));
    const QString undo = m_host.undoText();
    const QString redo = m_host.redoText();
    menu_undo->setEnabled(!undo.isEmpty());
    menu_undo->setText(undo.isEmpty() ? QString("Undo") : "Undo " + undo);
    menu_redo->setEnabled(!redo.isEmpty());
    menu_redo->setText(redo.isEmpty() ? QString("Redo") : "Redo " + redo);
}

void ChartWindow::askAndShift()
{
    const int row = m_view->selectedRow();
    if (row < 0)
        return;
    const std::vector<NumberRun>& runs = m_view->chart().rows[row].runs;
    if (runs.empty())
        return;
    const int most = std::min(m_host.model().npar, static_cast<int>(DesignMatrix::kMaxIndex)) - runs.back().last;
    const auto d = askShift(QString::fromStdString(m_view->chart().rows[row].label), 1 - runs.front().first, most);
    if (d && *d != 0)
        emit shiftRequested(row, *d);
}

QString ChartWindow::barText(const ChartBar& bar) const
{
    const ChartData& chart = m_view->chart();
    const ChartRow& data = chart.rows[static_cast<std::size_t>(bar.row)];
    const std::span<const NumberRun> runs = m_view->runsOf(bar);
    const auto holds = [&runs](int number) {
        const auto run = std::lower_bound(runs.begin(), runs.end(), number,
                                          [](const NumberRun& r, int n) { return r.last < n; });
        return run != runs.end() && run->first <= number;
    };
    const Model& model = m_host.model();
    std::vector<int> cells;
    for (int cell : data.block.cells) {
        const auto at = static_cast<std::size_t>(cell);
        if (at < model.pim.size() && model.pim[at] > 0 && holds(model.pim[at]))
            cells.push_back(cell);
    }
    int numbers = 0;
    for (const NumberRun& run : runs)
        numbers += run.last - run.first + 1;
    QStringList lines;
    lines << "<b>" + QString::fromStdString(data.label).toHtmlEscaped() + "</b>";
    if (runs.size() <= kMostRangesInTip)
        lines << QString("Numbers %1 (%2)").arg(rangesText(runs)).arg(numbers);
    else
        lines << QString("Numbers %1: %2 numbers in %3 runs")
                     .arg(runText({runs.front().first, runs.back().last}))
                     .arg(numbers)
                     .arg(runs.size());
    lines << QString("Cells %1 (%2 of the block's %3)")
                 .arg(rangesText(cellRuns(cells)))
                 .arg(cells.size())
                 .arg(data.block.cells.size());
    const std::vector<int> sharing = m_view->sharingOf(bar);
    if (sharing.empty()) {
        lines << "No other block holds these numbers";
    } else {
        QStringList names;
        for (std::size_t i = 0; i < sharing.size() && i < kMostNamesInTip; ++i)
            names << QString::fromStdString(chart.rows[static_cast<std::size_t>(sharing[i])].label).toHtmlEscaped();
        if (sharing.size() > kMostNamesInTip)
            names << QString("and %1 more").arg(sharing.size() - kMostNamesInTip);
        lines << QString("Shared with %1: %2").arg(sharing.size()).arg(names.join(", "));
    }
    return lines.join("<br>");
}

void ChartWindow::showEvent(QShowEvent* event)
{
    rebuild();
    QMainWindow::showEvent(event);
}

void ChartWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        updateActions();
    QMainWindow::changeEvent(event);
}

}  // namespace tw
