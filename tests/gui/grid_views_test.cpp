// The view commands of the main window: the grid windows they open, the menu states
// while they are open, write-back on closing and the way into the design matrix.
#include <QPointer>

#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

// Two groups, two age classes, three strata, three primary periods of two occasions:
// survival and movement cells 1..72, open capture 73..84, closed capture 85..120.
struct Views : Session {
    Views() { model() = periodModel(2, 2, 3, 3); }
    bool pimEnabled() const { return form.menu_pim->menuAction()->isEnabled(); }
};

using ViewSlot = void (Form1::*)();

}  // namespace

class GridViewsTest : public QObject {
    Q_OBJECT

private slots:
    void windowCountsAndCaptions_data()
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
    void windowCountsAndCaptions()
    {
        QFETCH(int, view);
        const ViewSlot commands[] = {&Form1::viewSurvival, &Form1::viewOpenCapture, &Form1::viewClosedCapture,
                                     &Form1::viewMovement};
        Views f;
        (f.form.*commands[view])();
        QStringList shown;
        for (GridWindow* w : f.grids()) {
            shown << w->windowTitle();
            QCOMPARE(w->objectName(), QString("frm_movement"));
            QVERIFY(w->isVisible());
        }
        QTEST(shown, "captions");
    }

    void menuStatesWhileOpenAndAfterOneWindowCloses()
    {
        Views f;
        auto states = [&f] {
            return QList<bool>{f.pimEnabled(), f.form.menu_cons->menuAction()->isVisible(),
                               f.form.lbl_pim->isVisibleTo(&f.form)};
        };
        QCOMPARE(states(), (QList<bool>{true, false, false}));
        f.form.viewSurvival();
        QCOMPARE(states(), (QList<bool>{false, true, true}));
        QCOMPARE(f.form.lbl_pim->text(), QString(" - Hold shift key and click to select pim for design matrix."));
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
        survival2->typeText(0, "500");
        movementB2->typeText(0, "600");
        survival2->close();
        QCOMPARE(f.model().pim[37], 500);
        QCOMPARE(f.model().pim[40], 40);
        movementB2->close();
        QCOMPARE(f.model().pim[40], 600);
        QCOMPARE(f.model().pim[1], 1);
        QCOMPARE(f.model().unsaved, 1);
    }

    void closedWindowWritesBackOnlyOnce()
    {
        Views f;
        f.form.viewSurvival();
        f.grids().at(0)->typeText(0, "9");
        f.grids().at(0)->close();
        QCOMPARE(f.model().pim[1], 9);
        f.model().pim[1] = 1;  // a later change of the model
        f.form.closeGridWindows(Form1::WriteBack::Yes);
        QCOMPARE(f.model().pim[1], 1);
    }

    void closeGridWindowsWritesBackOnlyWhenAsked_data()
    {
        QTest::addColumn<bool>("writeBack");
        QTest::newRow("write back") << true;
        QTest::newRow("drop") << false;
    }
    void closeGridWindowsWritesBackOnlyWhenAsked()
    {
        QFETCH(bool, writeBack);
        Views f;
        f.form.viewOpenCapture();
        f.grids().at(0)->typeText(0, "3");
        f.form.closeGridWindows(writeBack ? Form1::WriteBack::Yes : Form1::WriteBack::No);
        QVERIFY(f.grids().isEmpty());
        QVERIFY(f.pimEnabled());
        QCOMPARE(f.model().pim[73], writeBack ? 3 : 73);
        QCOMPARE(f.model().unsaved, writeBack ? 1 : 0);
    }

    void outOfRangeNumbersKeepOldValuesWithOneMessage()
    {
        Views f;
        f.form.viewClosedCapture();
        GridWindow* window = f.grids().at(0);
        window->typeText(0, "99999");
        window->typeText(1, "-40000");
        window->typeText(2, "2.5");
        window->close();
        QCOMPARE(f.dialogs.messages(),
                 QStringList{"Cells 85, 86 read a number outside -32768..32767 and keep their old parameter numbers."});
        QCOMPARE(f.model().pim[85], 85);
        QCOMPARE(f.model().pim[86], 86);
        QCOMPARE(f.model().pim[87], 2);
    }

    void designMatrixCollectsMarksAndClosesEveryWindow()
    {
        Views f;
        f.form.viewSurvival();
        QList<GridWindow*> open = f.grids();
        open.at(1)->toggleMark(1);
        open.at(0)->toggleMark(2);
        open.at(0)->toggleMark(0);
        open.at(1)->typeText(1, "321");
        // Window order first, then grid order, each through the window's own cell map.
        QCOMPARE(markedModelCells({open.at(0), open.at(1)}), (std::vector<int>{1, 5, 46}));
        open.at(0)->menu_dm->trigger();
        QVERIFY(f.grids().isEmpty());
        QCOMPARE(f.model().pim[46], 321);  // written back before the design matrix reads it
        QVERIFY(f.pimEnabled());
    }

    void textChangeWhileViewOpenDisablesDesignMatrix()
    {
        Views f;
        f.form.viewSurvival();
        QList<GridWindow*> open = f.grids();
        QVERIFY(open.at(0)->menu_dm->isEnabled());  // filling the window does not disable it
        open.at(0)->typeText(0, "4");
        QVERIFY(!open.at(0)->menu_dm->isEnabled());
        QVERIFY(open.at(1)->menu_dm->isEnabled());
        open.at(0)->close();  // enables Pim: later edits elsewhere leave Design Matrix alone
        open.at(1)->typeText(0, "4");
        QVERIFY(open.at(1)->menu_dm->isEnabled());
    }

    void undoneCommandWritesNothingBack()
    {
        Views f;
        f.form.viewMovement();
        GridWindow* window = f.grids().at(0);
        window->menu_constant->trigger();
        window->menu_undo->trigger();
        window->menu_redo->trigger();
        window->menu_undo->trigger();
        QCOMPARE(window->grid().texts, window->layout().builtTexts);
        window->close();
        QCOMPARE(f.model().pim[2], 2);
        QCOMPARE(f.model().unsaved, 0);  // nothing changed, nothing to save
    }

    void brokenModelShowsAMessageAndOpensNothing()
    {
        Views f;
        f.model().npar = 100;
        createCellArrays(f.model());
        f.form.viewClosedCapture();
        QVERIFY(f.grids().isEmpty());
        QVERIFY(f.pimEnabled());
        QCOMPARE(f.dialogs.messages(),
                 QStringList{"The view needs cell 101, but the model has only 100 cells (NPAR)."});
    }
};

TW_GUI_TEST(GridViewsTest)
#include "grid_views_test.moc"
