// Times the model formulas window on the largest model (32380 cells): from a keystroke in
// a formula field to the preview drawn, with each tab of the preview in front. The pause
// the window waits after a keystroke (FormulaWindow::kPause) is not part of the figures:
// each keystroke here is followed at once by the preview's update, as if the pause had
// ended, and then by a synchronous repaint of the window. Runs offscreen.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/largestmodel.h"
#include "design/widgets/formulawindow.h"

using namespace tw;

namespace {

struct Typed {
    CellKind kind;
    const char* formula;
};

// The formulas of the formula benchmark, typed key by key.
const Typed kTyped[] = {
    {CellKind::Survival, "~ group*age*stratum*time"},
    {CellKind::Movement, "~ stratum*tostratum*time"},
    {CellKind::Open, "~ stratum*time"},
    {CellKind::Closed, "~ stratum*session*occasion"},
};

double ms(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

struct Figures {
    std::vector<double> keystrokes;  // keystroke, preview update and repaint, each
    double update = 0;               // of which the worst preview update alone
};

// Types every formula key by key into a window showing the given tab.
Figures typeAll(FormulaWindow& window, int tab)
{
    window.findChild<QTabWidget*>("tab_preview")->setCurrentIndex(tab);
    for (CellKind kind : kAllKinds)
        window.field(kind)->clear();
    window.refresh();
    window.repaint();
    Figures figures;
    for (const Typed& typed : kTyped) {
        QLineEdit* field = window.field(typed.kind);
        field->setFocus();
        for (const char* key = typed.formula; *key != 0; ++key) {
            QElapsedTimer timer;
            timer.start();
            QTest::keyClicks(field, QString(QChar(*key)));
            QElapsedTimer update;
            update.start();
            window.refresh();
            figures.update = std::max(figures.update, ms(update));
            window.repaint();
            figures.keystrokes.push_back(ms(timer));
        }
        QApplication::processEvents();
    }
    return figures;
}

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(share * static_cast<double>(values.size())))];
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Session session;
    session.model() = largestModel(50);
    FormulaWindow window(session, [](const FormulaSet&) { return Outcome{}; });
    window.showForModel();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    std::printf("largest model: npar %d; preview pause after a keystroke %d ms (not counted below)\n",
                session.model().npar, FormulaWindow::kPause);
    std::printf("%-14s %6s %10s %10s %10s %14s\n", "tab in front", "keys", "median ms", "p90 ms", "worst ms",
                "worst update");
    const char* tabs[] = {"PIM", "design matrix"};
    for (int tab = 0; tab < 2; ++tab) {
        typeAll(window, tab);  // a first round warms the caches, as the user's first minutes do
        const Figures figures = typeAll(window, tab);
        std::printf("%-14s %6zu %10.1f %10.1f %10.1f %14.1f\n", tabs[tab], figures.keystrokes.size(),
                    percentile(figures.keystrokes, 0.5), percentile(figures.keystrokes, 0.9),
                    percentile(figures.keystrokes, 1.0), figures.update);
    }
    const FormulaFields& fields = window.fields();
    if (fields.applied)
        std::printf("the last preview: %d parameters, %d design columns, %zu entries\n", fields.applied->model.nparms,
                    fields.applied->model.dmcols, fields.applied->model.dm.size());
    return 0;
}
