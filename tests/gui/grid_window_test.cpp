// The grid window frm_movement on its own: item model, marking, commands, undo,
// paging and closing.
#include <QAbstractItemModelTester>
#include <QContextMenuEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QUndoStack>

#include "guitest.h"
#include "pim/gridview.h"
#include "support.h"

using namespace twtest;

namespace {

GridWindowLayout layoutOf(const Model& m, ViewKind kind, std::size_t which = 0)
{
    auto windows = buildView(m, kind);
    return windows.ok() && windows->size() > which ? windows->at(which) : GridWindowLayout{};
}

QStringList texts(const GridWindow& window)
{
    QStringList list;
    for (const std::string& text : window.grid().texts)
        list << QString::fromStdString(text);
    return list;
}

bool isRed(const GridWindow& window, int cell)
{
    return window.gridModel()->indexOf(cell).data(Qt::BackgroundRole).value<QColor>() == QColor(255, 0, 0);
}

}  // namespace

class GridWindowTest : public QObject {
    Q_OBJECT

private slots:
    void itemModelPassesTheTesterInEveryView()
    {
        const Model m = periodModel(2, 2, 3, 4);
        const Model oneStratum = periodModel(1, 1, 1, 3);
        const Model oneYear = periodModel(1, 2, 2, 1);
        const std::pair<const Model*, ViewKind> cases[] = {
            {&m, ViewKind::Survival},          {&m, ViewKind::Movement},
            {&m, ViewKind::OpenCapture},       {&m, ViewKind::ClosedCapture},
            {&oneStratum, ViewKind::Movement}, {&oneYear, ViewKind::Survival},
        };
        for (const auto& [model, kind] : cases) {
            GridTableModel grid(layoutOf(*model, kind));
            QAbstractItemModelTester tester(&grid, QAbstractItemModelTester::FailureReportingMode::Fatal);
            QCOMPARE(grid.rowCount() * grid.columnCount(), grid.grid().cellCount());
            if (grid.grid().cellCount() == 0)
                continue;
            const int last = grid.grid().cellCount() - 1;
            QVERIFY(grid.setData(grid.indexOf(last), "42"));
            QCOMPARE(grid.grid().texts[last], std::string("42"));
            grid.toggleMark(0);
            QVERIFY(grid.grid().marked(0));
            QCOMPARE(grid.cellAt(grid.indexOf(last)), last);
        }
    }

