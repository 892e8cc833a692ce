#include "design/widgets/formulawindow.h"

#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "design/widgets/designpreview.h"
#include "pim/widgets/gridpainting.h"
#include "pim/widgets/gridtablemodel.h"

namespace tw {

namespace {

constexpr const char* kNoModel = "There is no model yet: read a model file first.";

QString qt(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

ViewKind viewOf(CellKind kind)
{
    switch (kind) {
    case CellKind::Survival:
        return ViewKind::Survival;
    case CellKind::Movement:
        return ViewKind::Movement;
    case CellKind::Open:
        return ViewKind::OpenCapture;
    case CellKind::Closed:
        return ViewKind::ClosedCapture;
    }
    return ViewKind::Survival;
}

QString exampleFormula(CellKind kind)
{
    switch (kind) {
    case CellKind::Survival:
        return "~ time + stratum";
    case CellKind::Movement:
        return "~ stratum:tostratum";
    case CellKind::Open:
        return "~ time";
    case CellKind::Closed:
        return "~ session + occasion";
    }
    return {};
}

// A refused formula reads in red, columns that cannot all be estimated in brown.
enum class Look { Plain, Warning, Error };

void setLook(QLabel* label, Look look)
{
    label->setStyleSheet(look == Look::Error     ? QStringLiteral("color: #b00000;")
                         : look == Look::Warning ? QStringLiteral("color: #8a4b00;")
                                                 : QString());
}

}  // namespace

FormulaWindow::FormulaWindow(Session& session, std::function<Outcome(const FormulaSet&)> apply, QWidget* parent)
    : QDialog(parent), m_session(session), m_apply(std::move(apply)), m_fields(std::make_shared<FormulaFields>())
{
    setObjectName("frm_formulas");
    setWindowTitle("Model formulas");
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setModal(false);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(buildFields(splitter));
    splitter->addWidget(buildPreview(splitter));
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(splitter);

    m_pause = new QTimer(this);
    m_pause->setSingleShot(true);
    m_pause->setInterval(kPause);
    connect(m_pause, &QTimer::timeout, this, [this] {
        refresh();
        revealKind(m_editedKind);
    });
    QSize size(1400, 820);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
}

FormulaWindow::~FormulaWindow() = default;

QWidget* FormulaWindow::buildFields(QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 6, 0);
    grid->setVerticalSpacing(2);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    int row = 0;
    for (CellKind kind : kAllKinds) {
        const QString name = qt(kindName(kind));
        KindLine& line = m_kinds[kindIndex(kind)];
        auto* label = new QLabel(name, box);
        line.field = new QLineEdit(box);
        line.field->setObjectName("txt_" + name);
        line.field->setFont(fixed);
        line.field->setPlaceholderText("such as " + exampleFormula(kind));
        line.field->setToolTip("The formula of the " + name + " cells, such as \"~ time + stratum\"; variables: "
                               + qt(kindVariableList(kind)));
        label->setBuddy(line.field);
        line.caret = new QLabel(box);
        line.caret->setObjectName("lbl_caret_" + name);
        line.caret->setFont(fixed);
        line.caret->setTextFormat(Qt::PlainText);
        line.caret->setVisible(false);
        line.status = new QLabel(box);
        line.status->setObjectName("lbl_status_" + name);
        line.status->setFont(fixed);
        line.status->setTextFormat(Qt::PlainText);
        line.status->setWordWrap(true);
        line.status->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(label, row, 0);
        grid->addWidget(line.field, row, 1);
        grid->addWidget(line.caret, row + 1, 1);
        grid->addWidget(line.status, row + 2, 1);
        grid->setRowMinimumHeight(row + 3, 8);
        row += 4;
        connect(line.field, &QLineEdit::textEdited, this, [this, kind] { fieldEdited(kind); });
    }
    lbl_formulas = new QLabel(box);
    lbl_formulas->setObjectName("lbl_formulas");
    lbl_formulas->setWordWrap(true);
    lbl_formulas->setTextFormat(Qt::PlainText);
    grid->addWidget(lbl_formulas, row++, 0, 1, 2);
    grid->setRowStretch(row++, 1);

    auto* buttons = new QHBoxLayout;
    cmd_apply = new QPushButton("Apply", box);
    cmd_apply->setObjectName("cmd_apply");
    cmd_apply->setToolTip("Change the model's PIMs and design matrix to what the formulas make");
    cmd_apply->setAutoDefault(false);
    cmd_close = new QPushButton("Close", box);
    cmd_close->setObjectName("cmd_close");
    cmd_close->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(cmd_apply);
    buttons->addWidget(cmd_close);
    grid->addLayout(buttons, row, 0, 1, 2);
    connect(cmd_apply, &QPushButton::clicked, this, &FormulaWindow::apply);
    connect(cmd_close, &QPushButton::clicked, this, &QDialog::reject);
    // Room for a status line such as "2862 parameters, 2915 columns: rank not checked".
    box->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(60, '0')));
    return box;
}

