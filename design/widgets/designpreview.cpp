#include "design/widgets/designpreview.h"

#include <QColor>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <array>
#include <optional>

#include "model/textrules.h"
#include "pim/widgets/gridpainting.h"

namespace tw {

DesignPreviewModel::DesignPreviewModel(QObject* parent) : QAbstractTableModel(parent) {}

void DesignPreviewModel::setFields(std::shared_ptr<const FormulaFields> fields)
{
    beginResetModel();
    m_fields = std::move(fields);
    m_applied = m_fields && m_fields->applied ? &*m_fields->applied : nullptr;
    m_kindEnds.clear();
    if (m_applied) {
        m_kindEnds.assign(m_applied->columnNames.size(), 0);
        for (const KindSummary& kind : m_applied->kinds)
            if (kind.columns > 0)
                m_kindEnds[static_cast<std::size_t>(kind.firstColumn + kind.columns - 2)] = 1;
    }
    endResetModel();
}

int DesignPreviewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_applied ? 0 : m_applied->model.nparms;
}

int DesignPreviewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_applied ? 0 : static_cast<int>(m_applied->columnNames.size());
}

double DesignPreviewModel::value(int row, int column) const
{
    const DesignMatrix::RowView entries = m_applied->model.dm.row(row + 1);
    const DesignMatrix::Entry* entry = entries.lowerBound(column + 1);
    return entry != entries.end() && entry->col == column + 1 ? entry->value : 0.0;
}

bool DesignPreviewModel::endsKind(int column) const
{
    return column >= 0 && static_cast<std::size_t>(column) < m_kindEnds.size() && m_kindEnds[column] != 0;
}

namespace {

QString rowHeader(int parameter, const CellDesign& design)
{
    const std::string_view kind = kindName(design.kind);
    return QStringLiteral("%1  %2: %3")
        .arg(parameter)
        .arg(QString::fromUtf8(kind.data(), static_cast<int>(kind.size())),
             QString::fromStdString(designDataText(design)));
}

}  // namespace

QString DesignPreviewModel::rowText(int row) const
{
    const int cell = m_applied->firstCells[static_cast<std::size_t>(row)];
    if (cell < 1 || static_cast<std::size_t>(cell) >= m_fields->design.size())
        return QString::number(row + 1);
    return rowHeader(row + 1, m_fields->design[static_cast<std::size_t>(cell)]);
}

QString DesignPreviewModel::widestRowText() const
{
    if (!m_applied)
        return {};
    // Levels take more digits as they grow: the largest of each factor over the kind's
    // parameters make its widest header, without laying out every one.
    std::array<std::optional<CellDesign>, kKindCount> largest;
    for (int cell : m_applied->firstCells) {
        if (cell < 1 || static_cast<std::size_t>(cell) >= m_fields->design.size())
            continue;
        const CellDesign& design = m_fields->design[static_cast<std::size_t>(cell)];
        std::optional<CellDesign>& kind = largest[kindIndex(design.kind)];
        if (!kind)
            kind = design;
        for (std::size_t f = 0; f < design.level.size(); ++f)
            kind->level[f] = std::max(kind->level[f], design.level[f]);
    }
    QString widest = QString::number(m_applied->model.nparms);
    for (const std::optional<CellDesign>& design : largest)
        if (design) {
            const QString text = rowHeader(m_applied->model.nparms, *design);
            if (text.size() > widest.size())
                widest = text;
        }
    return widest;
}

QVariant DesignPreviewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !checkIndex(index))
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        const double entry = value(index.row(), index.column());
        return entry == 0.0 ? QString() : QString::fromStdString(plainText(entry));
    }
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::ToolTipRole:
        return QStringLiteral("%1\n%2")
            .arg(rowText(index.row()),
                 QString::fromStdString(m_applied->columnNames[static_cast<std::size_t>(index.column())]));
    case KindEndRole:
        return endsKind(index.column());
    default:
        return {};
    }
}

Qt::ItemFlags DesignPreviewModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || !checkIndex(index))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QVariant DesignPreviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!m_applied || section < 0)
        return {};
    if (orientation == Qt::Vertical) {
        if (section >= rowCount() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return {};
        return rowText(section);
    }
    if (section >= columnCount())
        return {};
    const QString name = QString::fromStdString(m_applied->columnNames[static_cast<std::size_t>(section)]);
    if (role == Qt::ToolTipRole)
        return QStringLiteral("B%1  %2").arg(section + 1).arg(name);
    if (role != Qt::DisplayRole)
        return {};
    // Narrow columns: the kind and each variable of the name on a line of its own.
    QString lines = name;
    lines.replace(QLatin1Char(':'), QLatin1Char('\n'));
    return lines;
}

void DesignPreviewDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto* model = static_cast<const DesignPreviewModel*>(index.model());
    const QRect r = option.rect;
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const double value = model->value(index.row(), index.column());
    const QColor fill = selected ? option.palette.color(QPalette::Highlight)
        : value == 0.0           ? QColor(Qt::white)
                                 : QColor(255, 244, 200);
    painter->fillRect(r, fill);
    if (value != 0.0) {
        if (painter->font() != m_textFont) {
            m_textFont = painter->font();
            m_texts.clear();
        }
        auto text = m_texts.find(value);
        if (text == m_texts.end()) {
            text = m_texts.insert(value, QStaticText(QString::fromStdString(plainText(value))));
            text->prepare(painter->transform(), painter->font());
        }
        const QSizeF size = text->size();
        painter->setPen(selected ? option.palette.color(QPalette::HighlightedText) : QColor(Qt::black));
        const QPointF at(r.left() + (r.width() - size.width()) / 2, r.top() + (r.height() - size.height()) / 2);
        painter->drawStaticText(at, *text);
    }
    if (model->endsKind(index.column()))
        painter->fillRect(QRect(r.right() - 2, r.top(), 3, r.height()), QColor(70, 70, 90));
}

QTableView* previewTable(QWidget* parent, const char* name)
{
    auto* view = new GridTableView(parent);
    view->setObjectName(name);
    view->setHorizontalHeader(new GridHeaderView(Qt::Horizontal, view));
    view->setVerticalHeader(new GridHeaderView(Qt::Vertical, view));
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view->horizontalScrollBar()->setStyle(scrollBarStyle());
    view->verticalScrollBar()->setStyle(scrollBarStyle());
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    const QFontMetrics metrics(view->font());
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setDefaultSectionSize(metrics.horizontalAdvance("-32768") + 12);
    view->horizontalHeader()->setMinimumSectionSize(8);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(metrics.height() + 8);
    return view;
}

ScrollKeeper::ScrollKeeper(QTableView* view)
    : m_view(view), m_x(view->horizontalScrollBar()->value()), m_y(view->verticalScrollBar()->value())
{
}

ScrollKeeper::~ScrollKeeper()
{
    m_view->horizontalScrollBar()->setValue(m_x);
    m_view->verticalScrollBar()->setValue(m_y);
}

}  // namespace tw
