// The PIM chart window (frm_chart) over the main window's session: its rows, a drag of a
// bar, the block commands of its context menu, undo and redo, the write-back of open
// windows before a command, drawing anew after changes made elsewhere, the grid window a
// double click brings forward, and "Save chart as…".
#include <QMenu>
#include <QSet>
#include <QScrollBar>
#include <QTableView>
#include <set>

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
    std::vector<std::int16_t> numbers(int row) const
    {
        std::vector<std::int16_t> values;
        for (int cell : block(row).cells)
            values.push_back(form.model().pim[static_cast<std::size_t>(cell)]);
        return values;
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

int distinctEstimated(const std::vector<std::int16_t>& numbers)
{
    QSet<int> distinct;
    for (std::int16_t n : numbers)
        if (n > 0)
            distinct.insert(n);
    return static_cast<int>(distinct.size());
}

}  // namespace

class ChartWindowTest : public QObject {
    Q_OBJECT

private slots:
    void rowsAndLabelsOfTheExample()
    {
        Chart c;
        QCOMPARE(c.window->windowTitle(), QString("PIM chart"));
        QVERIFY(c.window->isVisible());
        const std::vector<ChartRow>& rows = c.view()->chart().rows;
        QCOMPARE(rows.size(), 24u);  // the rows' order and labels are the chart data's (core tests)
        QCOMPARE(rows.front().label, std::string("Survival g1 s1"));
        QCOMPARE(rows.back().label, std::string("Closed capture s3"));
        // Fitted: every number in view.
        QVERIFY(c.view()->pointOf(0, 45).x() < c.view()->viewport()->width());
        QVERIFY(!c.view()->viewport()->grab().isNull());
    }

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

