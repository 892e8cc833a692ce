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
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "pim/chartdata.h"
#include "pim/widgets/chartview.h"

namespace tw {

namespace {

constexpr const char* kHint =
    "Drag a bar sideways to shift its block's numbers; right-click for the block commands; double-click opens "
    "the block's grid window.";
constexpr const char* kLegendNote = "Outlined: the blocks sharing the numbers under the mouse";
constexpr int kMostNamesInTip = 8;

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

// "9–16, 20": ascending numbers as runs.
QString rangesText(std::vector<int> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    QStringList parts;
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
            ++j;
        parts << runText({numbers[i], numbers[j]});
        i = j + 1;
    }
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
    m_view->describeBar = [this](int row, const NumberRun& run) { return barText(row, run.first, run.last); };
    column->addWidget(m_view, 1);
    auto* strip = new QHBoxLayout;
    strip->setContentsMargins(4, 0, 8, 0);
    strip->addWidget(new LegendStrip(central));
    m_status = new QLabel(kHint, central);
    m_status->setObjectName("lbl_chartstatus");
    m_status->setMinimumWidth(0);
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    strip->addWidget(m_status, 1);
    column->addLayout(strip);
    setCentralWidget(central);

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
    fitSize();
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

void ChartWindow::fitSize()
{
    // Small models whole, with room for the numbers in their bars; large ones within most
    // of the screen.
    const ChartGeometry& geometry = m_view->geometry();
    const int frame = 2 * m_view->frameWidth() + m_view->verticalScrollBar()->sizeHint().width();
    const int rowsWidth = std::max(geometry.largestNumber * 18, 420);
    const int chartHeight = geometry.axisHeight + geometry.rows * geometry.rowHeight + frame
        + m_view->horizontalScrollBar()->sizeHint().height();
    QSize wanted(geometry.labelWidth + rowsWidth + geometry.countWidth + frame,
                 menuBar()->sizeHint().height() + chartHeight + m_status->sizeHint().height() + 12);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize available = screen->availableGeometry().size();
        wanted = wanted.boundedTo(QSize(available.width() * 9 / 10, available.height() * 8 / 10));
    }
    resize(wanted.expandedTo(QSize(640, 360)));
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

QString ChartWindow::barText(int row, int first, int last) const
{
    const ChartData& chart = m_view->chart();
    const ChartRow& data = chart.rows[static_cast<std::size_t>(row)];
    const Model& model = m_host.model();
    std::vector<int> cells;
    for (int cell : data.block.cells) {
        const auto at = static_cast<std::size_t>(cell);
        if (at < model.pim.size() && model.pim[at] >= first && model.pim[at] <= last)
            cells.push_back(cell);
    }
    QStringList lines;
    lines << "<b>" + QString::fromStdString(data.label).toHtmlEscaped() + "</b>";
    lines << QString("Numbers %1 (%2)").arg(runText({first, last})).arg(last - first + 1);
    lines << QString("Cells %1 (%2 of the block's %3)")
                 .arg(rangesText(cells))
                 .arg(cells.size())
                 .arg(data.block.cells.size());
    const std::vector<int> sharing = rowsHoldingAny(chart, first, last, row);
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
