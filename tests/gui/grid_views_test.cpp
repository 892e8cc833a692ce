// The view commands of the main window: the grid windows they open, the menu states
// while they are open, write-back on closing and the way into the design matrix.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTest>

#include "app/mainwindow.h"
#include "guitest.h"
#include "model/model.h"
#include "pim/widgets/gridtablemodel.h"
#include "pim/widgets/gridwindow.h"
#include "platform/scripted.h"

using namespace tw;

namespace {

// Two groups, two age classes, three strata, three primary periods of two occasions:
// survival and movement cells 1..72, open capture 73..84, closed capture 85..120.
Model viewsTestModel()
{
    Model m = startupModel();
    m.groups = 2;
    m.nage = 2;
    m.nstrat = 3;
    m.nyrs = 3;
    m.secpers = {0, 2, 2, 2};
    m.cumsec = {0, 2, 4, 6};
    m.totsec = 6;
    computeDerivedSizes(m);
    m.npar = static_cast<int>(expectedCellCount(m));
    createCellArrays(m);
    return m;
}

struct Fixture {
    ScriptedPlatform scripted;
    Form1 form{scripted.platform};
    Fixture() { form.model() = viewsTestModel(); }
    ~Fixture() { form.closeGridWindows(Form1::WriteBack::No); }

    // Open grid windows in the order they were opened.
    QList<GridWindow*> windows() const
    {
        QList<GridWindow*> open;
        for (GridWindow* w : form.findChildren<GridWindow*>())
            if (!w->isClosed())
                open << w;
        return open;
    }
    bool pimEnabled() const { return form.menu_pim->menuAction()->isEnabled(); }
    bool constraintsShown() const { return form.menu_cons->menuAction()->isVisible(); }
};

using ViewSlot = void (Form1::*)();

}  // namespace

class GridViewsTest : public QObject {
    Q_OBJECT

private slots:
    void windowCountsAndCaptions_data();
    void windowCountsAndCaptions();
    void menuStatesWhileOpenAndAfterOneWindowCloses();
    void twoViewsOpenAtOnceWriteBackIntoTheirOwnCells();
    void closedWindowWritesBackOnlyOnce();
    void closeGridWindowsWithAndWithoutWriteBack();
    void outOfRangeNumbersKeepOldValuesWithOneMessage();
    void designMatrixCollectsMarksAndClosesEveryWindow();
    void textChangeWhileViewOpenDisablesDesignMatrix();
    void undoRedoOfACommandBeforeWriteBack();
    void brokenModelShowsAMessageAndOpensNothing();
};

void GridViewsTest::windowCountsAndCaptions_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("survival") << 0 << QStringList{"Survival - group 1", "Survival - group 2"};
    QTest::newRow("open capture") << 1 << QStringList{"Open capture probabilities - group 1 (all groups)"};
    QTest::newRow("closed capture") << 2 << QStringList{"Closed capture probabilities - group 1 (all groups)"};
    QTest::newRow("movement") << 3
                              << QStringList{"movement A- . - group 1", "movement B- . - group 1",
                                             "movement C- . - group 1", "movement A- . - group 2",
                                             "movement B- . - group 2", "movement C- . - group 2"};
}

void GridViewsTest::windowCountsAndCaptions()
{
    QFETCH(int, view);
    QFETCH(QStringList, captions);
    const ViewSlot viewCommands[] = {&Form1::viewSurvival, &Form1::viewOpenCapture, &Form1::viewClosedCapture,
                              &Form1::viewMovement};
    Fixture f;
    (f.form.*viewCommands[view])();
    QStringList shown;
    for (GridWindow* w : f.windows()) {
        shown << w->windowTitle();
        QCOMPARE(w->objectName(), QString("frm_movement"));
        QVERIFY(w->isVisible());
    }
    QCOMPARE(shown, captions);
}

void GridViewsTest::menuStatesWhileOpenAndAfterOneWindowCloses()
{
    Fixture f;
    QVERIFY(f.pimEnabled());
    QVERIFY(!f.constraintsShown());
    f.form.viewSurvival();
    QVERIFY(!f.pimEnabled());
    QVERIFY(f.constraintsShown());
    QVERIFY(f.form.lbl_pim->isVisibleTo(&f.form));
    QCOMPARE(f.form.lbl_pim->text(), QString(" - Hold shift key and click to select pim for design matrix."));
    f.windows().at(1)->close();
    QVERIFY(f.pimEnabled());
    QVERIFY(!f.constraintsShown());
    QVERIFY(!f.form.lbl_pim->isVisibleTo(&f.form));
    QCOMPARE(f.windows().size(), 1);  // the other window stays open and working
}

