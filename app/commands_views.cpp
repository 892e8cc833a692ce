// The PIM views: the grid windows of each kind of probability, the main-window menu
// states while they are open, their write-back on closing and the way into the
// design-matrix window.
#include "app/mainwindow.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <algorithm>

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

struct Form1::ViewsState {
    // Open grid windows of every view, in the order they were opened.
    std::vector<QPointer<GridWindow>> windows;

    /// The state of the form, created the first time it is needed.
    static ViewsState& of(Form1& form);
    void open(Form1& form, ViewKind kind);
    void closed(Form1& form, GridWindow* window);
    void designMatrix(Form1& form);
    void closeAll(WriteBack writeBack);
};

void Form1::ViewsState::open(Form1& form, ViewKind kind)
{
    auto layouts = buildView(form.model(), kind);
    if (!layouts.ok()) {
        form.showError(viewTitle(kind), layouts.error());
        return;
    }
    form.menu_cons->menuAction()->setVisible(true);
    form.lbl_pim->setText(kHint);
    form.lbl_pim->setVisible(true);
    const auto stillOpen = [](const QPointer<GridWindow>& w) { return w && !w->isClosed(); };
    const int alreadyOpen = static_cast<int>(std::count_if(windows.begin(), windows.end(), stillOpen));
    std::vector<GridWindow*> opened;
    for (GridWindowLayout& layout : *layouts) {
        auto* window = new GridWindow(std::move(layout), &form);
        window->setPimMenu(form.menu_pim->menuAction());
        window->setModelFile(QString::fromStdString(form.model().infile));
        window->setNumbersOutside(
            [&form](const GridWindow& w) { return numbersOutside(form.model(), w, form.m_views->windows); });
        QObject::connect(window, &GridWindow::closing, &form, [&form](GridWindow* w) { form.m_views->closed(form, w); });
        QObject::connect(window, &GridWindow::designMatrixRequested, &form,
                         [&form](GridWindow*) { form.m_views->designMatrix(form); });
        opened.push_back(window);
        windows.emplace_back(window);
    }
    placeGridWindows(opened, form, alreadyOpen);
    for (GridWindow* window : opened)
        window->show();
    form.menu_pim->menuAction()->setEnabled(false);
}

void Form1::ViewsState::closed(Form1& form, GridWindow* window)
{
    std::erase_if(windows, [window](const QPointer<GridWindow>& w) { return w == window || w.isNull(); });
    if (!window->discarded()) {
        const WriteBackReport report = writeBackGrid(form.model(), window->cellmap(), window->grid().texts);
        if (!report.outOfRangeCells.empty())
            form.platform().dialogs.message(&form, window->windowTitle(),
                                            QString::fromStdString(outOfRangeMessage(report.outOfRangeCells)));
    }
    form.menu_cons->menuAction()->setVisible(false);
    form.menu_pim->menuAction()->setEnabled(true);
    form.lbl_pim->setVisible(false);
}

void Form1::ViewsState::designMatrix(Form1& form)
{
    const std::vector<int> rows = markedModelCells(windows);
    closeAll(WriteBack::Yes);
    form.openDesignMatrix(rows);
}

void Form1::ViewsState::closeAll(WriteBack writeBack)
{
    // Closing removes a window from the list; work on a copy, the last opened first.
    const std::vector<QPointer<GridWindow>> open = windows;
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        GridWindow* window = *it;
        if (!window || window->isClosed())
            continue;
        if (writeBack == WriteBack::No)
            window->discard();
        window->close();
    }
}

Form1::ViewsState& Form1::ViewsState::of(Form1& form)
{
    if (!form.m_views)
        form.m_views = std::make_shared<ViewsState>();
    return *form.m_views;
}

void Form1::viewSurvival()
{
    ViewsState::of(*this).open(*this, ViewKind::Survival);
}

void Form1::viewOpenCapture()
{
    ViewsState::of(*this).open(*this, ViewKind::OpenCapture);
}

void Form1::viewClosedCapture()
{
    ViewsState::of(*this).open(*this, ViewKind::ClosedCapture);
}

void Form1::viewMovement()
{
    ViewsState::of(*this).open(*this, ViewKind::Movement);
}

bool Form1::gridWindowsHoldEdits() const
{
    if (!m_views)
        return false;
    return std::any_of(m_views->windows.begin(), m_views->windows.end(), [](const QPointer<GridWindow>& w) {
        return w && !w->isClosed() && w->grid().texts != w->layout().builtTexts;
    });
}

void Form1::closeGridWindows(WriteBack writeBack)
{
    if (m_views)
        m_views->closeAll(writeBack);
}

}  // namespace tw
