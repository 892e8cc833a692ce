#include "pim/widgets/gridwindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "pim/gridwriteback.h"
#include "pim/widgets/gridpainting.h"
#include "pim/widgets/gridtablemodel.h"

namespace tw {

namespace {

// One user action on the texts of a grid: undo and redo set the changed cells to
// their texts before and after.
class GridEditCommand : public QUndoCommand {
public:
    GridEditCommand(GridTableModel* model, std::vector<TextChange> changes, const QString& text)
        : QUndoCommand(text), m_model(model), m_changes(std::move(changes))
    {
    }
    void redo() override { m_model->applyChanges(m_changes, GridTableModel::Side::After); }
    void undo() override { m_model->applyChanges(m_changes, GridTableModel::Side::Before); }

private:
    GridTableModel* m_model;
    std::vector<TextChange> m_changes;
};

QAction* addItem(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

constexpr int kPageColumns = 3;

}  // namespace

GridWindow::GridWindow(GridWindowLayout layout, QWidget* parent) : QMainWindow(parent, Qt::Window)
{
    setObjectName("frm_movement");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromStdString(layout.caption));
    m_model = new GridTableModel(std::move(layout), this);
    m_undo = new QUndoStack(this);
    m_model->editRequested = [this](int cell, const std::string& text) { typeText(cell, QString::fromStdString(text)); };
    connect(m_model, &GridTableModel::textsChanged, this, &GridWindow::textsChanged);
    buildMenus();
    buildControls();
    fitSize();
}

GridWindow::~GridWindow() = default;

int GridWindow::number() const
{
    return m_model->layout().number;
}

const std::vector<int>& GridWindow::cellmap() const
{
    return m_model->layout().cellmap;
}

const GridWindowLayout& GridWindow::layout() const
{
    return m_model->layout();
}

const PimGrid& GridWindow::grid() const
{
    return m_model->grid();
}

void GridWindow::buildMenus()
{
    mnu_cons = menuBar()->addMenu("Constraints");
    mnu_cons->setObjectName("mnu_cons");
    menu_constant = addItem(mnu_cons, "menu_constant", "Constant over time,strata,age");
    menu_time = addItem(mnu_cons, "menu_time", "Constant over time");
    menu_strata = addItem(mnu_cons, "menu_strata", "Constant over strata");
    menu_age = addItem(mnu_cons, "menu_age", "Constant over age");
    menu_varying = addItem(mnu_cons, "menu_varying", "age,strata,time varying");
    menu_oops = addItem(mnu_cons, "menu_oops", "Oops");
    menu_chngzeros = addItem(mnu_cons, "menu_chngzeros", "Change zeros too");
    menu_chngzeros->setCheckable(true);
    menu_chngzeros->setChecked(false);

    menu_dm = menuBar()->addAction("Design Matrix");
    menu_dm->setObjectName("menu_dm");

    QMenu* edit = menuBar()->addMenu("Edit");
    edit->setObjectName("menu_edit");
    menu_undo = m_undo->createUndoAction(this, "Undo");
    menu_undo->setObjectName("menu_undo");
    menu_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    menu_redo = m_undo->createRedoAction(this, "Redo");
    menu_redo->setObjectName("menu_redo");
    menu_redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    edit->addAction(menu_undo);
    edit->addAction(menu_redo);

    connect(menu_constant, &QAction::triggered, this, [this] { runCommand(GridCommand::ConstantOverAll); });
    connect(menu_time, &QAction::triggered, this, [this] { runCommand(GridCommand::ConstantOverTime); });
    connect(menu_strata, &QAction::triggered, this, [this] { runCommand(GridCommand::ConstantOverStrata); });
    connect(menu_age, &QAction::triggered, this, [this] { runCommand(GridCommand::ConstantOverAge); });
    connect(menu_varying, &QAction::triggered, this, [this] { runCommand(GridCommand::Varying); });
    connect(menu_oops, &QAction::triggered, this, &GridWindow::oops);
    connect(menu_dm, &QAction::triggered, this, [this] { emit designMatrixRequested(this); });
}

void GridWindow::buildControls()
{
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(6, 4, 6, 6);
    column->setSpacing(4);

    lbl_view = new QLabel(QString::fromStdString(m_model->layout().description), central);
    lbl_view->setObjectName("lbl_view");
    column->addWidget(lbl_view);

    Label1 = new QLabel(" - Hold shift key and click to select pim for design matrix.", central);
    Label1->setObjectName("Label1");
    // Lines that never wrap (a wrapping label costs every window's layout dearly) and
    // do not hold the window wider than a narrow screen.
    for (QLabel* line : {lbl_view, Label1})
        line->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    column->addWidget(Label1);

    m_table = new GridTableView(central);
    m_table->setObjectName("Text1");
    m_table->setHorizontalHeader(new GridHeaderView(Qt::Horizontal, m_table));
    m_table->setVerticalHeader(new GridHeaderView(Qt::Vertical, m_table));
    m_delegate = new GridCellDelegate(m_table);
    m_table->setItemDelegate(m_delegate);
    m_table->setModel(m_model);
    m_table->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    m_table->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_table->horizontalScrollBar()->setStyle(scrollBarStyle());
    m_table->verticalScrollBar()->setStyle(scrollBarStyle());
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    const QFontMetrics metrics(m_table->font());
    QHeaderView* columns = m_table->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Fixed);
    columns->setDefaultSectionSize(metrics.horizontalAdvance("-32768") + 12);
    columns->setMinimumSectionSize(8);
    QHeaderView* rows = m_table->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(metrics.height() + 8);
    m_table->viewport()->installEventFilter(this);
    m_table->installEventFilter(this);
    connect(m_table->verticalScrollBar(), &QScrollBar::rangeChanged, this, &GridWindow::fitTableWidth);
    column->addWidget(m_table, 1);

