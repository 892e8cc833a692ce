// Times the grid windows on the benchmarks' largest model (3 groups, 2 age classes, 10
// strata, 50 primary periods of 2 occasions; 32380 cells, every 37th fixed, so that the
// windows show fixed values too): building and showing every window of each view,
// against a literal layout of one line edit per cell, and each constraint command and
// the write-back on the largest window. Runs offscreen; each figure is the best of a
// few runs, so that a busy machine disturbs it less.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QProcess>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/largestmodel.h"
#include "model/model.h"
#include "pim/gridview.h"
#include "pim/gridwriteback.h"
#include "pim/widgets/gridwindow.h"

using namespace tw;

namespace {

double elapsedMs(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Lets windows closed by an earlier run go away before the next one is timed.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
}

// Lets the windows just shown finish: their first paint, and the repaint of every
// window but the last when the next one takes the focus.
void finishShowing()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Builds and shows the windows of a view as grid windows; returns milliseconds.
double gridWindows(const Model& model, ViewKind kind, std::size_t& cells)
{
    settle();
    QElapsedTimer timer;
    timer.start();
    auto layouts = buildView(model, kind);
    std::vector<std::unique_ptr<GridWindow>> windows;
    cells = 0;
    for (GridWindowLayout& layout : *layouts) {
        cells += layout.cellmap.size();
        windows.push_back(std::make_unique<GridWindow>(std::move(layout)));
        windows.back()->show();
    }
    finishShowing();
    const double ms = elapsedMs(timer);
    for (auto& window : windows)
        window->discard();
    windows.clear();
    settle();
    return ms;
}

// The size a grid window takes for the layout, so that both ways paint the same area.
QSize sizeOfGridWindow(const GridWindowLayout& layout)
{
    GridWindow window(layout);
    window.discard();
    return window.size();
}

// A window of the literal layout: the same frame as a grid window (caption, menu bar
// with the same items and undo stack, hint label, paging buttons outside movement
// windows) around one line edit per cell, placed by hand in rows and columns.
std::unique_ptr<QMainWindow> literalWindow(const GridWindowLayout& layout, QSize size)
{
    constexpr int width = 46;
    constexpr int height = 22;
    auto window = std::make_unique<QMainWindow>();
    window->setWindowTitle(QString::fromStdString(layout.caption));
    QMenu* constraints = window->menuBar()->addMenu("Constraints");
    for (const char* item : {"Constant over time,strata,age", "Constant over time", "Constant over strata",
                             "Constant over age", "age,strata,time varying", "Oops"})
        constraints->addAction(item);
    constraints->addAction("Change zeros too")->setCheckable(true);
    window->menuBar()->addAction("Design Matrix");
    auto* undo = new QUndoStack(window.get());
    QMenu* edit = window->menuBar()->addMenu("Edit");
    edit->addAction(undo->createUndoAction(window.get(), "Undo"));
    edit->addAction(undo->createRedoAction(window.get(), "Redo"));

    auto* central = new QWidget(window.get());
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(6, 4, 6, 6);
    column->setSpacing(4);
    column->addWidget(new QLabel(" - Hold shift key and click to select pim for design matrix.", central));
    auto* sheet = new QWidget(central);
    int y = 0;
    for (int row = 0; row < layout.rowCount(); ++row) {
        int x = 0;
        for (int col = 0; col < layout.rowLength; ++col) {
            auto* cell = new QLineEdit(QString::fromStdString(layout.builtTexts[row * layout.rowLength + col]), sheet);
            cell->setAlignment(Qt::AlignCenter);
            cell->setGeometry(x, y, width, height);
            x += width + (layout.endsPeriod(col) ? width / 10 : 0);
        }
        y += height + (layout.endsAgeClass(row) ? height / 3 : 0);
    }
    column->addWidget(sheet, 1);
    if (layout.kind != ViewKind::Movement) {
        auto* paging = new QHBoxLayout;
        paging->addWidget(new QPushButton("<<", central));
        paging->addWidget(new QPushButton(">>", central));
        paging->addStretch(1);
        column->addLayout(paging);
    }
    window->setCentralWidget(central);
    window->resize(size);
    return window;
}

// The same view laid out literally, built and shown the same way as gridWindows.
double literalWindows(const Model& model, ViewKind kind)
{
    const QSize size = sizeOfGridWindow(buildView(model, kind)->at(0));
    settle();
    QElapsedTimer timer;
    timer.start();
    auto layouts = buildView(model, kind);
    std::vector<std::unique_ptr<QMainWindow>> windows;
    for (const GridWindowLayout& layout : *layouts) {
        windows.push_back(literalWindow(layout, size));
        windows.back()->show();
    }
    finishShowing();
    const double ms = elapsedMs(timer);
    windows.clear();
    settle();
    return ms;
}

void timeCommands(Model& model)
{
    auto layouts = buildView(model, ViewKind::ClosedCapture);
    GridWindow window(layouts->at(0));
    window.findChild<QAction*>("menu_chngzeros")->setChecked(true);
    window.show();
    QApplication::processEvents();
    std::printf("largest window: %s, %d cells\n", qPrintable(window.windowTitle()), window.grid().cellCount());
    const std::pair<const char*, GridCommand> commands[] = {
        {"Constant over time,strata,age", GridCommand::ConstantOverAll},
        {"Constant over time", GridCommand::ConstantOverTime},
        {"Constant over strata", GridCommand::ConstantOverStrata},
        {"Constant over age", GridCommand::ConstantOverAge},
        {"age,strata,time varying", GridCommand::Varying},
    };
    for (const auto& [name, command] : commands) {
        double best = 1e9;
        for (int run = 0; run < 5; ++run) {
            window.findChild<QAction*>("menu_varying")->trigger();  // start from distinct numbers
            QElapsedTimer timer;
            timer.start();
            window.runCommand(command);
            QApplication::processEvents();
            best = std::min(best, elapsedMs(timer));
            window.findChild<QAction*>("menu_oops")->trigger();
        }
        std::printf("  %-32s %8.3f ms\n", name, best);
    }
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        window.findChild<QAction*>("menu_varying")->trigger();
        QElapsedTimer timer;
        timer.start();
        window.findChild<QAction*>("menu_oops")->trigger();
        QApplication::processEvents();
        best = std::min(best, elapsedMs(timer));
    }
    std::printf("  %-32s %8.3f ms\n", "Oops", best);
    window.findChild<QAction*>("menu_constant")->trigger();
    best = 1e9;
    for (int run = 0; run < 5; ++run) {
        Model copy = model;
        QElapsedTimer timer;
        timer.start();
        writeBackGrid(copy, window.cellmap(), window.grid().texts);
        best = std::min(best, elapsedMs(timer));
    }
    std::printf("  %-32s %8.3f ms\n", "write-back", best);
    window.discard();
}

