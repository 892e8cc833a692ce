#include "pim/widgets/gridwindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QHash>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QApplication>
#include <QPainter>
#include <QPixmapCache>
#include <QProxyStyle>
#include <QPushButton>
#include <QRawFont>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QUndoStack>
#include <QVBoxLayout>
#include <array>
#include <map>

#include "pim/widgets/gridtablemodel.h"

namespace tw {

// Paints the age-class and primary-period gaps as bars and keeps track of the open
// editor, so that text being typed is committed when the window closes.
class GridCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setAlignment(Qt::AlignCenter);
        editor->setFrame(false);
        Q_UNUSED(option);
        Q_UNUSED(index);
        m_editor = editor;
        return editor;
    }

    // Paints a cell directly (background, number, gaps) rather than through the style:
    // a grid window shows up to a few thousand cells, and thirty windows open at once.
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const auto* model = static_cast<const GridTableModel*>(index.model());
        const int cell = model->cellAt(index);
        if (cell < 0)
            return;
        const bool marked = model->grid().marked(cell);
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        const QRect r = option.rect;
        painter->fillRect(r, marked ? QColor(255, 0, 0) : selected ? option.palette.color(QPalette::Highlight) : QColor(Qt::white));
        painter->setPen(selected && !marked ? option.palette.color(QPalette::HighlightedText) : QColor(Qt::black));
        drawCellText(painter, r, model->grid().texts[cell]);
        if (marked && selected) {
            painter->setPen(QPen(option.palette.color(QPalette::Highlight), 2));
            painter->drawRect(r.adjusted(1, 1, -1, -1));
        }
        const QColor bar(70, 70, 90);
        if (model->layout().endsPeriod(index.column()))
            painter->fillRect(QRect(r.right() - 2, r.top(), 3, r.height()), bar);
        if (model->layout().endsAgeClass(index.row()))
            painter->fillRect(QRect(r.left(), r.bottom() - 2, r.width(), 3), bar);
    }

    // Draws a cell's text centred in its rectangle. Numbers (digits and a minus sign)
    // are drawn as glyphs looked up once, skipping the text layout a general text
    // needs; thousands of cells are drawn when a view opens.
    void drawCellText(QPainter* painter, const QRect& r, const std::string& text) const
    {
        if (!m_digitsReady || painter->font() != m_digitsFont)
            prepareDigits(painter->font());
        const int length = static_cast<int>(text.size());
        bool number = m_digitsUsable && length > 0 && length <= 16;
        qreal width = 0;
        for (int i = 0; number && i < length; ++i) {
            const int slot = digitSlot(text[static_cast<std::size_t>(i)]);
            if (slot < 0)
                number = false;
            else
                width += m_advances[slot];
        }
        if (!number) {
            painter->drawText(r, Qt::AlignCenter, QString::fromStdString(text));
            return;
        }
        QList<quint32> glyphs(length);
        QList<QPointF> positions(length);
        qreal x = 0;
        for (int i = 0; i < length; ++i) {
            const int slot = digitSlot(text[static_cast<std::size_t>(i)]);
            glyphs[i] = m_glyphs[slot];
            positions[i] = QPointF(x, 0);
            x += m_advances[slot];
        }
        QGlyphRun run;
        run.setRawFont(m_rawFont);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        const QPointF origin(r.left() + (r.width() - width) / 2,
                             r.top() + (r.height() - m_lineHeight) / 2 + m_ascent);
        painter->drawGlyphRun(origin, run);
    }

    void commitOpenEditor()
    {
        if (m_editor && m_editor->isVisible())
            emit commitData(m_editor);
    }

private:
    static int digitSlot(char c) { return c >= '0' && c <= '9' ? c - '0' : c == '-' ? 10 : -1; }

    void prepareDigits(const QFont& font) const
    {
        m_digitsReady = true;
        m_digitsFont = font;
        m_digitsUsable = false;
        m_rawFont = QRawFont::fromFont(font);
        const QList<quint32> glyphs = m_rawFont.glyphIndexesForString(QStringLiteral("0123456789-"));
        if (!m_rawFont.isValid() || glyphs.size() != 11 || glyphs.contains(0u))
            return;
        const QList<QPointF> advances = m_rawFont.advancesForGlyphIndexes(glyphs);
        for (int i = 0; i < 11; ++i) {
            m_glyphs[i] = glyphs[i];
            m_advances[i] = advances[i].x();
        }
        const QFontMetricsF metrics(font);
        m_ascent = metrics.ascent();
        m_lineHeight = metrics.height();
        m_digitsUsable = true;
    }

    mutable QPointer<QWidget> m_editor;
    mutable bool m_digitsReady = false;
    mutable bool m_digitsUsable = false;
    mutable QFont m_digitsFont;
    mutable QRawFont m_rawFont;
    mutable std::array<quint32, 11> m_glyphs{};
    mutable std::array<qreal, 11> m_advances{};
    mutable qreal m_ascent = 0;
    mutable qreal m_lineHeight = 0;
};

