#include "design/widgets/form2.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>

namespace tw {

namespace {

constexpr const char* kTitle = "Design matrix";
constexpr const char* kHint = "To delete cols, click on col header(s), then choose Cols-del from menus";

QAction* addCommand(QMenuBar* bar, const char* name, const QString& caption)
{
    QAction* action = bar->addAction(caption);
    action->setObjectName(name);
    return action;
}

PressKeys pressKeys(Qt::KeyboardModifiers modifiers)
{
    const auto held = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return held == Qt::ShiftModifier ? PressKeys::ShiftOnly : PressKeys::Other;
}

}  // namespace

// One command of the window on the table: undo and redo set one side of its edit.
class Form2::EditCommand : public QUndoCommand {
public:
    EditCommand(Form2* form, DesignEdit edit, const QString& text)
        : QUndoCommand(text), m_form(form), m_edit(std::move(edit))
    {
    }
    void redo() override { m_form->applyEdit(m_edit, ChangeSide::After); }
    void undo() override { m_form->applyEdit(m_edit, ChangeSide::Before); }

private:
    Form2* m_form;
    DesignEdit m_edit;
};

Form2::Form2(std::function<Model&()> model, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent, Qt::Window), m_model(std::move(model)), m_dialogs(dialogs)
{
    setObjectName("Form2");
    setWindowTitle(kTitle);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    Label1 = new QLabel(kHint, central);
    Label1->setObjectName("Label1");
    layout->addWidget(Label1);

    m_itemModel = new DesignItemModel(this);
    m_undo = new QUndoStack(this);
    m_itemModel->editRequested = [this](DesignTable after, const QString& description) {
        pushEdit(after, description);
    };
    m_view = new QTableView(central);
    m_view->setObjectName("txt_dm");
    m_view->setModel(m_itemModel);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::AnyKeyPressed);
    m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->horizontalHeader()->setObjectName("txt_beta");
    m_view->verticalHeader()->setObjectName("Text3");
    m_view->horizontalHeader()->setDefaultSectionSize(72);
    m_view->horizontalHeader()->setSectionsClickable(true);
    layout->addWidget(m_view, 1);
    setCentralWidget(central);

    // A header press selects the column for "Delete", not the column's cells.
    disconnect(m_view->horizontalHeader(), SIGNAL(sectionPressed(int)), m_view, SLOT(selectColumn(int)));
    connect(m_view->horizontalHeader(), &QHeaderView::sectionPressed, this, &Form2::headerPressed);
    connect(m_view->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this, &Form2::headerDoubleClicked);
    m_view->viewport()->installEventFilter(this);
    connect(m_view->horizontalScrollBar(), &QScrollBar::valueChanged, this, &Form2::syncScrollFromView);
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, this, &Form2::syncScrollFromView);

    buildMenus();
}

void Form2::buildMenus()
{
    QMenuBar* bar = menuBar();
    menu_close = addCommand(bar, "menu_close", "Close");
    menu_ident = addCommand(bar, "menu_ident", "Idenity");
    menu_cols = bar->addMenu("Cols");
    menu_cols->setObjectName("menu_cols");
    menu_addcols = menu_cols->addAction("Add");
    menu_addcols->setObjectName("menu_addcols");
    menu_delcols = menu_cols->addAction("Delete");
    menu_delcols->setObjectName("menu_delcols");
    menu_left = addCommand(bar, "menu_left", "Scroll Left(<)");
    menu_up = addCommand(bar, "menu_up", "Scroll Up (^)");
    menu_down = addCommand(bar, "menu_down", "Scroll Down(v)");
    menu_right = addCommand(bar, "menu_right", "Scroll Right(>)");
    QMenu* edit = bar->addMenu("Edit");
    edit->setObjectName("menu_edit");
    QAction* undo = m_undo->createUndoAction(this, "Undo");
    undo->setObjectName("menu_undo");
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redo = m_undo->createRedoAction(this, "Redo");
    redo->setObjectName("menu_redo");
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    edit->addAction(undo);
    edit->addAction(redo);

    connect(menu_close, &QAction::triggered, this, &Form2::closeTable);
    connect(menu_ident, &QAction::triggered, this, &Form2::identity);
    connect(menu_addcols, &QAction::triggered, this, &Form2::addColumn);
    connect(menu_delcols, &QAction::triggered, this, &Form2::deleteColumns);
    connect(menu_left, &QAction::triggered, this, &Form2::scrollLeft);
    connect(menu_up, &QAction::triggered, this, &Form2::scrollUp);
    connect(menu_down, &QAction::triggered, this, &Form2::scrollDown);
    connect(menu_right, &QAction::triggered, this, &Form2::scrollRight);
}