QWidget* FormulaWindow::buildPreview(QWidget* parent)
{
    tab_preview = new QTabWidget(parent);
    tab_preview->setObjectName("tab_preview");

    auto* pimPage = new QWidget(tab_preview);
    auto* pimColumn = new QVBoxLayout(pimPage);
    auto* choice = new QHBoxLayout;
    cbo_kind = new QComboBox(pimPage);
    cbo_kind->setObjectName("cbo_kind");
    for (CellKind kind : kAllKinds)
        cbo_kind->addItem(qt(kindName(kind)));
    cbo_block = new QComboBox(pimPage);
    cbo_block->setObjectName("cbo_block");
    cbo_block->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    choice->addWidget(new QLabel("Kind", pimPage));
    choice->addWidget(cbo_kind);
    choice->addWidget(new QLabel("Block", pimPage));
    choice->addWidget(cbo_block);
    choice->addStretch(1);
    pimColumn->addLayout(choice);
    m_pimView = previewTable(pimPage, "grd_pim");
    m_pimView->setItemDelegate(new GridCellDelegate(m_pimView));
    pimColumn->addWidget(m_pimView, 1);
    tab_preview->addTab(pimPage, "PIM");
    connect(cbo_kind, &QComboBox::currentIndexChanged, this, &FormulaWindow::showPimKind);
    connect(cbo_block, &QComboBox::currentIndexChanged, this, &FormulaWindow::showPimBlock);

    m_designView = previewTable(tab_preview, "grd_design");
    m_designModel = new DesignPreviewModel(this);
    m_designView->setItemDelegate(new DesignPreviewDelegate(m_designView));
    m_designView->setModel(m_designModel);
    const QFontMetrics metrics(m_designView->font());
    int width = 0;
    for (const char* widest : {"(Intercept)", "tostratum10", "Occasion", "-32768"})
        width = std::max(width, metrics.horizontalAdvance(widest));
    m_designView->horizontalHeader()->setDefaultSectionSize(width + 12);
    tab_preview->addTab(m_designView, "Design matrix");
    connect(tab_preview, &QTabWidget::currentChanged, this, [this] {
        if (m_revealPending && m_designView->isVisible())
            revealKind(m_editedKind);
    });
    return tab_preview;
}

std::array<std::string, kKindCount> FormulaWindow::texts() const
{
    std::array<std::string, kKindCount> texts;
    for (CellKind kind : kAllKinds)
        texts[kindIndex(kind)] = m_kinds[kindIndex(kind)].field->text().toStdString();
    return texts;
}

void FormulaWindow::fieldEdited(CellKind kind)
{
    m_editedKind = kind;
    m_session.setFormulaTexts(texts());
    // The PIM tab shows the kind being typed.
    if (cbo_kind->currentIndex() != kindIndex(kind)) {
        const QSignalBlocker quiet(cbo_kind);
        cbo_kind->setCurrentIndex(kindIndex(kind));
    }
    m_pause->start();
}

void FormulaWindow::showForModel()
{
    const std::array<std::string, kKindCount>& texts = m_session.formulaTexts();
    for (CellKind kind : kAllKinds)
        if (m_kinds[kindIndex(kind)].field->text().toStdString() != texts[kindIndex(kind)])
            m_kinds[kindIndex(kind)].field->setText(QString::fromStdString(texts[kindIndex(kind)]));
    refresh();
    show();
    raise();
    activateWindow();
}

void FormulaWindow::refresh()
{
    m_pause->stop();
    const Model& model = m_session.model();
    m_seenPim = model.pim;
    m_seenDm = model.dm;
    m_fields = model.loaded() ? std::make_shared<const FormulaFields>(readFormulaFields(model, texts()))
                              : std::make_shared<const FormulaFields>();
    showStatuses();
    {
        const ScrollKeeper keep(m_designView);
        m_designModel->setFields(m_fields);
        // The row headers are as wide as the widest: the header measures only some rows.
        const QFontMetrics metrics(m_designView->verticalHeader()->font());
        m_designView->verticalHeader()->setMinimumWidth(metrics.horizontalAdvance(m_designModel->widestRowText()) + 16);
        // And the column headers as high as the name of most parts ("survival:group2:age2").
        std::size_t parts = 1;
        if (m_fields->applied)
            for (const std::string& name : m_fields->applied->columnNames)
                parts = std::max<std::size_t>(parts, 1 + std::count(name.begin(), name.end(), ':'));
        const QFontMetrics headerMetrics(m_designView->horizontalHeader()->font());
        m_designView->horizontalHeader()->setFixedHeight(headerMetrics.lineSpacing() * static_cast<int>(parts) + 10);
    }
    showPimKind();
}