// The grid's table. When its window gains or loses the focus, it repaints only what
// can look different with or without it (the frame, the current and the selected
// cell) rather than the whole grid: opening a view opens many windows, each taking
// the focus from the one before, and each would otherwise be painted twice.
class GridTableView : public QTableView {
public:
    // The cells cover the viewport but for what lies beyond the last row and column,
    // which paintEvent fills: the viewport need not clear itself first.
    explicit GridTableView(QWidget* parent) : QTableView(parent)
    {
        viewport()->setAutoFillBackground(false);
        viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        const int rows = model() ? model()->rowCount() : 0;
        const int columns = model() ? model()->columnCount() : 0;
        QRegion beyond = event->region();
        if (rows > 0 && columns > 0) {
            const int right = columnViewportPosition(columns - 1) + columnWidth(columns - 1);
            const int bottom = rowViewportPosition(rows - 1) + rowHeight(rows - 1);
            beyond -= QRect(0, 0, right, bottom);
        }
        if (!beyond.isEmpty()) {
            QPainter painter(viewport());
            for (const QRect& rect : beyond)
                painter.fillRect(rect, palette().brush(QPalette::Base));
        }
        QTableView::paintEvent(event);
    }

    // An item view repaints its whole viewport when its window is activated or
    // deactivated; only the current and the selected cell look different.
    bool viewportEvent(QEvent* event) override
    {
        if (event->type() != QEvent::WindowActivate && event->type() != QEvent::WindowDeactivate)
            return QTableView::viewportEvent(event);
        updateFocusLook();
        return QAbstractScrollArea::viewportEvent(event);
    }

    void focusInEvent(QFocusEvent* event) override
    {
        if (event->reason() != Qt::ActiveWindowFocusReason) {
            QTableView::focusInEvent(event);
            return;
        }
        // As the view does on any focus: a current cell for typing, the first one
        // when there is none yet.
        if (selectionModel() && !currentIndex().isValid()) {
            const QModelIndex first = moveCursor(MoveNext, Qt::NoModifier);
            if (first.isValid())
                selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        }
        setAttribute(Qt::WA_InputMethodEnabled, (currentIndex().flags() & Qt::ItemIsEditable) != 0);
        updateFocusLook();
    }

    void focusOutEvent(QFocusEvent* event) override
    {
        if (event->reason() != Qt::ActiveWindowFocusReason) {
            QTableView::focusOutEvent(event);
            return;
        }
        updateFocusLook();
    }

private:
    void updateFocusLook()
    {
        update(QRegion(rect()).subtracted(contentsRect()));
        viewport()->update(visualRect(currentIndex()));
        for (const QModelIndex& index : selectedIndexes())
            viewport()->update(visualRect(index));
    }
};

// A header that, like the grid, is not repainted in full when its window is
// activated or deactivated: it looks the same either way unless the palette differs,
// in which case the widget itself repaints.
class GridHeaderView : public QHeaderView {
public:
    GridHeaderView(Qt::Orientation orientation, QWidget* parent) : QHeaderView(orientation, parent)
    {
        setSectionsClickable(true);
        setHighlightSections(true);
    }

protected:
    bool viewportEvent(QEvent* event) override
    {
        if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate)
            return QAbstractScrollArea::viewportEvent(event);
        return QHeaderView::viewportEvent(event);
    }

    // A section's size depends only on its text here (no icons, no sort indicator),
    // and the windows of a view share their header texts: each text is measured once
    // per style and font rather than on every size hint of every window.
    QSize sectionSizeFromContents(int logicalIndex) const override
    {
        const QString text = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
        const QString key = style()->name() + QChar(orientation() == Qt::Horizontal ? 'h' : 'v') + font().key()
            + QChar('\n') + text;
        static QHash<QString, QSize> measured;
        const auto found = measured.constFind(key);
        if (found != measured.constEnd())
            return *found;
        const QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
        if (measured.size() > 4096)
            measured.clear();
        measured.insert(key, size);
        return size;
    }
};