void Form2::build(const std::vector<int>& rowCells)
{
    finishHeaderEdit(false);
    Label1->setText(kHint);
    m_undo->clear();
    m_itemModel->rebuild(m_model(), rowCells);
    applyHiddenColumns();
    applyScroll();
    fitSize();
    show();
    raise();
    activateWindow();
}

void Form2::fitSize()
{
    // The window hugs its table, within most of the screen (larger tables scroll), and
    // is never narrower than its menu bar and hint line.
    QHeaderView* columns = m_view->horizontalHeader();
    QHeaderView* rows = m_view->verticalHeader();
    const int frame = 2 * m_view->frameWidth();
    int tableWidth = rows->sizeHint().width() + frame;
    for (int j = 0; j < m_itemModel->columnCount(); ++j)
        if (!m_view->isColumnHidden(j))
            tableWidth += columns->sectionSize(j);
    const int tableHeight = columns->sizeHint().height() + m_itemModel->rowCount() * rows->defaultSectionSize() + frame;
    const QMargins margins = centralWidget()->layout()->contentsMargins();
    const int spacing = centralWidget()->layout()->spacing();
    QSize wanted(tableWidth + margins.left() + margins.right(),
                 menuBar()->sizeHint().height() + margins.top() + Label1->sizeHint().height() + spacing
                     + tableHeight + margins.bottom());
    // Room for a scroll bar, should the screen bound cut the table.
    wanted += QSize(style()->pixelMetric(QStyle::PM_ScrollBarExtent), style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize available = screen->availableGeometry().size();
        wanted = wanted.boundedTo(QSize(available.width() * 9 / 10, available.height() * 8 / 10));
    }
    const int leastWidth = std::max(menuBar()->sizeHint().width() + margins.right(),
                                    Label1->sizeHint().width() + margins.left() + margins.right());
    resize(wanted.expandedTo(QSize(leastWidth, 200)));
}

void Form2::discard()
{
    finishHeaderEdit(false);
    m_undo->clear();
    m_itemModel->clearTable();  // the reset also drops an open cell editor uncommitted
    hide();
}

void Form2::closeTable()
{
    if (writeBack())
        hide();
}

bool Form2::writeBack()
{
    commitOpenEditors();
    if (const auto refusal = m_itemModel->table().check()) {
        showRefusal(*refusal);
        return false;
    }
    m_itemModel->table().writeBack(m_model());
    m_undo->clear();
    m_itemModel->clearTable();
    emit closedByCommand();
    return true;
}

void Form2::commitOpenEditors()
{
    finishHeaderEdit(true);
    if (QWidget* editor = m_view->indexWidget(m_view->currentIndex()))
        QMetaObject::invokeMethod(m_view, "commitData", Qt::DirectConnection, Q_ARG(QWidget*, editor));
}

void Form2::showRefusal(const DesignRefusal& refusal)
{
    m_dialogs.message(this, kTitle, QString::fromStdString(refusal.message), Severity::Warning);
    if (refusal.column >= 0 && m_itemModel->table().column(refusal.column).hidden) {
        m_itemModel->table().unhide(refusal.column);
        m_view->setColumnHidden(refusal.column, false);
    }
    if (refusal.cell >= 0) {
        const QModelIndex index = m_itemModel->indexOfCell(refusal.cell);
        m_view->setCurrentIndex(index);
        m_view->scrollTo(index);
        return;
    }
    if (refusal.column >= 0) {
        m_view->scrollTo(m_itemModel->index(0, refusal.column));
        editHeader(refusal.column);
    }
}

void Form2::closeEvent(QCloseEvent* event)
{
    commitOpenEditors();
    if (!m_itemModel->table().hasEdits()) {
        m_undo->clear();
        m_itemModel->clearTable();
        event->accept();
        return;
    }
    switch (m_dialogs.yesNoCancel(this, kTitle, "Keep the design-matrix entries you typed?")) {
    case Dialogs::Choice::Yes:
        if (writeBack())
            event->accept();
        else
            event->ignore();
        return;
    case Dialogs::Choice::No:
        m_undo->clear();
        m_itemModel->clearTable();
        event->accept();
        return;
    case Dialogs::Choice::Cancel:
        event->ignore();
        return;
    }
}