    void shiftClickMarksCells_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<bool>("red");
        const int shift = Qt::ShiftModifier, left = Qt::LeftButton;
        QTest::newRow("shift marks") << shift << left << 1 << true;
        QTest::newRow("shift twice unmarks") << shift << left << 2 << false;
        QTest::newRow("shift with right button marks") << shift << int(Qt::RightButton) << 1 << true;
        QTest::newRow("ctrl shift does nothing") << int(shift | Qt::ControlModifier) << left << 1 << false;
        QTest::newRow("alt shift does nothing") << int(shift | Qt::AltModifier) << left << 1 << false;
        QTest::newRow("plain click does nothing") << int(Qt::NoModifier) << left << 1 << false;
    }
    void shiftClickMarksCells()
    {
        QFETCH(int, modifiers);
        QFETCH(int, button);
        QFETCH(int, clicks);
        QFETCH(bool, red);
        GridWindow window(layoutOf(periodModel(1, 1, 2, 4), ViewKind::Survival));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (int i = 0; i < clicks; ++i)
            clickCell(window, 4, Qt::KeyboardModifiers(modifiers), Qt::MouseButton(button));
        QCOMPARE(isRed(window, 4), red);
        QCOMPARE(window.grid().marked(4), red);
        QVERIFY(!isRed(window, 3));
        QCOMPARE(window.grid().texts, window.layout().builtTexts);  // marking changes no text
    }

    void commandIsOneUndoStep()
    {
        GridWindow window(layoutOf(periodModel(1, 2, 2, 4), ViewKind::Survival));
        const QStringList built = texts(window);
        window.menu_time->trigger();
        const QStringList after = texts(window);
        QCOMPARE(after.mid(0, 6), QStringList({"1", "1", "1", "4", "4", "4"}));
        QCOMPARE(window.undoStack()->count(), 1);
        QCOMPARE(window.menu_undo->text(), QString("Undo Constant over time"));
        window.menu_undo->trigger();
        QCOMPARE(texts(window), built);
        window.menu_redo->trigger();
        QCOMPARE(texts(window), after);
        window.menu_time->trigger();  // changes nothing now: no empty undo step
        QCOMPARE(window.undoStack()->count(), 1);
    }

    void typingAndOopsAreUndoable()
    {
        GridWindow window(layoutOf(periodModel(2, 1, 2, 3), ViewKind::Survival, 1));
        const QStringList built = texts(window);
        QVERIFY(window.gridModel()->setData(window.gridModel()->indexOf(1), "99"));
        window.menu_varying->trigger();
        window.menu_oops->trigger();
        QCOMPARE(texts(window), built);
        QCOMPARE(window.undoStack()->count(), 3);
        window.undoStack()->undo();
        QCOMPARE(texts(window), QStringList({"1", "2", "3", "4"}));
        window.undoStack()->undo();
        window.undoStack()->undo();
        QCOMPARE(texts(window), built);
        window.undoStack()->redo();
        QCOMPARE(texts(window).at(1), QString("99"));
    }

    void shortcutsUndoAndRedo()
    {
        GridWindow window(layoutOf(periodModel(1, 1, 2, 3), ViewKind::Survival));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QStringList built = texts(window);
        window.menu_constant->trigger();
        const QStringList after = texts(window);
        QVERIFY(after != built);
        QTest::keyClick(window.table(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(texts(window), built);
        QTest::keyClick(window.table(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(texts(window), after);
    }

    // A window that gains the focus has a current cell (the first), for typing to go to.
    void freshlyActiveWindowHasACurrentCell()
    {
        GridWindow window(layoutOf(periodModel(1, 1, 2, 3), ViewKind::Survival));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(window.table()->currentIndex(), window.gridModel()->index(0, 0));
    }

    void changeZerosTooStartsUncheckedAndApplies()
    {
        Model m = periodModel(1, 1, 1, 5);
        m.pim[2] = 0;
        GridWindow window(layoutOf(m, ViewKind::Survival));
        QVERIFY(window.menu_chngzeros->isCheckable());
        window.menu_varying->trigger();
        QCOMPARE(texts(window), QStringList({"1", "0", "2", "3"}));
        window.menu_chngzeros->trigger();
        window.menu_varying->trigger();
        QCOMPARE(texts(window), QStringList({"1", "2", "3", "4"}));
    }

    void pagingMovesThreeColumnsEachWay()
    {
        GridWindow window(layoutOf(periodModel(1, 1, 2, 40), ViewKind::Survival));
        window.resize(400, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QScrollBar* bar = window.table()->horizontalScrollBar();
        window.cmd_left->click();
        QCOMPARE(bar->value(), 3);
        QCOMPARE(window.table()->columnAt(1), 3);  // the cells moved left by three columns
        window.cmd_left->click();
        window.cmd_left->click();
        QCOMPARE(bar->value(), 9);
        for (int i = 0; i < 4; ++i)
            window.cmd_right->click();
        QCOMPARE(bar->value(), 0);
    }

    void rightClickPopsUpConstraints()
    {
        GridWindow window(layoutOf(periodModel(1, 1, 2, 3), ViewKind::Survival));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QWidget* viewport = window.table()->viewport();
        const QPoint at = window.table()->visualRect(window.gridModel()->indexOf(0)).center();
        QContextMenuEvent shifted(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at), Qt::ShiftModifier);
        QApplication::sendEvent(viewport, &shifted);
        QVERIFY(!window.mnu_cons->isVisible());
        QContextMenuEvent plain(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &plain);
        QTRY_VERIFY(window.mnu_cons->isVisible());
        window.mnu_cons->close();
    }

    void closingCommitsTheOpenEditorAndSignalsOnce()
    {
        auto* window = new GridWindow(layoutOf(periodModel(1, 1, 2, 3), ViewKind::Survival));
        QPointer<GridWindow> alive(window);
        QSignalSpy closing(window, &GridWindow::closing);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->table()->edit(window->gridModel()->indexOf(2));
        auto* editor = window->table()->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText("55");
        std::string written;
        connect(window, &GridWindow::closing, this, [&written](GridWindow* w) { written = w->grid().texts[2]; });
        window->close();
        QCOMPARE(closing.count(), 1);
        QCOMPARE(written, std::string("55"));
        QTRY_VERIFY(alive.isNull());  // deleted on close
    }

    void captionsMenusAndHint()
    {
        GridWindow window(layoutOf(periodModel(2, 1, 3, 3), ViewKind::Movement, 4));
        QCOMPARE(window.objectName(), QString("frm_movement"));
        QCOMPARE(window.windowTitle(), QString("movement B- . - group 2"));
        QCOMPARE(window.number(), 4);
        QCOMPARE(window.Label1->text(), QString(" - Hold shift key and click to select pim for design matrix."));
        QStringList items;
        for (QAction* action : window.mnu_cons->actions())
            items << action->objectName() + "=" + action->text();
        QCOMPARE(items, QStringList({"menu_constant=Constant over time,strata,age", "menu_time=Constant over time",
                                     "menu_strata=Constant over strata", "menu_age=Constant over age",
                                     "menu_varying=age,strata,time varying", "menu_oops=Oops",
                                     "menu_chngzeros=Change zeros too"}));
        QCOMPARE(window.mnu_cons->title(), QString("Constraints"));
        QCOMPARE(window.menu_dm->text(), QString("Design Matrix"));
    }
};

TW_GUI_TEST(GridWindowTest)
#include "grid_window_test.moc"
