// How the design-matrix window copes with a large table: 1,000 rows by 100 columns,
// every entry non-zero. Prints the time of each step; runs offscreen unless told
// otherwise.
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTableView>
#include <cstdio>

#include "design/widgets/form2.h"
#include "platform/scripted.h"

using namespace tw;

namespace {

constexpr int kRows = 1000;
constexpr int kColumns = 100;

Model largeModel()
{
    Model m = startupModel();
    m.npar = kRows;
    createCellArrays(m);
    for (int i = 1; i <= kRows; ++i)
        m.labels.set(static_cast<std::size_t>(i), "cell label " + std::to_string(i));
    m.nparms = kRows;
    m.dmrows = kRows;
    m.dmcols = kColumns;
    for (int r = 1; r <= kRows; ++r)
        for (int c = 1; c <= kColumns; ++c)
            m.dm.set(r, c, (r + c) % 7 == 0 ? -0.5 : r * 0.001 + c);
    for (int c = 1; c <= kColumns; ++c)
        m.dm.setColUsed(c);
    return m;
}

void report(const char* step, QElapsedTimer& timer, int repeats = 1)
{
    const double ms = timer.nsecsElapsed() / 1e6;
    if (repeats == 1)
        std::printf("%-44s %10.1f ms\n", step, ms);
    else
        std::printf("%-44s %10.1f ms  (%.2f ms each, %d)\n", step, ms, ms / repeats, repeats);
    timer.restart();
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QElapsedTimer timer;
    timer.start();
    Model model = largeModel();
    report("model with 100,000 entries", timer);

    std::vector<int> cells;
    for (int i = 1; i <= kRows; ++i)
        cells.push_back(i);

    DesignTable table;
    table.build(model, cells);
    report("core table build (1000 x 100)", timer);

    ScriptedDialogs dialogs;
    Form2 form([&model]() -> Model& { return model; }, dialogs);
    form.build(cells);
    QApplication::processEvents();
    form.view()->viewport()->repaint();
    report("window build, show and first paint", timer);

    QTableView* view = form.view();
    const int downs = kRows / kScrollStep;
    for (int i = 0; i < downs; ++i) {
        form.scrollDown();
        view->viewport()->repaint();
    }
    report("Scroll Down(v) to the end, repainted", timer, downs);
    const int rights = kColumns / kScrollStep;
    for (int i = 0; i < rights; ++i) {
        form.scrollRight();
        view->viewport()->repaint();
    }
    report("Scroll Right(>) to the end, repainted", timer, rights);
    for (int i = 0; i < 200; ++i) {
        view->verticalScrollBar()->setValue((i * 37) % kRows);
        view->viewport()->repaint();
    }
    report("scroll bar jumps, repainted", timer, 200);

    form.identity();
    view->viewport()->repaint();
    report("Idenity", timer);
    form.addColumn();
    view->viewport()->repaint();
    report("Add (one column of 1000 zeros)", timer);
    const bool refused = form.table().check().has_value();
    report("Close check of 101,000 cells", timer);
    form.closeTable();
    report("Close write-back and clear", timer);
    std::printf("refused: %s, entries now %zu, dmcols %d\n", refused ? "yes" : "no", model.dm.size(), model.dmcols);
    return 0;
}