void GridViewsTest::twoViewsOpenAtOnceWriteBackIntoTheirOwnCells()
{
    Fixture f;
    f.form.viewSurvival();
    f.form.viewMovement();
    const QList<GridWindow*> open = f.windows();
    QCOMPARE(open.size(), 8);
    GridWindow* survival2 = open.at(1);    // group 2: cell 37 first
    GridWindow* movementB2 = open.at(6);   // group 2 from B: cell 40 first
    survival2->typeText(0, "500");
    movementB2->typeText(0, "600");
    survival2->close();
    QCOMPARE(f.form.model().pim[37], 500);
    QCOMPARE(f.form.model().pim[40], 40);
    movementB2->close();
    QCOMPARE(f.form.model().pim[40], 600);
    QCOMPARE(f.form.model().pim[1], 1);
    QCOMPARE(f.form.model().unsaved, 1);
}

void GridViewsTest::closedWindowWritesBackOnlyOnce()
{
    Fixture f;
    f.form.viewSurvival();
    GridWindow* first = f.windows().at(0);
    first->typeText(0, "9");
    first->close();
    QCOMPARE(f.form.model().pim[1], 9);
    f.form.model().pim[1] = 1;  // a later change of the model
    f.form.closeGridWindows(Form1::WriteBack::Yes);
    QCOMPARE(f.form.model().pim[1], 1);
}

void GridViewsTest::closeGridWindowsWithAndWithoutWriteBack()
{
    for (Form1::WriteBack writeBack : {Form1::WriteBack::Yes, Form1::WriteBack::No}) {
        Fixture f;
        f.form.viewOpenCapture();
        f.windows().at(0)->typeText(0, "3");
        f.form.closeGridWindows(writeBack);
        QVERIFY(f.windows().isEmpty());
        QVERIFY(f.pimEnabled());
        QCOMPARE(f.form.model().pim[73], writeBack == Form1::WriteBack::Yes ? 3 : 73);
        QCOMPARE(f.form.model().unsaved, writeBack == Form1::WriteBack::Yes ? 1 : 0);
    }
}

void GridViewsTest::outOfRangeNumbersKeepOldValuesWithOneMessage()
{
    Fixture f;
    f.form.viewClosedCapture();
    GridWindow* window = f.windows().at(0);
    window->typeText(0, "99999");
    window->typeText(1, "-40000");
    window->typeText(2, "2.5");
    window->close();
    QCOMPARE(f.scripted.dialogs.messages(),
             QStringList{"Cells 85, 86 read a number outside -32768..32767 and keep their old parameter numbers."});
    QCOMPARE(f.form.model().pim[85], 85);
    QCOMPARE(f.form.model().pim[86], 86);
    QCOMPARE(f.form.model().pim[87], 2);
}

void GridViewsTest::designMatrixCollectsMarksAndClosesEveryWindow()
{
    Fixture f;
    f.form.viewSurvival();
    QList<GridWindow*> open = f.windows();
    open.at(1)->toggleMark(1);
    open.at(0)->toggleMark(2);
    open.at(0)->toggleMark(0);
    open.at(1)->typeText(1, "321");
    std::vector<QPointer<GridWindow>> order{open.at(0), open.at(1)};
    // Window order first, then grid order, each through the window's own cell map.
    QCOMPARE(markedModelCells(order), (std::vector<int>{1, 5, 46}));
    open.at(0)->menu_dm->trigger();
    QVERIFY(f.windows().isEmpty());
    QCOMPARE(f.form.model().pim[46], 321);  // written back before the design matrix reads it
    QVERIFY(f.pimEnabled());
}

void GridViewsTest::textChangeWhileViewOpenDisablesDesignMatrix()
{
    Fixture f;
    f.form.viewSurvival();
    QList<GridWindow*> open = f.windows();
    QVERIFY(open.at(0)->menu_dm->isEnabled());  // filling the window does not disable it
    open.at(0)->typeText(0, "4");
    QVERIFY(!open.at(0)->menu_dm->isEnabled());
    QVERIFY(open.at(1)->menu_dm->isEnabled());
    open.at(0)->close();  // enables Pim: later edits elsewhere leave Design Matrix alone
    open.at(1)->typeText(0, "4");
    QVERIFY(open.at(1)->menu_dm->isEnabled());
}

void GridViewsTest::undoRedoOfACommandBeforeWriteBack()
{
    Fixture f;
    f.form.viewMovement();
    GridWindow* window = f.windows().at(0);
    window->menu_constant->trigger();
    window->menu_undo->trigger();
    window->menu_redo->trigger();
    window->menu_undo->trigger();
    const std::vector<std::string> built = window->layout().builtTexts;
    QCOMPARE(window->grid().texts, built);
    window->close();
    QCOMPARE(f.form.model().pim[2], 2);
    QCOMPARE(f.form.model().pim[3], 3);
    QCOMPARE(f.form.model().unsaved, 0);  // nothing changed, nothing to save
}

void GridViewsTest::brokenModelShowsAMessageAndOpensNothing()
{
    Fixture f;
    f.form.model().npar = 100;
    createCellArrays(f.form.model());
    f.form.viewClosedCapture();
    QVERIFY(f.windows().isEmpty());
    QVERIFY(f.pimEnabled());
    QCOMPARE(f.scripted.dialogs.messages(),
             QStringList{"The view needs cell 101, but the model has only 100 cells (NPAR)."});
}

TW_GUI_TEST(GridViewsTest)
#include "grid_views_test.moc"
