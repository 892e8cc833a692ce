// Editing without losing work, driven through the windows as a user would: a view opened
// again, a design matrix built again, fixings typed in the list; and windows left open
// while the main window's commands run, which must never write an old view into a model
// saved or replaced meanwhile.
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <functional>

#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

QStringList titles(const QList<GridWindow*>& windows)
{
    QStringList list;
    for (const GridWindow* w : windows)
        list << w->windowTitle();
    return list;
}

// One main window in its own current directory (saves write fixed names there).
struct Stale : InTempDir, MainSession {};

enum class Window { Grid, Design };

struct CommandCase {
    const char* name;
    Window window;
    bool reader;  // the reference run never edits: a reader drops what the window holds
    std::function<void(Stale&)> run;
};

const std::vector<CommandCase>& commandCases()
{
    static const std::vector<CommandCase> cases = {
        {"save with a design window", Window::Design, false,
         [](Stale& s) {
             s.answerFile(QString("out.inp"));
             s.form.savePims();
         }},
        {"save with a grid window", Window::Grid, false,
         [](Stale& s) {
             s.answerFile(QString("out.inp"));
             s.form.savePims();
         }},
        {"read constraints file", Window::Grid, true,
         [](Stale& s) {
             s.dialogs.okCancelAnswers.enqueue(true);  // drop the edit the window holds
             s.answerFile(kModel1);
             s.form.getConstraintsFile();
         }},
    };
    return cases;
}

// Leaves the window open holding one edit the model has not seen yet.
void editInWindow(Stale& s, Window window)
{
    if (window == Window::Grid) {
        s.form.viewSurvival();
        QVERIFY(!s.grids().isEmpty());
        s.grids().first()->typeText(0, "7");
        return;
    }
    s.form.openDesignMatrix({1});
    Form2* form = s.design();
    QVERIFY(form);
    QVERIFY(typeInto(form->view(), 0, form->view()->model()->columnCount() - 1, "0.25"));
}

void closeByHand(Stale& s, Window window)
{
    if (window == Window::Grid) {
        for (GridWindow* w : s.grids())
            w->close();
        return;
    }
    trigger(s.design(), "menu_close");
    QVERIFY(s.design()->isHidden());
}

}  // namespace

class EditingTest : public QObject {
    Q_OBJECT

private slots:
    void viewOpenedAgainWritesBackAndKeepsOneWindowPerGroup()
    {
        Example s;
        trigger(&s.form, "menu_surv");
        s.window("Survival - group 1")->close();
        trigger(&s.form, "menu_surv");
        QCOMPARE(titles(s.grids()), (QStringList{"Survival - group 1", "Survival - group 2"}));
        GridWindow* group2 = s.window("Survival - group 2");
        const int cell = group2->cellmap()[0];
        QVERIFY(typeInto(group2->table(), 0, 0, "55"));
        group2->close();
        for (GridWindow* w : s.grids())
            w->close();
        QCOMPARE(s.model().pim[std::size_t(cell)], 55);
    }

