#include "pim/widgets/gridpainting.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGlyphRun>
#include <QHash>
#include <QLineEdit>
#include <QPainter>
#include <QPixmapCache>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <QToolTip>

#include "pim/gridentry.h"
#include "pim/widgets/gridtablemodel.h"

namespace tw {

namespace {

// The characters drawn from glyphs looked up once: digits, and what a number or a fixed
// value ("=0.02") holds besides.
constexpr char kGlyphChars[] = "0123456789-=.";
constexpr int kGlyphCount = sizeof kGlyphChars - 1;

int digitSlot(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    for (int slot = 10; slot < kGlyphCount; ++slot)
        if (kGlyphChars[slot] == c)
            return slot;
    return -1;
}

// A view opens many windows whose scroll bars look alike, and drawing their gradients
// costs more than copying a picture.
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

}  // namespace

QWidget* GridCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const
{
    auto* editor = new GridCellEditor(parent);
    Q_UNUSED(option);
    Q_UNUSED(index);
    m_editor = editor;
    return editor;
}

// A grid window shows up to a few thousand cells, and thirty windows open at once: the
// style's way of painting an item costs more than these few fills.
void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto* model = static_cast<const GridTableModel*>(index.model());
    const int cell = model->cellAt(index);
    if (cell < 0)
        return;
    const std::string& text = model->grid().texts[cell];
    const EntryLook look = entryLook(text);
    const bool marked = model->grid().marked(cell);
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const QRect r = option.rect;
    painter->fillRect(r, marked ? GridTableModel::markColour() : selected ? option.palette.color(QPalette::Highlight) : QColor(Qt::white));
    if (selected && !marked)
        painter->setPen(option.palette.color(QPalette::HighlightedText));
    else
        painter->setPen(look.fixed && !marked ? GridTableModel::fixedColour() : QColor(Qt::black));
    drawCellText(painter, r, text);
    if (marked && selected) {
        painter->setPen(QPen(option.palette.color(QPalette::Highlight), 2));
        painter->drawRect(r.adjusted(1, 1, -1, -1));
    }
    if (look.flagged)
        drawFlag(painter, r, marked ? Background::Marked : Background::Plain);
    const QColor bar(70, 70, 90);
    if (model->layout().endsPeriod(index.column()))
        painter->fillRect(QRect(r.right() - 2, r.top(), 3, r.height()), bar);
    if (model->layout().endsAgeClass(index.row()))
        painter->fillRect(QRect(r.left(), r.bottom() - 2, r.width(), 3), bar);
}

// Draws a cell's text centred in its rectangle. Numbers (digits and a minus sign) are
// drawn as glyphs looked up once, skipping the text layout a general text needs;
// thousands of cells are drawn when a view opens.
void GridCellDelegate::drawCellText(QPainter* painter, const QRect& r, const std::string& text) const
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
    if (!number || width > r.width()) {
        // A text wider than its cell ends in "…" rather than running into the next.
        const QString shown = QString::fromStdString(text);
        painter->drawText(r, Qt::AlignCenter, painter->fontMetrics().elidedText(shown, Qt::ElideRight, r.width()));
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
    const QPointF origin(r.left() + (r.width() - width) / 2, r.top() + (r.height() - m_lineHeight) / 2 + m_ascent);
    painter->drawGlyphRun(origin, run);
}

// An outline inside the cell, clear of the gap bars along its right and bottom edges.
void GridCellDelegate::drawFlag(QPainter* painter, const QRect& r, Background background) const
{
    painter->setPen(QPen(background == Background::Marked ? QColor(110, 0, 0) : GridTableModel::flagColour(), 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(r).adjusted(1.5, 1.5, -3.5, -3.5));
}

void GridCellDelegate::commitOpenEditor()
{
    if (m_editor && m_editor->isVisible())
        emit commitData(m_editor);
}

void GridCellDelegate::prepareDigits(const QFont& font) const
{
    m_digitsReady = true;
    m_digitsFont = font;
    m_digitsUsable = false;
    m_rawFont = QRawFont::fromFont(font);
    const QList<quint32> glyphs = m_rawFont.glyphIndexesForString(QString::fromLatin1(kGlyphChars));
    if (!m_rawFont.isValid() || glyphs.size() != kGlyphCount || glyphs.contains(0u))
        return;
    const QList<QPointF> advances = m_rawFont.advancesForGlyphIndexes(glyphs);
    for (int i = 0; i < kGlyphCount; ++i) {
        m_glyphs[i] = glyphs[i];
        m_advances[i] = advances[i].x();
    }
    const QFontMetricsF metrics(font);
    m_ascent = metrics.ascent();
    m_lineHeight = metrics.height();
    m_digitsUsable = true;
}

GridCellEditor::GridCellEditor(QWidget* parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignCenter);
    setFrame(false);
    connect(this, &QLineEdit::textChanged, this, &GridCellEditor::check);
}

