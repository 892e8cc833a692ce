// The main window's own controls: every menu item's command, Quit, the fixed-parameter
// list editor driven through List1, Text2 and its buttons, the dimensions label, the title
// with the file name and the modified mark, the recent-models list and a dropped file. The
// commands' own rules (questions, "No file selected", availability) are the session's.
#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QUrl>

#include "app/keyboard.h"
#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

const QString kSites = TW_SOURCE_DIR "/examples/sites.inp";

// What a menu item did: the dialogs it asked (a file dialog by its title and the name it
// proposes, a question by its text, a message by its title), whether it showed the list
// editor, the status it left and the windows the Window menu lists.
QStringList effectOf(MainSession& s, const char* item)
{
    const QString status = s.child<QLabel>("lbl_status")->text();
    const bool listShown = s.child("List1")->isVisibleTo(&s.form);
    s.dialogs.asked.clear();
    s.action(item)->trigger();
    QStringList effect;
    for (const ScriptedDialogs::Asked& asked : s.dialogs.asked) {
        const bool file = asked.kind == "open" || asked.kind == "save";
        const QString shown = asked.kind == "okCancel" ? asked.text : asked.title;
        effect << asked.kind + ": " + (file ? asked.title + ", " + asked.text : shown);
    }
    if (s.child("List1")->isVisibleTo(&s.form) != listShown)
        effect << "list editor shown";
    if (s.child<QLabel>("lbl_status")->text() != status)
        effect << "status: " + s.child<QLabel>("lbl_status")->text();
    auto* windows = s.child<QMenu>("menu_window");
    emit windows->aboutToShow();
    for (const QAction* window : windows->actions())
        if (window->isEnabled())
            effect << "window: " + window->text();
    return effect;
}

// Runs one step of a list-editor script: "fixed" (the menu), "select N", "modify",
// "add", "delete", "double N", "type TEXT", "backspace", "done", "undo", "redo".
void step(MainSession& s, const QString& line)
{
    const QString word = line.section(' ', 0, 0);
    const QString rest = line.section(' ', 1);
    auto* list = s.child<QListView>("List1");
    auto* field = s.child<QLineEdit>("Text2");
    const std::map<QString, const char*> buttons = {
        {"modify", "cmd_modify"}, {"add", "cmd_add"}, {"delete", "cmd_delete"}, {"done", "cmd_done"}};
    const std::map<QString, const char*> actions = {
        {"fixed", "menu_fixed"}, {"undo", "menu_undo"}, {"redo", "menu_redo"}};
    if (buttons.count(word))
        QTest::mouseClick(s.child<QPushButton>(buttons.at(word)), Qt::LeftButton);
    else if (actions.count(word))
        s.action(actions.at(word))->trigger();
    else if (word == "select")
        list->setCurrentIndex(list->model()->index(rest.toInt(), 0));
    else if (word == "double")
        emit list->doubleClicked(list->model()->index(rest.toInt(), 0));
    else if (word == "type")
        QTest::keyClicks(field, rest);
    else if (word == "backspace")
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        QFAIL(qPrintable("unknown step " + line));
}

struct TitleStep {
    const char* name;
    std::function<void(MainSession&, InTempDir&)> run;
    QString title;
    bool modified;
};

// The items of the recent-models menu as shown, after it was opened.
QStringList recentItems(MainSession& s)
{
    auto* menu = s.form.findChild<QMenu*>("menu_recent");
    emit menu->aboutToShow();
    QStringList items;
    for (const QAction* item : menu->actions())
        items << shownCaption(item->text());
    return items;
}