namespace {

// The style of the grids' scroll bars: the application's style, with each look of a
// scroll bar drawn once and then copied. A view opens many windows whose scroll
// bars look alike, and drawing their gradients costs more than copying a picture.
class ScrollBarCacheStyle : public QProxyStyle {
public:
    ScrollBarCacheStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
        // Scroll bars that fade in and out are drawn each time.
        if (control != CC_ScrollBar || !bar || option->rect.isEmpty()
            || QProxyStyle::styleHint(SH_ScrollBar_Transient, option, widget)) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        const qreal ratio = painter->device()->devicePixelRatioF();
        const QString key = QStringLiteral("tw-scrollbar-%1-%2-%3-%4-%5-%6-%7-%8-%9")
                                .arg(option->rect.width())
                                .arg(option->rect.height())
                                .arg(int(option->state))
                                .arg(int(option->subControls) | (int(option->activeSubControls) << 16))
                                .arg(QStringLiteral("%1,%2,%3,%4,%5").arg(bar->minimum).arg(bar->maximum).arg(bar->sliderPosition).arg(bar->pageStep).arg(int(bar->upsideDown)))
                                .arg(int(bar->orientation) | (int(option->direction) << 4))
                                .arg(option->palette.cacheKey())
                                .arg(ratio)
                                .arg(quintptr(baseStyle()));
        QPixmap pixmap;
        if (!QPixmapCache::find(key, &pixmap)) {
            pixmap = QPixmap(option->rect.size() * ratio);
            pixmap.setDevicePixelRatio(ratio);
            pixmap.fill(Qt::transparent);
            QPainter onPixmap(&pixmap);
            QStyleOptionSlider moved(*bar);
            moved.rect.moveTo(0, 0);
            QProxyStyle::drawComplexControl(control, &moved, &onPixmap, widget);
            onPixmap.end();
            QPixmapCache::insert(key, pixmap);
        }
        painter->drawPixmap(option->rect.topLeft(), pixmap);
    }
};

QStyle* scrollBarStyle()
{
    // One for the application's style, made again should that style be replaced.
    static QPointer<QStyle> style;
    static QPointer<QStyle> madeFor;
    if (!style || madeFor != QApplication::style()) {
        madeFor = QApplication::style();
        style = new ScrollBarCacheStyle;
        style->setParent(qApp);
    }
    return style;
}

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

    Label1 = new QLabel(" - Hold shift key and click to select pim for design matrix.", central);
    Label1->setObjectName("Label1");
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

void GridWindow::fitSize()
{
    // The window hugs its grid, within most of the screen; larger grids scroll.
    const GridWindowLayout& grid = m_model->layout();
    const int frame = 2 * m_table->frameWidth();
    const QSize table(m_table->verticalHeader()->sizeHint().width()
                          + grid.rowLength * m_table->horizontalHeader()->defaultSectionSize() + frame,
                      m_table->horizontalHeader()->sizeHint().height()
                          + grid.rowCount() * m_table->verticalHeader()->defaultSectionSize() + frame);
    const QMargins margins = centralWidget()->layout()->contentsMargins();
    const int spacing = centralWidget()->layout()->spacing();
    int height = menuBar()->sizeHint().height() + margins.top() + Label1->sizeHint().height() + spacing
        + table.height() + margins.bottom();
    if (cmd_left->isVisibleTo(this))
        height += spacing + cmd_left->sizeHint().height();
    QSize wanted(table.width() + margins.left() + margins.right(), height);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize available = screen->availableGeometry().size();
        wanted = wanted.boundedTo(QSize(available.width() * 9 / 10, available.height() * 8 / 10));
    }
    resize(wanted.expandedTo(QSize(Label1->sizeHint().width() + margins.left() + margins.right(), 160)));
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
    applyCommand(changed, command, menu_chngzeros->isChecked() ? Zeros::Change : Zeros::Skip);
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
    if (m_pimMenu && !m_pimMenu->isEnabled())
        menu_dm->setEnabled(false);
}

bool GridWindow::eventFilter(QObject* watched, QEvent* event)
{
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
