// The PIM chart window (frm_chart) over the main window's session: a drag of a bar, each
// command of its menus run as one session step with undo and redo, and drawing anew after
// changes made elsewhere. What the commands do to the numbers is the session's (core).

#include "guitest.h"
#include "pim/chartdata.h"
#include "pim/widgets/chartview.h"
#include "pim/widgets/chartwindow.h"
#include "support.h"

using namespace twtest;

namespace {

// The bundled example read, its chart open.
struct Chart : Example {
    ChartWindow* window = nullptr;

    Chart()
    {
        form.showChart();
        window = form.findChild<ChartWindow*>("frm_chart");
        if (!window)
            qFatal("no chart window");
        QApplication::processEvents();
    }
    ChartView* view() const { return window->view(); }
    int rowOf(const QString& label) const
    {
        const auto& rows = view()->chart().rows;
        for (std::size_t r = 0; r < rows.size(); ++r)
            if (QString::fromStdString(rows[r].label) == label)
                return static_cast<int>(r);
        qFatal("no row %s", qPrintable(label));
    }
    // Runs a block command on a row through the context menu, as the right button does.
    void contextCommand(int row, const char* action)
    {
        const QPoint at = view()->pointOf(row, 1);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, view()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view()->viewport(), &event);
        QCOMPARE(view()->selectedRow(), row);
        QVERIFY(window->blockMenu()->isVisible());
        window->blockMenu()->close();
        trigger(window, action);
        QApplication::processEvents();
    }
};

}  // namespace

class ChartWindowTest : public QObject {
    Q_OBJECT

private slots:
    // Escape cancels a drag. The drag's target is the number under the mouse: a drag of a
    // bar by three shifts exactly that block by three.
    void dragOfABarByThreeShiftsExactlyThatBlock()
    {
        Chart c;
        const int row = c.rowOf("Open capture s2");  // numbers 23-26
        const std::vector<std::int16_t> before = c.form.model().pim;
        QWidget* viewport = c.view()->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, c.view()->pointOf(row, 24));
        QTest::mouseMove(viewport, c.view()->pointOf(row, 28));
        QTest::keyClick(c.view(), Qt::Key_Escape);
        QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, c.view()->pointOf(row, 28));
        QCOMPARE(c.form.model().pim, before);

        QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, c.view()->pointOf(row, 24));
        QTest::mouseMove(viewport, c.view()->pointOf(row, 25));
        QTest::mouseMove(viewport, c.view()->pointOf(row, 27));
        QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, c.view()->pointOf(row, 27));
        QApplication::processEvents();
        // The session's step moves exactly the block's cells (its own tests); the chart shows it.
        QCOMPARE(QString::fromStdString(c.form.session().undoText()), QString("Shift by +3: Open capture s2"));
        QCOMPARE(runsText(c.view()->chart().rows[row].runs), std::string("26-29"));
    }

    // Each command of the context menu and the Block menu is one step of the session, named
    // in Undo; undo and redo walk back and forth through every step.
    void eachCommandIsOneStepThatUndoAndRedoWalkThrough()
    {
        Chart c;
        c.window->askShift = [](const QString&, int, int) -> std::optional<int> { return 10; };
        const struct {
            const char* block;  // null: a command of the whole chart
            const char* action;
            const char* step;
        } steps[] = {
            {"Survival g1 s1", "menu_blockshift", "Shift by +10: Survival g1 s1"},
            {"Closed capture s1", "menu_blockconstant", "Constant: Closed capture s1"},
            {nullptr, "menu_renumbergaps", "Renumber without gaps"},
            {"Closed capture s2", "menu_blocktime", "Time: Closed capture s2"},
            {"Survival g2 s2", "menu_blockage", "Age: Survival g2 s2"},
            {"Survival g2 s1", "menu_blockdifferent", "All different: Survival g2 s1"},
            {nullptr, "menu_renumbersharing", "Renumber without sharing"},
        };
        std::vector<Model> models{c.form.model()};
        for (const auto& step : steps) {
            if (step.block)
                c.contextCommand(c.rowOf(step.block), step.action);
            else
                trigger(c.window, step.action);
            QCOMPARE(QString::fromStdString(c.form.session().undoText()), QString(step.step));
            models.push_back(c.form.model());
        }
        auto* undo = c.window->findChild<QAction*>("menu_undo");
        for (std::size_t back = models.size() - 1; back-- > 0;) {
            undo->trigger();
            QCOMPARE(c.form.model(), models[back]);  // unsaved as it was, too
        }
        QVERIFY(!undo->isEnabled());
        for (std::size_t i = 0; i < std::size(steps); ++i)
            trigger(c.window, "menu_redo");
        QCOMPARE(c.form.model(), models.back());
    }

    // The chart draws anew after a grid window writes back.
    void gridWindowEditsAreDrawn()
    {
        Chart c;
        c.form.viewSurvival();
        c.grids().front()->typeText(0, "99");
        c.form.closeGridWindows(Form1::WriteBack::Yes);
        QApplication::processEvents();
        QCOMPARE(runsText(c.view()->chart().rows[0].runs), std::string("1-2,99"));
    }
};

TW_GUI_TEST(ChartWindowTest)
#include "chart_window_test.moc"