void Form2::identity()
{
    m_itemModel->identity();
}

void Form2::addColumn()
{
    const Status status = m_itemModel->addColumn(m_model());
    if (!status.ok()) {
        m_dialogs.message(this, kTitle, QString::fromStdString(status.error().message), Severity::Warning);
        return;
    }
    m_view->scrollTo(m_itemModel->index(0, m_itemModel->columnCount() - 1));
}

void Form2::deleteColumns()
{
    m_itemModel->deleteSelected();
}

void Form2::pushEdit(const DesignTable& after, const QString& description)
{
    DesignEdit edit = table().editTo(after);
    if (!edit.empty())
        m_undo->push(new EditCommand(this, std::move(edit), description));
}

void Form2::applyEdit(const DesignEdit& edit, ChangeSide side)
{
    m_itemModel->applyEdit(edit, side);
    if (!edit.hidden.empty()) {
        applyHiddenColumns();
        applyScroll();
    }
}

void Form2::applyHiddenColumns()
{
    for (int j = 0; j < m_itemModel->columnCount(); ++j)
        m_view->setColumnHidden(j, m_itemModel->table().column(j).hidden);
}

void Form2::scrollLeft() { scroll(ScrollDirection::Left); }
void Form2::scrollUp() { scroll(ScrollDirection::Up); }
void Form2::scrollDown() { scroll(ScrollDirection::Down); }
void Form2::scrollRight() { scroll(ScrollDirection::Right); }

void Form2::scroll(ScrollDirection direction)
{
    m_itemModel->table().scroll(direction);
    applyScroll();
}

void Form2::applyScroll()
{
    // Per-item scrolling: a scroll bar's value is the first row or shown column in view.
    m_applyingScroll = true;
    m_view->horizontalScrollBar()->setValue(m_itemModel->table().firstShownColumn());
    m_view->verticalScrollBar()->setValue(m_itemModel->table().firstRow());
    m_applyingScroll = false;
}

void Form2::syncScrollFromView()
{
    if (m_applyingScroll)
        return;
    m_itemModel->table().setScrollPosition(m_view->verticalScrollBar()->value(),
                                           m_view->horizontalScrollBar()->value());
}

void Form2::headerPressed(int column)
{
    if (column < 0)
        return;
    m_lastPressedHeader = column;
    m_shadeBeforePress = m_itemModel->table().column(column).shade;
    m_itemModel->pressHeader(column);
}

void Form2::headerDoubleClicked(int column)
{
    if (column < 0)
        return;
    // The first click of the double-click toggled the selection: editing is no selection.
    if (column == m_lastPressedHeader)
        m_itemModel->setHeaderShade(column, m_shadeBeforePress);
    editHeader(column);
}

void Form2::editHeader(int column)
{
    finishHeaderEdit(true);
    QHeaderView* header = m_view->horizontalHeader();
    m_headerEditColumn = column;
    m_headerEditor = new QLineEdit(header->viewport());
    m_headerEditor->setObjectName("headerEditor");
    m_headerEditor->setText(QString::fromStdString(m_itemModel->table().column(column).header));
    m_headerEditor->setGeometry(header->sectionViewportPosition(column), 0, header->sectionSize(column),
                                header->height());
    m_headerEditor->selectAll();
    m_headerEditor->installEventFilter(this);
    // An editor already finished may still report the end of editing when it loses focus.
    QLineEdit* editor = m_headerEditor;
    connect(editor, &QLineEdit::editingFinished, this, [this, editor] {
        if (editor == m_headerEditor)
            finishHeaderEdit(true);
    });
    m_headerEditor->show();
    m_headerEditor->setFocus();
}

void Form2::finishHeaderEdit(bool commit)
{
    if (!m_headerEditor)
        return;
    QLineEdit* editor = m_headerEditor;
    m_headerEditor = nullptr;
    if (commit && m_headerEditColumn < m_itemModel->columnCount())
        m_itemModel->setHeaderData(m_headerEditColumn, Qt::Horizontal, editor->text());
    m_headerEditColumn = -1;
    editor->hide();
    editor->deleteLater();
}

bool Form2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = m_view->indexAt(mouse->position().toPoint());
        if (index.isValid())
            m_itemModel->pressCell(m_itemModel->table().cellIndex(index.row(), index.column()),
                                   pressKeys(mouse->modifiers()));
    }
    if (watched == m_headerEditor && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        finishHeaderEdit(false);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace tw
