// The PIM chart window (frm_chart) over the main window's session: hover, a drag of a
// bar, each command of its menus run as one session step with undo and redo, drawing anew
// after changes made elsewhere, the grid window a double click brings forward, the keys,
// zoom and "Save chart as…". What the commands do to the numbers is the session's (core).

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
    const PimBlock& block(int row) const { return view()->chart().rows[static_cast<std::size_t>(row)].block; }
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
    void hoverOutlinesTheBlocksSharingTheBarAndExplainsIt()
    {
        Chart c;
        const int row = c.rowOf("Movement g1 1\u21923");  // number 14 in 4 cells, 4 cells fixed
        QTest::mouseMove(c.view()->viewport(), c.view()->pointOf(row, 14));
        QCOMPARE(c.view()->marks().hoverRow, row);
        QCOMPARE(c.view()->marks().sharingRows, std::vector<int>{c.rowOf("Movement g2 1\u21923")});
        const auto bar = c.view()->barAt(c.view()->pointOf(row, 14));
        QVERIFY(bar);
        QCOMPARE(c.view()->describeBar(*bar), QString("<b>Movement g1 1\u21923</b><br>Numbers 14 (1)<br>"
                                                      "Cells 39, 48, 57, 66 (4 of the block's 8)<br>"
                                                      "Shared with 1: Movement g2 1\u21923"));
        QTest::mouseMove(c.view()->viewport(), c.view()->pointOf(row, 30));  // beside the bars
        QCOMPARE(c.view()->marks().hoverRow, -1);
        QVERIFY(c.view()->marks().sharingRows.empty());
    }

    // Escape cancels a drag; a drag of a bar by three shifts exactly that block.
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
        QVERIFY(c.form.session().undoText().empty());

        QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, c.view()->pointOf(row, 24));
        QTest::mouseMove(viewport, c.view()->pointOf(row, 25));
        QTest::mouseMove(viewport, c.view()->pointOf(row, 27));
        QCOMPARE(c.view()->marks().dragRow, row);
        QCOMPARE(c.view()->marks().dragShift, 3);
        QCOMPARE(c.view()->marks().dragNumber, 27);
        QCOMPARE(before, c.form.model().pim);  // nothing changes before the release
        QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, c.view()->pointOf(row, 27));
        QApplication::processEvents();
        // The session's step moves exactly the block's cells (its own tests); the chart shows it.
        QCOMPARE(QString::fromStdString(c.form.session().undoText()), QString("Shift by +3: Open capture s2"));
        QCOMPARE(runsText(c.view()->chart().rows[row].runs), std::string("26-29"));
    }

    // Each command of the context menu and the Block menu is one step of the session, named
    // in Undo; undo and redo walk back and forth through every step. Shift asks within the
    // numbers the block can move to.
    void eachCommandIsOneStepThatUndoAndRedoWalkThrough()
    {
        Chart c;
        int least = 0;
        int most = 0;
        c.window->askShift = [&](const QString&, int l, int m) -> std::optional<int> {
            least = l;
            most = m;
            return 10;
        };
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
        QCOMPARE(least, 0);
        QCOMPARE(most, 252 - 2);
        auto* undo = c.window->findChild<QAction*>("menu_undo");
        QCOMPARE(undo->iconText(), QString("Undo Renumber without sharing"));  // as shown, without its mnemonic
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

    void doubleClickBringsForwardTheGridWindowOfTheBlock()
    {
        for (const auto& [block, caption] : {std::pair{"Survival g2 s3", "Survival - group 2"},
                                             {"Movement g2 3\u21921", "movement C- . - group 2"}}) {
            Chart c;
            c.form.viewOpenCapture();  // another view's windows are open
            const int row = c.rowOf(QString::fromUtf8(block));
            QTest::mouseDClick(c.view()->viewport(), Qt::LeftButton, Qt::NoModifier, c.view()->pointOf(row, 1));
            QCOMPARE(c.grids().front()->layout().kind == ViewKind::OpenCapture, false);
            GridWindow* shown = c.Example::window(caption);
            QVERIFY(shown);
            const int current = shown->gridModel()->cellAt(shown->table()->currentIndex());
            QCOMPARE(shown->cellmap()[static_cast<std::size_t>(current)], c.block(row).cells.front());
        }
    }

    void saveChartAs()
    {
        for (const auto& [name, start] : {std::pair{"chart.png", QByteArray("\x89PNG\r\n\x1a\n")},
                                          {"chart.PDF", QByteArray("%PDF-")}}) {
            Chart c;
            c.answerFile(c.path(name));
            trigger(c.window, "menu_savechart");
            const ScriptedDialogs::Asked& asked = c.dialogs.asked.back();
            QCOMPARE(asked.kind, QString("save"));
            QCOMPARE(asked.text, QString("chart.png"));
            QCOMPARE(asked.filters, (QStringList{"PNG image (*.png)", "PDF document (*.pdf)"}));
            QCOMPARE(QDir(asked.directory).canonicalPath(), QFileInfo(kExample).canonicalPath());  // the model's
            QCOMPARE(asked.replace, Dialogs::Replace::CallerAsks);
            QVERIFY(bytes(c.path(name)).startsWith(start));
        }
    }

    void keysMoveTheSelection()
    {
        const std::pair<std::vector<Qt::Key>, int> cases[] = {
            {{Qt::Key_Down}, 0},                // down from none is the first row
            {{Qt::Key_Down, Qt::Key_Up, Qt::Key_Up}, 0},  // up stays at the first row
            {{Qt::Key_End}, 23},
            {{Qt::Key_End, Qt::Key_Home}, 0},
            {{Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageDown}, 23},  // within the rows
        };
        Chart c;
        QCOMPARE(c.view()->selectedRow(), -1);
        for (const auto& [keys, row] : cases) {
            c.view()->selectRow(-1);
            for (Qt::Key key : keys)
                QTest::keyClick(c.view(), key);
            QCOMPARE(c.view()->selectedRow(), row);
            QCOMPARE(c.window->findChild<QAction*>("menu_blockname")->text(),
                     QString::fromStdString(c.view()->chart().rows[static_cast<std::size_t>(row)].label));
        }
    }

    void keyboardAloneOpensTheBlockMenuAndTheGrid()
    {
        Chart c;
        const int row = c.rowOf("Closed capture s2");
        QTest::keyClick(c.view(), Qt::Key_End);
        QTest::keyClick(c.view(), Qt::Key_Up);
        QCOMPARE(c.view()->selectedRow(), row);
        // The menu key opens the block menu for the selected row, wherever the mouse is.
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(0, 0), c.view()->mapToGlobal(QPoint(0, 0)));
        QApplication::sendEvent(c.view(), &event);
        QVERIFY(c.window->blockMenu()->isVisible());
        QCOMPARE(c.view()->selectedRow(), row);
        c.window->blockMenu()->close();
        QTest::keyClick(c.view(), Qt::Key_Return);
        QVERIFY(!c.grids().isEmpty());
        QCOMPARE(c.grids().front()->layout().kind, ViewKind::ClosedCapture);
    }

    void shortcutsOfTheWindow()
    {
        Chart c;
        const Model original = c.form.model();
        c.view()->selectRow(c.rowOf("Survival g1 s1"));
        trigger(c.window, "menu_blockdifferent");
        c.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(c.window));
        const Model changed = c.form.model();
        QVERIFY(changed != original);
        QTest::keyClick(c.window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(c.form.model(), original);
        QTest::keyClick(c.window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(c.form.model(), changed);

        const double fitted = c.view()->numberWidth();
        QTest::keyClick(c.window, Qt::Key_Equal, Qt::ControlModifier);
        QVERIFY(qAbs(c.view()->numberWidth() - fitted * 1.25) < 1e-9);
        QTest::keyClick(c.window, Qt::Key_Minus, Qt::ControlModifier);
        QTest::keyClick(c.window, Qt::Key_Minus, Qt::ControlModifier);
        QVERIFY(c.view()->numberWidth() < fitted);
        QTest::keyClick(c.window, Qt::Key_0, Qt::ControlModifier);
        QVERIFY(qAbs(c.view()->numberWidth() - fitted) < 1e-9);
    }

    void zoomKeepsTheNumberUnderTheMouse()
    {
        Chart c;
        const int row = c.rowOf("Open capture s1");
        const QPoint at = c.view()->pointOf(row, 20);
        const double before = c.view()->numberWidth();
        QVERIFY(c.view()->pointOf(0, 45).x() < c.view()->viewport()->width());  // fitted: every number in view
        QWheelEvent wheel(at, c.view()->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(c.view()->viewport(), &wheel);
        QVERIFY(qAbs(c.view()->numberWidth() - before * 1.5625) < 1e-9);
        QVERIFY(qAbs(c.view()->pointOf(row, 20).x() - at.x()) <= 1);
        trigger(c.window, "menu_fit");
        QVERIFY(qAbs(c.view()->numberWidth() - before) < 1e-9);
    }
};

TW_GUI_TEST(ChartWindowTest)
#include "chart_window_test.moc"