    auto* paging = new QHBoxLayout;
    cmd_left = new QPushButton("<<", central);
    cmd_left->setObjectName("cmd_left");
    cmd_left->setToolTip("Move the grid three columns to the left");
    cmd_right = new QPushButton(">>", central);
    cmd_right->setObjectName("cmd_right");
    cmd_right->setToolTip("Move the grid three columns to the right");
    paging->addWidget(cmd_left);
    paging->addWidget(cmd_right);
    paging->addStretch(1);
    column->addLayout(paging);
    // Movement windows show no paging buttons.
    const bool pages = m_model->layout().kind != ViewKind::Movement;
    cmd_left->setVisible(pages);
    cmd_right->setVisible(pages);
    connect(cmd_left, &QPushButton::clicked, this, &GridWindow::pageLeft);
    connect(cmd_right, &QPushButton::clicked, this, &GridWindow::pageRight);

    setCentralWidget(central);
}

QSize GridWindow::tableSize() const
{
    const GridWindowLayout& grid = m_model->layout();
    const int frame = 2 * m_table->frameWidth();
    return {m_table->verticalHeader()->sizeHint().width() + grid.rowLength * m_table->horizontalHeader()->defaultSectionSize()
                + frame,
            m_table->horizontalHeader()->sizeHint().height()
                + grid.rowCount() * m_table->verticalHeader()->defaultSectionSize() + frame};
}

// The table ends with its last column (and the scroll bar beside it, when shown) rather
// than stretching to the window's width, which the lines above may set.
void GridWindow::fitTableWidth()
{
    const QScrollBar* bar = m_table->verticalScrollBar();
    m_table->setMaximumWidth(tableSize().width() + (bar->maximum() > 0 ? bar->sizeHint().width() : 0));
}

QSize GridWindow::wantedSize() const
{
    const QSize table = tableSize();
    const QMargins margins = centralWidget()->layout()->contentsMargins();
    const int spacing = centralWidget()->layout()->spacing();
    const int lineWidth = std::max({table.width(), lbl_view->sizeHint().width(), Label1->sizeHint().width(), 240});
    int height = menuBar()->sizeHint().height() + margins.top() + lbl_view->sizeHint().height() + spacing
        + Label1->sizeHint().height() + spacing + table.height() + margins.bottom();
    if (cmd_left->isVisibleTo(this))
        height += spacing + cmd_left->sizeHint().height();
    return {lineWidth + margins.left() + margins.right(), std::max(height, 160)};
}

void GridWindow::fitSize()
{
    // The window hugs its grid, within most of the screen; larger grids scroll. Whoever
    // opens the window may fit it to another screen (placeGridWindows).
    QSize wanted = wantedSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize available = screen->availableGeometry().size();
        wanted = wanted.boundedTo(QSize(available.width() * 9 / 10, available.height() * 8 / 10));
    }
    resize(wanted);
    fitTableWidth();
}

void GridWindow::setModelFile(const QString& path)
{
    setToolTip(path.isEmpty() ? QString() : "Model file: " + QFileInfo(path).absoluteFilePath());
}

void GridWindow::pushTexts(const std::vector<std::string>& after, const QString& description)
{
    std::vector<TextChange> changes = textChanges(grid().texts, after);
    if (changes.empty())
        return;
    m_undo->push(new GridEditCommand(m_model, std::move(changes), description));
}