void GridCellEditor::check(const QString& text)
{
    const std::string entry = text.toStdString();
    const QString note = QString::fromStdString(entryNote(entry));
    const bool flagged = !note.isEmpty();
    setToolTip(flagged ? note : QString::fromStdString(fixedNote(entry)));
    if (flagged != m_flagged) {
        m_flagged = flagged;
        update();
    }
    // Said at once, while typing, not only when the pointer rests on the cell.
    if (flagged && isVisible())
        QToolTip::showText(mapToGlobal(QPoint(0, height())), note, this);
    else if (QToolTip::isVisible() && QToolTip::text() != toolTip())
        QToolTip::hideText();
}

void GridCellEditor::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    if (!m_flagged)
        return;
    QPainter painter(this);
    painter.setPen(QPen(GridTableModel::flagColour(), 2));
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

// The cells cover the viewport but for what lies beyond the last row and column, which
// paintEvent fills: the viewport need not clear itself first.
GridTableView::GridTableView(QWidget* parent) : QTableView(parent)
{
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
}

void GridTableView::paintEvent(QPaintEvent* event)
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

// An item view repaints its whole viewport when its window is activated or deactivated;
// only the current and the selected cell look different.
bool GridTableView::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::WindowActivate && event->type() != QEvent::WindowDeactivate)
        return QTableView::viewportEvent(event);
    updateFocusLook();
    return QAbstractScrollArea::viewportEvent(event);
}

void GridTableView::focusInEvent(QFocusEvent* event)
{
    if (event->reason() != Qt::ActiveWindowFocusReason) {
        QTableView::focusInEvent(event);
        return;
    }
    // As the view does on any focus: a current cell for typing, the first one when there
    // is none yet.
    if (selectionModel() && !currentIndex().isValid()) {
        const QModelIndex first = moveCursor(MoveNext, Qt::NoModifier);
        if (first.isValid())
            selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    }
    setAttribute(Qt::WA_InputMethodEnabled, (currentIndex().flags() & Qt::ItemIsEditable) != 0);
    updateFocusLook();
}

void GridTableView::focusOutEvent(QFocusEvent* event)
{
    if (event->reason() != Qt::ActiveWindowFocusReason) {
        QTableView::focusOutEvent(event);
        return;
    }
    updateFocusLook();
}

void GridTableView::updateFocusLook()
{
    update(QRegion(rect()).subtracted(contentsRect()));
    viewport()->update(visualRect(currentIndex()));
    for (const QModelIndex& index : selectedIndexes())
        viewport()->update(visualRect(index));
}

GridHeaderView::GridHeaderView(Qt::Orientation orientation, QWidget* parent) : QHeaderView(orientation, parent)
{
    setSectionsClickable(true);
    setHighlightSections(true);
}

void GridHeaderView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_measureKey.clear();
    QHeaderView::changeEvent(event);
}

bool GridHeaderView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate)
        return QAbstractScrollArea::viewportEvent(event);
    return QHeaderView::viewportEvent(event);
}

// A section's size depends only on its text here (no icons, no sort indicator), and the
// windows of a view share their header texts: each text is measured once per style and
// font rather than on every size hint of every window.
QSize GridHeaderView::sectionSizeFromContents(int logicalIndex) const
{
    const QString text = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    // The font's key is costly to make (every section of every window asks): made once.
    if (m_measureKey.isEmpty())
        m_measureKey = style()->name() + QChar(orientation() == Qt::Horizontal ? 'h' : 'v') + font().key() + QChar('\n');
    const QString key = m_measureKey + text;
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

QStyle* scrollBarStyle()
{
    static QPointer<QStyle> style;
    static QPointer<QStyle> madeFor;
    if (!style || madeFor != QApplication::style()) {
        madeFor = QApplication::style();
        style = new ScrollBarCacheStyle;
        style->setParent(qApp);
    }
    return style;
}


}  // namespace tw