void FormulaWindow::showStatuses()
{
    const bool loaded = m_session.model().loaded();
    for (CellKind kind : kAllKinds) {
        const KindLine& line = m_kinds[kindIndex(kind)];
        const std::optional<FormulaError>& error = m_fields->errors[kindIndex(kind)];
        line.caret->setVisible(error && error->column > 0);
        if (error && error->column > 0)
            line.caret->setText(QString::fromStdString(error->formula + "\n" + error->caretLine()));
        line.status->setText(QString::fromStdString(error ? error->message : fieldStatus(*m_fields, kind)));
        const bool rankShort = m_fields->applied && (*m_fields->applied)[kind].rank.inestimable() > 0;
        setLook(line.status, error ? Look::Error : rankShort ? Look::Warning : Look::Plain);
    }
    QString overall;
    if (!loaded)
        overall = kNoModel;
    else if (m_fields->error)
        overall = QString::fromStdString(m_fields->error->message);
    else if (!m_fields->complete())
        overall = "Apply takes the formulas once each of them is read.";
    else
        overall = QString("Apply makes %1 parameters and %2 design columns (the model has %3 parameters now).")
                      .arg(m_fields->applied->model.nparms)
                      .arg(m_fields->applied->model.dmcols)
                      .arg(m_session.model().nparms);
    lbl_formulas->setText(overall);
    setLook(lbl_formulas, loaded && m_fields->error ? Look::Error : Look::Plain);
    cmd_apply->setEnabled(loaded && m_fields->complete());
}

void FormulaWindow::showPimKind()
{
    m_layouts.clear();
    const CellKind kind = kAllKinds[static_cast<std::size_t>(std::max(cbo_kind->currentIndex(), 0))];
    if (m_fields->applied && (*m_fields->applied)[kind].cells > 0) {
        Result<std::vector<GridWindowLayout>> layouts = buildView(m_fields->applied->model, viewOf(kind));
        if (layouts)
            m_layouts = std::move(*layouts);
    }
    QStringList captions;
    for (const GridWindowLayout& layout : m_layouts)
        captions << QString::fromStdString(layout.caption);
    QStringList shown;
    for (int i = 0; i < cbo_block->count(); ++i)
        shown << cbo_block->itemText(i);
    if (captions != shown) {
        const QSignalBlocker quiet(cbo_block);
        const int block = cbo_block->currentIndex();
        cbo_block->clear();
        cbo_block->addItems(captions);
        cbo_block->setCurrentIndex(std::clamp(block, 0, std::max(static_cast<int>(captions.size()) - 1, 0)));
    }
    showPimBlock();
}

void FormulaWindow::showPimBlock()
{
    const int block = cbo_block->currentIndex();
    GridTableModel* shown = block >= 0 && static_cast<std::size_t>(block) < m_layouts.size()
        ? new GridTableModel(m_layouts[static_cast<std::size_t>(block)], this)
        : nullptr;
    const ScrollKeeper keep(m_pimView);
    QItemSelectionModel* oldSelection = m_pimView->selectionModel();
    m_pimView->setModel(shown);
    delete oldSelection;
    delete m_pimModel;
    m_pimModel = shown;
}

void FormulaWindow::revealKind(CellKind kind)
{
    // The design matrix tab shows the first column and the first parameter of the kind
    // being typed, unless some of its columns are in view already.
    if (!m_fields->applied || (*m_fields->applied)[kind].columns == 0)
        return;
    // A hidden view knows nothing of what it would show: it reveals the kind when shown.
    m_revealPending = !m_designView->isVisible();
    if (m_revealPending)
        return;
    const KindSummary& summary = (*m_fields->applied)[kind];
    const QHeaderView* columns = m_designView->horizontalHeader();
    const int firstShown = columns->visualIndexAt(0);
    const int lastShown = columns->visualIndexAt(columns->viewport()->width() - 1);
    const int first = summary.firstColumn - 1;
    const int last = first + summary.columns - 1;
    if (firstShown >= 0 && first <= (lastShown < 0 ? columns->count() - 1 : lastShown) && last >= firstShown)
        return;
    const FormulaModel& applied = *m_fields->applied;
    int row = 0;
    for (int cell : applied.firstCells) {
        if (m_fields->design[static_cast<std::size_t>(cell)].kind == kind)
            break;
        ++row;
    }
    m_designView->scrollTo(m_designModel->index(std::min(row, m_designModel->rowCount() - 1), first),
                           QAbstractItemView::PositionAtTop);
    m_designView->horizontalScrollBar()->setValue(first);
}

void FormulaWindow::apply()
{
    refresh();
    if (!m_session.model().loaded() || !m_fields->complete())
        return;
    const Outcome outcome = m_apply(m_fields->formulas);
    if (!outcome.done())
        return;
    refresh();
    lbl_formulas->setText(QString("Applied: the model has %1 parameters and %2 design columns now, not saved yet.")
                              .arg(m_session.model().nparms)
                              .arg(m_session.model().dmcols));
}

bool FormulaWindow::modelChanged() const
{
    const Model& model = m_session.model();
    return model.pim != m_seenPim || !(model.dm == m_seenDm);
}

bool FormulaWindow::event(QEvent* event)
{
    // Back from another window, which may have changed the model: the preview follows it.
    if (event->type() == QEvent::WindowActivate && isVisible() && modelChanged())
        refresh();
    return QDialog::event(event);
}

}  // namespace tw