void GridWindow::runCommand(GridCommand command)
{
    static const std::map<GridCommand, QString> names = {
        {GridCommand::ConstantOverAll, "Constant over time,strata,age"},
        {GridCommand::ConstantOverTime, "Constant over time"},
        {GridCommand::ConstantOverStrata, "Constant over strata"},
        {GridCommand::ConstantOverAge, "Constant over age"},
        {GridCommand::Varying, "age,strata,time varying"},
    };
    PimGrid changed = grid();
    const Zeros zeros = menu_chngzeros->isChecked() ? Zeros::Change : Zeros::Skip;
    if (command == GridCommand::Varying && m_numbersOutside)
        numberVarying(changed, zeros, m_numbersOutside(*this));
    else
        applyCommand(changed, command, zeros);
    pushTexts(changed.texts, names.at(command));
}

void GridWindow::oops()
{
    PimGrid restored = grid();
    restoreBuilt(restored, layout().builtTexts);
    pushTexts(restored.texts, "Oops");
}

void GridWindow::typeText(int cell, const QString& text)
{
    if (cell < 0 || cell >= grid().cellCount())
        return;
    std::vector<std::string> after = grid().texts;
    after[cell] = text.toStdString();
    pushTexts(after, QString("Typing in cell %1").arg(cellmap()[cell]));
}

void GridWindow::toggleMark(int cell)
{
    m_model->toggleMark(cell);
}

void GridWindow::pageLeft()
{
    QScrollBar* bar = m_table->horizontalScrollBar();
    bar->setValue(bar->value() + kPageColumns);
}

void GridWindow::pageRight()
{
    QScrollBar* bar = m_table->horizontalScrollBar();
    bar->setValue(bar->value() - kPageColumns);
}

void GridWindow::textsChanged()
{
    if (!m_pimMenu || m_pimMenu->isEnabled() || !menu_dm->isEnabled())
        return;
    menu_dm->setEnabled(false);
    // The design-matrix rows are chosen among the numbers the view was opened with.
    const QString why = "Design Matrix is off in this window: its cells were changed. Close the grid windows "
                        "(their numbers are kept) and open the view again from the Pim menu to choose rows "
                        "for the design matrix.";
    menu_dm->setToolTip(why);
    menu_dm->setStatusTip(why);
    Label1->setToolTip(why);
    Label1->setText(" - Cells changed: Design Matrix is off until the view is opened again.");
}

bool GridWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        // Delete clears the current cell (an editor open in it takes its own keys).
        const auto* key = static_cast<QKeyEvent*>(event);
        const int cell = m_model->cellAt(m_table->currentIndex());
        if (key->key() != Qt::Key_Delete || key->modifiers() != Qt::NoModifier || cell < 0)
            return false;
        typeText(cell, QString());
        return true;
    }
    if (watched != m_table->viewport())
        return QMainWindow::eventFilter(watched, event);
    const auto shiftAlone = [](Qt::KeyboardModifiers modifiers) {
        return (modifiers & ~Qt::KeypadModifier) == Qt::ShiftModifier;
    };
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!shiftAlone(mouse->modifiers()))
            return false;
        const int cell = m_model->cellAt(m_table->indexAt(mouse->position().toPoint()));
        if (cell >= 0)
            toggleMark(cell);
        return true;
    }
    case QEvent::ContextMenu: {
        auto* menu = static_cast<QContextMenuEvent*>(event);
        if (!shiftAlone(menu->modifiers()))
            mnu_cons->popup(menu->globalPos());
        return true;
    }
    default:
        return false;
    }
}

void GridWindow::closeEvent(QCloseEvent* event)
{
    if (!m_closed) {
        m_delegate->commitOpenEditor();
        m_closed = true;
        emit closing(this);
    }
    event->accept();
}

std::vector<int> numbersOutside(const Model& model, const GridWindow& window,
                                const std::vector<QPointer<GridWindow>>& windows)
{
    std::vector<GridTexts> others;
    for (const QPointer<GridWindow>& other : windows)
        if (other && other != &window && !other->isClosed())
            others.push_back({&other->cellmap(), &other->grid().texts});
    return numbersHeldOutside(model, window.cellmap(), others);
}

std::vector<int> markedModelCells(const std::vector<QPointer<GridWindow>>& windows)
{
    std::vector<int> cells;
    for (const QPointer<GridWindow>& window : windows) {
        if (!window)
            continue;
        const std::vector<int> marked = markedCells(window->grid(), window->cellmap());
        cells.insert(cells.end(), marked.begin(), marked.end());
    }
    return cells;
}

}  // namespace tw