    void designMatrixBuiltAgainFirstClosesTheOpenOneAsItsCloseBox_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("stored");  // the typed 0.7 reached the model
        QTest::addColumn<bool>("rebuilt");
        QTest::newRow("Yes") << int(Dialogs::Choice::Yes) << true << true;
        QTest::newRow("No") << int(Dialogs::Choice::No) << false << true;
        QTest::newRow("Cancel") << int(Dialogs::Choice::Cancel) << false << false;
    }
    void designMatrixBuiltAgainFirstClosesTheOpenOneAsItsCloseBox()
    {
        QFETCH(int, answer);
        Example s;
        trigger(&s.form, "menu_surv");
        clickCell(*s.window("Survival - group 1"), 0);
        const int cell = s.window("Survival - group 1")->cellmap()[0];
        trigger(s.window("Survival - group 1"), "menu_dm");
        Form2* design = s.design();
        QVERIFY(design && design->isVisible());
        const int column = design->view()->model()->headerData(0, Qt::Horizontal).toString().mid(1).toInt();
        const int parameter = s.model().pim[std::size_t(cell)];
        const double before = s.model().dm.get(parameter, column);
        QVERIFY(typeInto(design->view(), 0, 0, "0.7"));

        trigger(&s.form, "menu_surv");
        clickCell(*s.window("Survival - group 2"), 0);
        clickCell(*s.window("Survival - group 2"), 1);
        s.dialogs.asked.clear();
        s.dialogs.choiceAnswers.enqueue(Dialogs::Choice(answer));
        trigger(s.window("Survival - group 2"), "menu_dm");

        QCOMPARE(askedTexts(s.dialogs), QStringList{"Keep the design-matrix entries you typed?"});
        QFETCH(bool, stored);
        QCOMPARE(s.model().dm.get(parameter, column), stored ? 0.7 : before);
        QVERIFY(design->isVisible());
        QTEST(s.grids().isEmpty(), "rebuilt");
        QTEST(design->view()->model()->rowCount() == 2, "rebuilt");
    }

    // The list follows the cells a grid write-back fixes (the session's rule): List1 is told,
    // and the editor's earlier steps are no longer undone over the changed list.
    void gridWriteBackThatFixesACellUpdatesTheList()
    {
        Example s;
        trigger(&s.form, "menu_fixed");
        QTest::keyClicks(s.child<QLineEdit>("Text2"), "S(2)=.5;");
        QTest::mouseClick(s.child<QPushButton>("cmd_add"), Qt::LeftButton);
        QVERIFY(s.enabled("menu_undo"));
        GridWindow* window = s.open(&Form1::viewMovement, 0);
        window->typeText(0, "=0.3");
        QSignalSpy reset(s.form.fixedListModel(), &QAbstractItemModel::modelReset);
        window->close();
        QCOMPARE(reset.size(), 1);
        QCOMPARE(s.listed().size(), 16 + 2);
        QVERIFY(!s.enabled("menu_undo"));
    }

    // Each command runs twice: with a window still open holding an edit, and after the user
    // closed it by hand (for a reader, without any edit); both must end with the same model
    // and no window left to write later. The session asks every command's windows alike (its
    // tests); the rows cover a save with either window kind and a reader, which asks before
    // replacing a saved model whose only change is the window's edit.
    void commandLeavesNoWindowToWriteLater_data()
    {
        QTest::addColumn<int>("command");
        for (std::size_t i = 0; i < commandCases().size(); ++i)
            QTest::addRow("%s", commandCases()[i].name) << int(i);
    }
    void commandLeavesNoWindowToWriteLater()
    {
        QFETCH(int, command);
        const CommandCase& c = commandCases()[static_cast<std::size_t>(command)];
        const Window kind = c.window;

        Stale reference;
        QVERIFY(reference.form.openPimFile(kExample));
        if (!c.reader) {
            editInWindow(reference, kind);
            closeByHand(reference, kind);
        }
        c.run(reference);

        Stale open;
        QVERIFY(open.form.openPimFile(kExample));
        editInWindow(open, kind);
        c.run(open);

        QVERIFY(open.grids().isEmpty());
        if (Form2* form = open.design()) {
            QVERIFY(form->isHidden());
            QCOMPARE(form->view()->model()->rowCount(), 0);  // nothing left for a later Close
        }
        QCOMPARE(open.model().pim, reference.model().pim);
        QCOMPARE(open.model().dm.entries(), reference.model().dm.entries());
        QVERIFY(open.model() == reference.model());
        QCOMPARE(open.dialogs.messages(), reference.dialogs.messages());
        QCOMPARE(askedTexts(open.dialogs).contains("The model has unsaved changes. Replace it?"), c.reader);
    }

    // A design entry that is no number stops a save: the file is not written without it.
    void refusedDesignEntryStopsTheSave()
    {
        Stale s;
        QVERIFY(s.form.openPimFile(kExample));
        s.form.viewSurvival();
        s.form.openDesignMatrix({1});
        Form2* form = s.design();
        QVERIFY(form);
        QVERIFY(form->itemModel()->setData(form->itemModel()->index(0, 0), "abc"));
        s.answerFile(QString("out.inp"));
        s.form.savePims();
        QCOMPARE(s.dialogs.messages(),
                 QStringList{"The entry \"abc\" in row \"1 \u00b7 Survival g1 a1 s1 t1\" under B1 is not a number."});
        QVERIFY(form->isVisible());  // still open, the entry to mend selected
        QVERIFY(!QFile::exists("out.inp"));
        QCOMPARE(s.grids().size(), 2);  // the command stopped before touching the grids
    }

    // Quit asks for an edit the design window holds (a grid's shows in the title's mark).
    void editHeldInTheDesignWindowCountsAsUnsaved()
    {
        Stale s;
        QVERIFY(s.form.openPimFile(kExample));
        editInWindow(s, Window::Design);
        s.design()->view()->setCurrentIndex(QModelIndex());  // leaving the cell commits the typed entry
        s.dialogs.okCancelAnswers.enqueue(false);
        s.form.quit();
        QCOMPARE(askedTexts(s.dialogs),
                 QStringList{"You haven't saved the file! Are you sure you really really really want to quit?"});
        QCOMPARE(s.exits, 0);
    }
};

TW_GUI_TEST(EditingTest)
#include "editing_test.moc"