        const std::vector<int>& cells = c.block(row).cells;
        const std::set<int> moved(cells.begin(), cells.end());
        for (std::size_t cell = 1; cell < before.size(); ++cell) {
            const int expected = moved.count(static_cast<int>(cell)) ? before[cell] + 3 : before[cell];
            QCOMPARE(int(c.form.model().pim[cell]), expected);
        }
        QCOMPARE(c.view()->marks().dragRow, -1);
        QCOMPARE(QString::fromStdString(c.form.session().undoText()), QString("Shift by +3: Open capture s2"));
        // The chart shows the shared numbers at once.
        QCOMPARE(runsText(c.view()->chart().rows[row].runs), std::string("26-29"));
        QCOMPARE(c.view()->chart().rows[row].sharingCount, 1);
    }

    void contextMenuCommands()
    {
        // Closed capture s1: 2 age classes by 14 occasions (SECPERS 2 3 2 4 3), numbers 31-35.
        for (const auto& [action, distinct] : {std::pair{"menu_blockconstant", 1}, {"menu_blockdifferent", 28}}) {
            Chart c;
            const int row = c.rowOf("Closed capture s1");
            c.contextCommand(row, action);
            const std::vector<std::int16_t> after = c.numbers(row);
            QCOMPARE(distinctEstimated(after), distinct);
            QVERIFY(*std::min_element(after.begin(), after.end()) > 45);  // new numbers above the largest in use
            QVERIFY(c.form.model().unsaved);
            QCOMPARE(c.view()->chart().rows[row].runs.front().first, 46);
        }
    }

    void shiftByAnAnsweredNumber()
    {
        Chart c;
        const int row = c.rowOf("Survival g1 s1");  // 1-2
        int least = 0;
        int most = 0;
        c.window->askShift = [&](const QString&, int l, int m) -> std::optional<int> {
            least = l;
            most = m;
            return 10;
        };
        c.contextCommand(row, "menu_blockshift");
        QCOMPARE(least, 0);
        QCOMPARE(most, 252 - 2);
        QCOMPARE(runsText(c.view()->chart().rows[row].runs), std::string("11-12"));
    }

    // Renumbering without gaps is in the undo test; the rules of both are the session's.
    void renumberingWithoutSharingLeavesNoBlockSharing()
    {
        Chart c;
        trigger(c.window, "menu_renumbersharing");
        QApplication::processEvents();
        for (const ChartRow& row : c.view()->chart().rows)
            QCOMPARE(row.sharingCount, 0);
    }

    void undoAndRedoOfEachStep()
    {
        Chart c;
        const Model original = c.form.model();
        c.contextCommand(c.rowOf("Survival g2 s1"), "menu_blockdifferent");
        const Model afterFirst = c.form.model();
        trigger(c.window, "menu_renumbergaps");
        const Model afterSecond = c.form.model();
        auto* undo = c.window->findChild<QAction*>("menu_undo");
        QCOMPARE(undo->iconText(), QString("Undo Renumber without gaps"));  // as shown, without its mnemonic
        undo->trigger();
        QCOMPARE(c.form.model(), afterFirst);
        undo->trigger();
        QCOMPARE(c.form.model(), original);  // unsaved as it was, too
        QVERIFY(!undo->isEnabled());
        trigger(c.window, "menu_redo");
        trigger(c.window, "menu_redo");
        QCOMPARE(c.form.model(), afterSecond);
    }

    // The chart draws anew after a grid window writes back, and a block command writes back
    // the edits of open grid windows first.
    void gridWindowEditsAreWrittenBackAndDrawn()
    {
        Chart c;
        c.form.viewSurvival();
        c.grids().front()->typeText(0, "99");
        c.form.closeGridWindows(Form1::WriteBack::Yes);
        QApplication::processEvents();
        QCOMPARE(runsText(c.view()->chart().rows[0].runs), std::string("1-2,99"));

        const int row = c.rowOf("Survival g1 s1");
        c.form.viewSurvival();
        c.grids().front()->typeText(0, "200");
        c.contextCommand(row, "menu_blockconstant");
        QVERIFY(c.grids().isEmpty());
        // The typed number reached the model first: the block's new number lies above it.
        QCOMPARE(distinctEstimated(c.numbers(row)), 1);
        QVERIFY(c.numbers(row).front() > 200);
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
            QCOMPARE(c.dialogs.messages(), QStringList());
            const ScriptedDialogs::Asked& asked = c.dialogs.asked.back();
            QCOMPARE(asked.kind, QString("save"));
            QCOMPARE(asked.text, QString("chart.png"));
            QCOMPARE(asked.filters, (QStringList{"PNG image (*.png)", "PDF document (*.pdf)"}));
            QCOMPARE(QDir(asked.directory).canonicalPath(), QFileInfo(kExample).canonicalPath());  // the model's
            QCOMPARE(asked.replace, Dialogs::Replace::CallerAsks);
            const QByteArray written = bytes(c.path(name));
            QVERIFY(written.size() > 1000);
            QVERIFY(written.startsWith(start));
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
            QVERIFY(c.window->findChild<QAction*>("menu_blockconstant")->isEnabled());
        }
    }

    void keyboardAloneRunsACommandAndOpensTheGrid()
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
        trigger(c.window, "menu_blockconstant");
        QApplication::processEvents();
        QCOMPARE(distinctEstimated(c.numbers(row)), 1);
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

    void designWindowEditsAreWrittenBackBeforeACommand()
    {
        Chart c;
        c.action("menu_cons_action")->setVisible(true);
        c.form.openDesignMatrix({1});
        Form2* design = c.design();
        QVERIFY(design && QTest::qWaitForWindowExposed(design));
        const QString column = design->view()->model()->headerData(0, Qt::Horizontal).toString();
        QVERIFY(column.startsWith('B'));
        QVERIFY(typeInto(design->view(), 0, 0, "0.5"));
        c.contextCommand(c.rowOf("Open capture s1"), "menu_blockconstant");
        QVERIFY(!design->isVisible());
        QCOMPARE(c.form.model().dm.get(c.form.model().pim[1], column.mid(1).toInt()), 0.5);
        QCOMPARE(distinctEstimated(c.numbers(c.rowOf("Open capture s1"))), 1);
    }

    void zoomKeepsTheNumberUnderTheMouse()
    {
        Chart c;
        const int row = c.rowOf("Open capture s1");
        const QPoint at = c.view()->pointOf(row, 20);
        const double before = c.view()->numberWidth();
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
