// The grid windows (frm_movement) opened by the main window's view commands: how many,
// marking by click, the menu states while they are open, write-back on closing and
// the way into the design matrix.
#include <QAbstractItemModelTester>
#include <QPainter>
#include <QTableView>

#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

using ViewSlot = void (Form1::*)();
const ViewSlot kViews[] = {&Form1::viewSurvival, &Form1::viewOpenCapture, &Form1::viewClosedCapture,
                           &Form1::viewMovement};

}  // namespace

class GridWindowsTest : public QObject {
    Q_OBJECT

private slots:
    // One window per group, per group and stratum of departure for movement; each over an
    // item model that passes the tester (the captions are the views' own, tested in the core).
    void windowCountsAndModels_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("count");
        QTest::newRow("survival") << 0 << 2;
        QTest::newRow("open capture") << 1 << 1;
        QTest::newRow("closed capture") << 2 << 1;
        QTest::newRow("movement") << 3 << 6;
    }
    void windowCountsAndModels()
    {
        QFETCH(int, view);
        Views f;
        (f.form.*kViews[view])();
        for (GridWindow* w : f.grids()) {
            QCOMPARE(w->objectName(), QString("frm_movement"));
            QVERIFY(w->isVisible());
            QAbstractItemModelTester tester(w->gridModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
            QVERIFY(w->gridModel()->setData(w->gridModel()->indexOf(0), "42"));
        }
        QTEST(int(f.grids().size()), "count");
    }

    void shiftClickMarksCells_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<bool>("marked");
        QTest::newRow("shift marks") << int(Qt::ShiftModifier) << 1 << true;
        QTest::newRow("shift twice unmarks") << int(Qt::ShiftModifier) << 2 << false;
        QTest::newRow("ctrl shift does nothing") << int(Qt::ShiftModifier | Qt::ControlModifier) << 1 << false;
        QTest::newRow("plain click does nothing") << int(Qt::NoModifier) << 1 << false;
    }
    void shiftClickMarksCells()
    {
        QFETCH(int, modifiers);
        QFETCH(int, clicks);
        QFETCH(bool, marked);
        Views f;
        f.form.viewSurvival();
        GridWindow& window = *f.grids().at(0);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (int i = 0; i < clicks; ++i)
            clickCell(window, 4, Qt::KeyboardModifiers(modifiers));
        const QColor red(255, 0, 0);
        QCOMPARE(window.gridModel()->indexOf(4).data(Qt::BackgroundRole).value<QColor>() == red, marked);
        QCOMPARE(window.grid().marked(4), marked);
        QVERIFY(!window.grid().marked(3));
    }

    // A window that gains the focus has a current cell (the first), for typing to go to;
    // it must survive the table repainting only what focus changes touch.
    void freshlyActiveWindowHasACurrentCell()
    {
        Views f;
        f.form.viewSurvival();
        GridWindow* window = f.grids().at(0);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QCOMPARE(window->table()->currentIndex(), window->gridModel()->index(0, 0));
    }

    // Numbers and fixed values are drawn from glyphs looked up once rather than through
    // a text layout; they must land on the same pixels as centred text would, and other
    // texts ("=1E-05") still take the text layout. Fixed values take their own colour.
    void cellTextsSitWhereCentredTextWould()
    {
        Views f;
        f.form.viewSurvival();
        GridWindow* window = f.grids().at(0);
        // Cells away from the first (current) one and from the gap bars.
        std::vector<std::pair<int, QString>> typed;
        const QStringList texts = {"7", "-2", "32767", "0", "=0.02", "=1E-05"};
        for (int cell = 1; cell < window->grid().cellCount() && typed.size() < std::size_t(texts.size()); ++cell) {
            const QModelIndex index = window->gridModel()->indexOf(cell);
            if (!window->layout().endsPeriod(index.column()) && !window->layout().endsAgeClass(index.row()))
                typed.emplace_back(cell, texts[int(typed.size())]);
        }
        QCOMPARE(int(typed.size()), int(texts.size()));
        for (const auto& [cell, text] : typed)
            window->typeText(cell, text);
        QTableView* table = window->table();
        const QImage shown = table->viewport()->grab().toImage();
        for (const auto& [cell, text] : typed) {
            const QModelIndex index = window->gridModel()->indexOf(cell);
            const QRect cellRect(table->columnViewportPosition(index.column()), table->rowViewportPosition(index.row()),
                                 table->columnWidth(index.column()) - 1, table->rowHeight(index.row()) - 1);
            QImage expected(cellRect.size(), shown.format());
            expected.fill(Qt::white);
            QPainter painter(&expected);
            painter.setFont(table->font());
            painter.setPen(text.startsWith('=') ? GridTableModel::fixedColour() : QColor(Qt::black));
            painter.drawText(QRect(QPoint(0, 0), cellRect.size()), Qt::AlignCenter, text);
            painter.end();
            QCOMPARE(shown.copy(cellRect), expected);
        }
    }

    void menuStatesWhileOpenAndAfterOneWindowCloses()
    {
        Views f;
        auto states = [&f] {
            return QList<bool>{f.enabled("menu_pim_action"), f.action("menu_cons_action")->isVisible(),
                               f.child("lbl_pim")->isVisibleTo(&f.form)};
        };
        QCOMPARE(states(), (QList<bool>{true, false, false}));
        f.form.viewSurvival();
        QCOMPARE(states(), (QList<bool>{false, true, true}));
        f.grids().at(1)->close();
        QCOMPARE(states(), (QList<bool>{true, false, false}));
        QCOMPARE(f.grids().size(), 1);  // the other window stays open and working
    }

    void twoViewsOpenAtOnceWriteBackIntoTheirOwnCells()
    {
        Views f;
        f.form.viewSurvival();
        f.form.viewMovement();
        const QList<GridWindow*> open = f.grids();
        QCOMPARE(open.size(), 8);
        GridWindow* survival2 = open.at(1);   // group 2: cell 37 first
        GridWindow* movementB2 = open.at(6);  // group 2 from B: cell 40 first
        QVERIFY(typeInto(survival2->table(), 0, 0, "500"));  // left open: closing commits it
        movementB2->typeText(0, "600");
        survival2->close();
        QCOMPARE(f.model().pim[37], 500);
        QCOMPARE(f.model().pim[40], 40);
        movementB2->close();
        QCOMPARE(f.model().pim[40], 600);
        QCOMPARE(f.model().pim[1], 1);
        QVERIFY(f.model().unsaved);
        f.model().pim[37] = 37;  // a closed window writes back only once
        f.form.closeGridWindows(Form1::WriteBack::Yes);
        QCOMPARE(f.model().pim[37], 37);
    }

    void designMatrixCollectsMarksAndClosesEveryWindow()
    {
        Views f;
        f.form.viewSurvival();
        QList<GridWindow*> open = f.grids();
        open.at(1)->toggleMark(1);
        open.at(0)->toggleMark(0);
        open.at(1)->typeText(1, "321");
        trigger(open.at(0), "menu_dm");
        QVERIFY(f.grids().isEmpty());
        QCOMPARE(f.model().pim[46], 321);  // written back before the design matrix reads it
        QVERIFY(f.enabled("menu_pim_action"));
        QVERIFY(f.design() && f.design()->isVisible());
        QCOMPARE(f.design()->view()->model()->rowCount(), 2);
    }

    void brokenModelShowsAMessageAndOpensNothing()
    {
        Views f;
        f.model().npar = 100;
        createCellArrays(f.model());
        f.form.viewClosedCapture();
        QVERIFY(f.grids().isEmpty());
        QVERIFY(f.enabled("menu_pim_action"));
        QCOMPARE(f.dialogs.messages(),
                 QStringList{"The view needs cell 101, but the model has only 100 cells (NPAR)."});
    }
};

TW_GUI_TEST(GridWindowsTest)
#include "grid_windows_test.moc"
