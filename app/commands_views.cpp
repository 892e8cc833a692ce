// The PIM views: the grid windows of each kind of probability, the main-window menu
// states while they are open, the main window's "Constraints" items run in the active
// one, their write-back on closing and the way into the design-matrix window.
#include "app/mainwindow.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QUndoStack>
#include <algorithm>

#include "app/keyboard.h"
#include "pim/gridview.h"
#include "pim/gridwriteback.h"
#include "pim/widgets/gridplacement.h"
#include "pim/widgets/gridwindow.h"

namespace tw {

namespace {

constexpr const char* kHint = " - Hold shift key and click to select pim for design matrix.";

const char* viewTitle(ViewKind kind)
{
    switch (kind) {
    case ViewKind::Survival:
        return "Survival probs";
    case ViewKind::OpenCapture:
        return "open capture probs";
    case ViewKind::ClosedCapture:
        return "closed capture probs";
    case ViewKind::Movement:
        return "Movement probs";
    }
    return "";
}

}  // namespace

void Form1::viewSurvival() { openViews(ViewKind::Survival); }
void Form1::viewOpenCapture() { openViews(ViewKind::OpenCapture); }
void Form1::viewClosedCapture() { openViews(ViewKind::ClosedCapture); }
void Form1::viewMovement() { openViews(ViewKind::Movement); }

void Form1::openViews(ViewKind kind)
{
    // One set of windows per view: the open ones of this view write back first, so that
    // the new set shows what they held and no two windows edit the same cells.
    closeViewWindows(kind);
    auto layouts = buildView(model(), kind);
    if (!layouts.ok()) {
        showError(viewTitle(kind), layouts.error());
        return;
    }
    menu_cons->menuAction()->setVisible(true);
    lbl_pim->setText(kHint);
    lbl_pim->setVisible(true);
    const auto stillOpen = [](const QPointer<GridWindow>& w) { return w && !w->isClosed(); };
    const int alreadyOpen = static_cast<int>(std::count_if(m_gridWindows.begin(), m_gridWindows.end(), stillOpen));
    std::vector<GridWindow*> opened;
    for (GridWindowLayout& layout : *layouts) {
        auto* window = new GridWindow(std::move(layout), this);
        window->setPimMenu(menu_pim->menuAction());
        applyKeyboard(window, KeyboardOf::GridWindow);
        window->setModelFile(QString::fromStdString(model().infile));
        window->setNumbersOutside([this](const GridWindow& w) { return numbersOutside(model(), w, m_gridWindows); });
        connect(window, &GridWindow::closing, this, &Form1::gridWindowClosed);
        connect(window, &GridWindow::designMatrixRequested, this, &Form1::designMatrixRequested);
        connect(window->undoStack(), &QUndoStack::indexChanged, this, &Form1::updateTitle);
        opened.push_back(window);
        m_gridWindows.emplace_back(window);
    }
    placeGridWindows(opened, *this, alreadyOpen);
    for (GridWindow* window : opened)
        window->show();
    menu_pim->menuAction()->setEnabled(false);
}

void Form1::gridWindowClosed(GridWindow* window)
{
    std::erase_if(m_gridWindows, [window](const QPointer<GridWindow>& w) { return w == window || w.isNull(); });
    if (!window->discarded()) {
        const Session::GridWriteBack done = m_session.writeBackGrid(window->cellmap(), window->grid().texts);
        if (done.listFollowed)
            fixedListReplaced();
        if (!done.report.outOfRangeCells.empty())
            m_platform.dialogs.message(this, window->windowTitle(),
                                       QString::fromStdString(outOfRangeMessage(done.report.outOfRangeCells)),
                                       Severity::Warning);
    }
    menu_cons->menuAction()->setVisible(false);
    menu_pim->menuAction()->setEnabled(true);
    lbl_pim->setVisible(false);
    updateTitle();
    emit modelChanged();
}

GridWindow* Form1::activeGridWindow() const
{
    if (m_activeGrid && !m_activeGrid->isClosed())
        return m_activeGrid;
    for (auto it = m_gridWindows.rbegin(); it != m_gridWindows.rend(); ++it)
        if (*it && !(*it)->isClosed())
            return *it;
    return nullptr;
}

void Form1::runOnActiveGrid(const QString& gridCommand)
{
    GridWindow* grid = activeGridWindow();
    QAction* command = grid ? grid->findChild<QAction*>(gridCommand) : nullptr;
    if (!command) {
        showActiveGridZeros();
        return;
    }
    command->trigger();
    showActiveGridZeros();
    const QString done = command->isCheckable() ? (command->isChecked() ? " on" : " off") : QString();
    showStatus(QString("%1%2: %3").arg(shownCaption(command->text()), done, grid->windowTitle()));
}

// The check mark of "Change zeros too" is the active grid window's.
void Form1::showActiveGridZeros()
{
    GridWindow* grid = activeGridWindow();
    const QAction* zeros = grid ? grid->findChild<QAction*>("menu_chngzeros") : nullptr;
    menu_chngzeros->setChecked(zeros && zeros->isChecked());
}

void Form1::designMatrixRequested()
{
    // The build replaces the rows of an open design-matrix window: that window first
    // closes as its close box does, and when it stays open (Cancel) nothing is built.
    if (!closeDesignWindow())
        return;
    const std::vector<int> rows = markedModelCells(m_gridWindows);
    closeGridWindows(WriteBack::Yes);
    openDesignMatrix(rows);
}

void Form1::closeGridWindows(WriteBack writeBack)
{
    // Closing removes a window from the list; work on a copy, the last opened first.
    const std::vector<QPointer<GridWindow>> open = m_gridWindows;
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        GridWindow* window = *it;
        if (!window || window->isClosed())
            continue;
        if (writeBack == WriteBack::No)
            window->discard();
        window->close();
    }
}

void Form1::closeViewWindows(ViewKind kind)
{
    const std::vector<QPointer<GridWindow>> open = m_gridWindows;
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        if (GridWindow* window = *it; window && !window->isClosed() && window->layout().kind == kind)
            window->close();
}

bool Form1::gridWindowsHoldEdits() const
{
    return std::any_of(m_gridWindows.begin(), m_gridWindows.end(), [](const QPointer<GridWindow>& w) {
        return w && !w->isClosed() && w->grid().texts != w->layout().builtTexts;
    });
}

}  // namespace tw