constexpr std::pair<const char*, ViewKind> kViews[] = {
    {"survival", ViewKind::Survival},
    {"open capture", ViewKind::OpenCapture},
    {"closed capture", ViewKind::ClosedCapture},
    {"movement", ViewKind::Movement},
};

// Times one view one way in this process: the best of the runs given.
int timeOneView(int view, bool literal, int runs)
{
    const Model model = largestModel(50);
    const ViewKind kind = kViews[view].second;
    std::size_t cells = 0;
    double best = 1e9;
    for (int run = 0; run < runs; ++run)
        best = std::min(best, literal ? literalWindows(model, kind) : gridWindows(model, kind, cells));
    std::printf("%.3f\n", best);
    return 0;
}

// Runs one measurement in a fresh process, so that widgets created and destroyed by
// earlier measurements (heap, caches) do not weigh on later ones.
double measureApart(int view, bool literal)
{
    QProcess process;
    process.start(QCoreApplication::applicationFilePath(),
                  {"--one", QString::number(view), literal ? "literal" : "grid"});
    process.waitForFinished(-1);
    return process.readAllStandardOutput().trimmed().toDouble();
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    // --one VIEW grid|literal [RUNS]: one measurement in this process (RUNS for profiling).
    if (arguments.size() >= 4 && arguments[1] == "--one") {
        const bool literal = arguments[3] == "literal";
        const int runs = arguments.size() > 4 ? arguments[4].toInt() : literal ? 2 : 3;
        return timeOneView(arguments[2].toInt(), literal, runs);
    }

    Model model = largestModel(50);
    std::printf("largest model: npar %d\n", model.npar);
    std::printf("%-15s %7s %7s %12s %12s %8s\n", "view", "windows", "cells", "grid ms", "literal ms", "ratio");
    for (int view = 0; view < 4; ++view) {
        const auto layouts = buildView(model, kViews[view].second);
        std::size_t cells = 0;
        for (const GridWindowLayout& layout : *layouts)
            cells += layout.cellmap.size();
        const double grid = measureApart(view, false);
        const double literal = measureApart(view, true);
        std::printf("%-15s %7zu %7zu %12.1f %12.1f %7.1fx\n", kViews[view].first, layouts->size(), cells, grid, literal,
                    literal / grid);
    }
    timeCommands(model);
    return 0;
}