// Sends a drag of the files over the window and, when the window takes it, the drop.
bool drop(MainSession& s, const QStringList& files)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files)
        urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&s.form, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&s.form, &dropped);
    return true;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    // On model1 read with constraints (unsaved: the read numbers it), every question
    // answered OK and every file dialog cancelled. The read shows the dimensions and the
    // file, and ends with the list editor hidden.
    void menuItemsRunTheirCommands_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QStringList>("effect");
        const QString replace = "okCancel: The model has unsaved changes. Replace it?";
        const std::pair<const char*, QStringList> rows[] = {
            {"menu_get", {replace, "open: CORVANE input file, *.*"}},
            {"menu_getpim", {replace, "open: PIM input file, *.*"}},
            {"menu_cnvtcons", {"open: CONSTRAINTs file, " + kModel1}},
            {"menu_save", {"save: save as, QUARLET.OUT"}},
            {"menu_savepims", {}},  // not available before the conversion
            {"menu_run", {"open: corvane input filename, quarlet.mss"}},
            {"menu_setengine",
             {QString::fromUtf8("open: CORVANE program \u2014 now /usr/local/bin/corvane, /usr/local/bin/corvane")}},
            {"menu_runsurv", {"open: CORVANE input file, *.*"}},
            {"menu_point", {"status: Numbered: 3 parameters, 2 fixed"}},
            {"menu_fixed", {"list editor shown"}},
            {"menu_surv", {"window: Survival - group 1"}},
            {"menu_openp", {"window: Open capture probabilities - group 1"}},
            {"menu_closedP", {"window: Closed capture probabilities - group 1"}},
            {"menu_move", {"window: movement A- . - group 1"}},
            {"menu_cnvcaph", {"window: Convert capture-history data to CORVANE input"}},
            {"menu_chart", {"window: PIM chart"}},
            {"menu_formulas", {"window: Model formulas"}},
            {"menu_about", {"message: About Tallowick2"}},
            {"menu_quit",
             {"okCancel: You haven't saved the file! Are you sure you really really really want to quit?"}},
        };
        for (const auto& [item, effect] : rows)
            QTest::newRow(item) << QString(item) << effect;
    }
    void menuItemsRunTheirCommands()
    {
        QFETCH(QString, item);
        InTempDir dir;
        MainSession s;
        s.answerFile(kModel1);
        s.form.getConstraintsFile();
        QCOMPARE(s.label(), QString("npar=10 nyrs=3 nstrat=1\nmodel1.inp"));
        QVERIFY(!s.child("lbl_start")->isVisibleTo(&s.form));
        QVERIFY(s.model().unsaved);
        for (int i = 0; i < 3; ++i)
            s.dialogs.okCancelAnswers.enqueue(true);
        QTEST(effectOf(s, qPrintable(item)), "effect");
        QCOMPARE(s.exits, item == "menu_quit" ? 1 : 0);
        // The model's file dialogs open in the folder read from and offer model files.
        for (const ScriptedDialogs::Asked& asked : s.dialogs.asked)
            if ((asked.kind == "open" || asked.kind == "save") && item != "menu_setengine") {
                QCOMPARE(asked.directory, QFileInfo(kModel1).absolutePath());
                QCOMPARE(asked.filters, QStringList({"Model files (*.inp *.mss *.con *.OUT)", "All files (*)"}));
                QVERIFY(asked.kind == "open" || asked.replace == Dialogs::Replace::CallerAsks);
            }
    }

    void windowMenuListsWindowsInTheOrderOpened()
    {
        InTempDir dir;
        MainSession s;
        s.answerFile(kModel1);
        s.form.getConstraintsFile();
        effectOf(s, "menu_chart");
        QCOMPARE(effectOf(s, "menu_surv"), QStringList({"window: PIM chart", "window: Survival - group 1"}));
    }

    // The menu item shares the question (the table above).
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

    void listEditorChangesTheModelsListAndUndoes_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("field");
        const QStringList start{"S(3)=.5;", "S(4)=.6;", "S(5)=.7;"};
        QTest::newRow("Done keeps the double-clicked entry's edit and hides the editor")
            << QStringList{"fixed", "select 2", "double 2", "backspace", "type 5", "done"}
            << QStringList{"S(3)=.5;", "S(4)=.6;", "S(5)=.75"} << "S(5)=.75";
        QTest::newRow("typing into one entry is one undo step")
            << QStringList{"fixed", "select 1", "modify", "type ab", "backspace", "undo"} << start << "S(4)=.6;a";
        QTest::newRow("Add and Delete undo and redo")
            << QStringList{"fixed", "type S(9)=1;", "add", "select 0", "delete", "undo", "undo", "redo"}
            << QStringList{"S(3)=.5;", "S(4)=.6;", "S(5)=.7;", "S(3)=.5;S(9)=1;"} << "";
    }
    void listEditorChangesTheModelsListAndUndoes()
    {
        QFETCH(QStringList, script);
        QFETCH(QStringList, list);
        MainSession s;
        QAbstractItemModelTester tester(s.form.fixedListModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        s.model().npar = 10;
        createCellArrays(s.model());
        const QStringList start{"S(3)=.5;", "S(4)=.6;", "S(5)=.7;"};
        for (int cell = 3; cell <= 5; ++cell) {
            s.model().pim[std::size_t(cell)] = fixedMarker(s.model().pim[std::size_t(cell)]);
            s.model().initval[std::size_t(cell)] = 0.2 + 0.1 * cell;
            s.model().fixedlist.push_back(start[cell - 3].toStdString());
        }
        s.form.session().setFixedList(FixedList(s.model().fixedlist));
        s.form.fixedListModel()->reload();
        for (const QString& line : script)
            step(s, line);
        // The model takes the list at "Done".
        const bool done = script.contains("done");
        QStringList model;
        for (const std::string& entry : s.model().fixedlist)
            model << QString::fromStdString(entry);
        QCOMPARE(model, done ? list : start);
        QCOMPARE(s.listed(), list);
        QTEST(s.child<QLineEdit>("Text2")->text(), "field");
        QCOMPARE(s.child("Text2")->isVisibleTo(&s.form), !done);
    }

    void titleNamesTheFileAndMarksUnsavedWork()
    {
        const QString dash = QString::fromUtf8(" \u2014 Tallowick2");
        const TitleStep steps[] = {
            {"start", [](MainSession&, InTempDir&) {}, "Tallowick2[*]", false},
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
        QCOMPARE(recentItems(s), QStringList{"(none yet)"});
        QVERIFY(s.form.openPimFile(kExample));
        QVERIFY(s.form.openModelFile(kSites));
        QCOMPARE(recentItems(s), QStringList({"1 sites.inp (constraints form)", "2 example.inp (PIM form)"}));

        // Another run of the program finds the list in its settings.
        MainSession later;
        later.scripted.settings.stored = s.scripted.settings.stored;
        QCOMPARE(recentItems(later), recentItems(s));
        later.action("menu_recent_2")->trigger();
        QCOMPARE(QString::fromStdString(later.model().modelform), QString("pim"));
        QCOMPARE(recentItems(later), QStringList({"1 example.inp (PIM form)", "2 sites.inp (constraints form)"}));
        later.action("menu_recent_2")->trigger();
        QCOMPARE(QString::fromStdString(later.model().modelform), QString("constraints"));
        QVERIFY(later.dialogs.messages().isEmpty());
    }

    void aRecentModelThatIsGoneSaysSoAndLeavesTheList()
    {
        MainSession s;
        s.scripted.settings.stored["RecentModels"] = QStringList{"pim:/no/such/folder/m.inp", "pim:" + kExample};
        recentItems(s);
        s.action("menu_recent_1")->trigger();
        QCOMPARE(s.dialogs.messages(),
                 QStringList{"/no/such/folder/m.inp no longer exists; it was moved or deleted. It is taken off the "
                             "list of recent models; open it from where it is now with the File menu."});
        QCOMPARE(recentItems(s), QStringList{"1 example.inp (PIM form)"});
        QVERIFY(!s.model().loaded());
    }

    // A file that is no model file is taken, and refused by its reader, which says why. Each
    // form's reader is the recent models' test.
    void droppedFileIsReadByTheReaderOfItsForm()
    {
        const struct {
            const char* name;
            QStringList files;
            bool taken;
            QString form;  // the form of the model read; empty: none
        } cases[] = {
            {"constraints form", {kSites}, true, "constraints"},
            {"a folder", {TW_SOURCE_DIR "/examples"}, false, ""},
            {"two files", {kExample, kSites}, false, ""},
            {"not a model file", {TW_SOURCE_DIR "/examples/captures.cap"}, true, ""},
        };
        for (const auto& c : cases) {
            InTempDir dir;
            MainSession s;
            QVERIFY2(drop(s, c.files) == c.taken, c.name);
            QVERIFY2(QString::fromStdString(s.model().modelform) == c.form, c.name);
            const bool refused = c.taken && c.form.isEmpty();
            QCOMPARE(s.dialogs.severities(), refused ? QList<Severity>{Severity::Warning} : QList<Severity>());
        }
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
