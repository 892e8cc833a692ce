// Windows left open over a model while the main window's commands run: the grid
// windows and the design-matrix window must never write an old view into a model that
// was saved, renumbered, converted or replaced meanwhile. Each command is run twice:
// once with a window still open (holding an edit) and once after the user closed it
// by hand (or, for a reader, without any edit); both runs must end with the same model
// and no window left to write later. The session asks every command's windows alike
// (its tests); these rows cover the window kinds, a save of each form, a run and both
// readers.
#include <functional>

#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

// One main window in its own current directory (saves write fixed names there).
struct Stale : InTempDir, MainSession {
    Stale()
    {
        scripted.install.registered = kBin + "tallowick2";
        form.updateInstallDirectory();
        scripted.processes.fake = [](const ProcessRequest&) { return ProcessResult{}; };  // never starts
    }
};

enum class Start { Example, Model1 };
enum class Window { Grid, Design };

struct CommandCase {
    const char* name;
    Start start;
    Window window;
    bool reader;  // the reference run never edits: a reader drops what the window holds
    std::function<void(Stale&)> run;
};

const std::vector<CommandCase>& commandCases()
{
    static const std::vector<CommandCase> cases = {
        {"save with PIMs", Start::Example, Window::Design, false,
         [](Stale& s) {
             s.answerFile(QString("out.inp"));
             s.form.savePims();
         }},
        {"save constraints", Start::Model1, Window::Grid, false,
         [](Stale& s) {
             s.answerFile(QString("QUARLET.OUT"));
             s.form.saveConstraints();
         }},
        {"per-period run", Start::Example, Window::Grid, false,
         [](Stale& s) {
             s.answerFile(kPeriods);
             s.form.runEachPeriod();
         }},
        {"read PIM file", Start::Example, Window::Design, true,
         [](Stale& s) {
             s.dialogs.okCancelAnswers.enqueue(true);  // drop the edit the window holds
             QVERIFY(s.form.openPimFile(kExample));
         }},
        {"read constraints file", Start::Model1, Window::Grid, true,
         [](Stale& s) {
             s.dialogs.okCancelAnswers.enqueue(true);  // replace the unsaved model and the edit
             s.answerFile(kModel1);
             s.form.getConstraintsFile();
         }},
    };
    return cases;
}

void start(Stale& s, Start from)
{
    if (from == Start::Example) {
        QVERIFY(s.form.openPimFile(kExample));
        return;
    }
    s.answerFile(kModel1);
    s.form.getConstraintsFile();
    QCOMPARE(s.model().npar, 10);
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
    if (form->view()->model()->columnCount() == 0)
        form->addColumn();  // a model without design entries shows no column
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

class StaleWindowsTest : public QObject {
    Q_OBJECT

private slots:
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
        start(reference, c.start);
        if (!c.reader) {
            editInWindow(reference, kind);
            closeByHand(reference, kind);
        }
        c.run(reference);

        Stale open;
        start(open, c.start);
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
    }

    void refusedDesignEntryStopsTheSave()
    {
        Stale s;
        start(s, Start::Example);
        s.form.viewSurvival();
        s.form.openDesignMatrix({1});
        Form2* form = s.design();
        QVERIFY(form);
        QVERIFY(form->itemModel()->setData(form->itemModel()->index(0, 0), "abc"));
        s.answerFile(QString("out.inp"));
        s.form.savePims();
        QCOMPARE(s.dialogs.messages(), QStringList{"The entry \"abc\" in row \"1 \u00b7 Survival g1 a1 s1 t1\" under B1 is not a number."});
        QVERIFY(form->isVisible());  // still open, the entry to mend selected
        QVERIFY(!QFile::exists("out.inp"));
        QCOMPARE(s.grids().size(), 2);  // the command stopped before touching the grids
    }

    void editHeldInAWindowCountsAsUnsaved_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<bool>("replace");
        QTest::newRow("grid, cancelled") << int(Window::Grid) << false;
        QTest::newRow("design, replaced") << int(Window::Design) << true;
    }
    void editHeldInAWindowCountsAsUnsaved()
    {
        QFETCH(int, window);
        QFETCH(bool, replace);
        Stale s;
        start(s, Start::Example);
        editInWindow(s, Window(window));
        if (Window(window) == Window::Design) {
            s.design()->view()->setCurrentIndex(QModelIndex());  // leaving the cell commits the typed entry
            QVERIFY(s.design()->table().hasEdits());
        }
        QVERIFY(!s.model().unsaved);

        s.dialogs.okCancelAnswers.enqueue(false);
        s.form.quit();
        s.dialogs.okCancelAnswers.enqueue(replace);
        QCOMPARE(s.form.openPimFile(kExample), replace);
        QStringList questions;
        for (const ScriptedDialogs::Asked& asked : s.dialogs.asked)
            questions << asked.text;
        QCOMPARE(questions, QStringList({"You haven't saved the file! Are you sure you really really really want to quit?",
                                         "The model has unsaved changes. Replace it?"}));
        QCOMPARE(s.exits, 0);
        const bool stillOpen = Window(window) == Window::Grid ? !s.grids().isEmpty() : s.design()->isVisible();
        QCOMPARE(stillOpen, !replace);
    }
};

TW_GUI_TEST(StaleWindowsTest)
#include "stale_windows_test.moc"
