// The main window's own controls: the Window menu, the close box, the fixed-parameter list
// editor driven through List1, Text2 and Done, the title with the file name and the modified
// mark, and the recent-models list. The commands' own rules (questions, "No file selected",
// availability, file dialogs) are the session's.
#include <QAbstractItemModelTester>

#include "app/keyboard.h"
#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

const QString kSites = TW_SOURCE_DIR "/examples/sites.inp";

struct TitleStep {
    const char* name;
    std::function<void(MainSession&, InTempDir&)> run;
    QString title;
    bool modified;
};

// The items a menu of the main window offers, as shown, after it was opened.
QStringList offered(MainSession& s, const char* menuName)
{
    auto* menu = s.child<QMenu>(menuName);
    emit menu->aboutToShow();
    QStringList items;
    for (const QAction* item : menu->actions())
        if (item->isEnabled())
            items << shownCaption(item->text());
    return items;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void windowMenuListsWindowsInTheOrderOpened()
    {
        InTempDir dir;
        MainSession s;
        s.answerFile(kModel1);
        s.form.getConstraintsFile();
        s.action("menu_chart")->trigger();
        s.action("menu_surv")->trigger();
        QCOMPARE(offered(s, "menu_window"), QStringList({"PIM chart", "Survival - group 1"}));
    }

    // Closing the window asks Quit's question, and only when work would be lost.
    void closeBoxAsksOnlyWhenUnsaved()
    {
        const struct {
            bool unsaved;
            bool answer;
            int exits;
        } cases[] = {{false, false, 1}, {true, false, 0}, {true, true, 1}};
        for (const auto& c : cases) {
            MainSession s;
            s.form.show();
            s.model().unsaved = c.unsaved;
            s.dialogs.okCancelAnswers.enqueue(c.answer);
            QCOMPARE(s.form.close(), c.exits == 1);
            QCOMPARE(s.form.isVisible(), c.exits == 0);
            QCOMPARE(s.exits, c.exits);
            QCOMPARE(s.dialogs.asked.size(), c.unsaved ? 1 : 0);
        }
    }

    // The entry double-clicked is the one Text2 edits; "Done" gives the list to the model
    // and hides the editor.
    void listEditorEditsTheDoubleClickedEntryAndDoneGivesItToTheModel()
    {
        MainSession s;
        QAbstractItemModelTester tester(s.form.fixedListModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        s.model().npar = 10;
        createCellArrays(s.model());
        for (int cell = 3; cell <= 5; ++cell) {
            s.model().pim[std::size_t(cell)] = fixedMarker(s.model().pim[std::size_t(cell)]);
            s.model().initval[std::size_t(cell)] = 0.2 + 0.1 * cell;
            s.model().fixedlist.push_back(QString("S(%1)=.%2;").arg(cell).arg(cell + 2).toStdString());
        }
        s.form.session().setFixedList(FixedList(s.model().fixedlist));
        s.form.fixedListModel()->reload();
        s.action("menu_fixed")->trigger();
        auto* list = s.child<QListView>("List1");
        list->setCurrentIndex(list->model()->index(2, 0));
        emit list->doubleClicked(list->model()->index(2, 0));
        QTest::keyClick(s.child<QLineEdit>("Text2"), Qt::Key_Backspace);
        QTest::keyClicks(s.child<QLineEdit>("Text2"), "5");
        QTest::mouseClick(s.child<QPushButton>("cmd_done"), Qt::LeftButton);
        const QStringList edited{"S(3)=.5;", "S(4)=.6;", "S(5)=.75"};
        QStringList model;
        for (const std::string& entry : s.model().fixedlist)
            model << QString::fromStdString(entry);
        QCOMPARE(model, edited);
        QCOMPARE(s.listed(), edited);
        QVERIFY(!s.child("Text2")->isVisibleTo(&s.form));
    }

    void titleNamesTheFileAndMarksUnsavedWork()
    {
        const QString dash = QString::fromUtf8(" \u2014 Tallowick2");
        const TitleStep steps[] = {
            {"read", [](MainSession& s, InTempDir&) { QVERIFY(s.form.openPimFile(kExample)); },
             "example.inp[*]" + dash, false},
            {"typed in a grid",
             [](MainSession& s, InTempDir&) {
                 s.form.viewSurvival();
                 s.grids().at(0)->typeText(0, "77");
             },
             "example.inp[*]" + dash, true},
            {"saved under another name",
             [](MainSession& s, InTempDir& dir) {
                 s.answerFile(dir.path("copy.inp"));
                 s.action("menu_savepims")->trigger();
             },
             "copy.inp[*]" + dash, false},
            {"fixed list edited",
             [](MainSession& s, InTempDir&) {
                 s.action("menu_fixed")->trigger();
                 QTest::keyClicks(s.child<QLineEdit>("Text2"), "S(2)=.5;");
                 QTest::mouseClick(s.child<QPushButton>("cmd_add"), Qt::LeftButton);
             },
             "copy.inp[*]" + dash, true},
        };
        InTempDir dir;
        MainSession s;
        for (const TitleStep& step : steps) {
            step.run(s, dir);
            QVERIFY2(s.form.windowTitle() == step.title, step.name);
            QVERIFY2(s.form.isWindowModified() == step.modified, step.name);
        }
    }

    void recentModelsOpenWithTheReaderOfTheirForm()
    {
        InTempDir dir;
        MainSession s;
        QVERIFY(s.form.openPimFile(kExample));
        QVERIFY(s.form.openModelFile(kSites));

        // Another run of the program finds the list in its settings.
        MainSession later;
        later.scripted.settings.stored = s.scripted.settings.stored;
        QCOMPARE(offered(later, "menu_recent"),
                 QStringList({"1 sites.inp (constraints form)", "2 example.inp (PIM form)"}));
        later.action("menu_recent_2")->trigger();
        QCOMPARE(QString::fromStdString(later.model().modelform), QString("pim"));
        offered(later, "menu_recent");
        later.action("menu_recent_2")->trigger();
        QCOMPARE(QString::fromStdString(later.model().modelform), QString("constraints"));
        QVERIFY(later.dialogs.messages().isEmpty());
    }

    void aRecentModelThatIsGoneSaysSoAndLeavesTheList()
    {
        MainSession s;
        s.scripted.settings.stored["RecentModels"] = QStringList{"pim:/no/such/folder/m.inp", "pim:" + kExample};
        offered(s, "menu_recent");
        s.action("menu_recent_1")->trigger();
        QCOMPARE(s.dialogs.messages(),
                 QStringList{"/no/such/folder/m.inp no longer exists; it was moved or deleted. It is taken off the "
                             "list of recent models; open it from where it is now with the File menu."});
        QCOMPARE(offered(s, "menu_recent"), QStringList{"1 example.inp (PIM form)"});
        QVERIFY(!s.model().loaded());
    }

    // Reading a model with the command of the other form: the PIM reader's refusal did
    // not say which command reads the file, and the constraints reader took a file in PIM
    // form without a word, every cell a parameter of its own.
    void aFileOfTheOtherFormSaysWhichCommandReadsIt()
    {
        const struct {
            const char* command;
            QString file;
            bool read;
            QString message;  // the last message shown, a warning
        } cases[] = {
            {"menu_getpim", kSites, false,
             kSites + ", line 100: the file ends before the PIM section.\nThe file holds its model as constraints: "
                      "read it with \"Get input file w/ constraints\" (Ctrl+Shift+O)."},
            {"menu_get", kExample, true,
             "example.inp holds its model as PIMs, which \"Get input file w/ constraints\" (Ctrl+Shift+O) leaves "
             "out: every cell became a parameter of its own. To keep its PIMs, read it with \"Get input file w/ "
             "PIM's\" (Ctrl+O)."},
        };
        for (const auto& c : cases) {
            InTempDir dir;
            MainSession s;
            s.answerFile(c.file);
            s.action(c.command)->trigger();
            QCOMPARE(s.model().loaded(), c.read);
            QVERIFY(!s.dialogs.messages().isEmpty());
            QCOMPARE(s.dialogs.messages().last(), c.message);
            QCOMPARE(s.dialogs.severities().last(), Severity::Warning);
        }
    }
};

TW_GUI_TEST(MainWindowTest)
#include "mainwindow_test.moc"
