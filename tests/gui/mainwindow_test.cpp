// The main window's captions, start-up states, Quit, the installation directory and
// the fixed-parameter list editor (List1, Text2 and its buttons).
#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

struct Item {
    const char* name;
    const char* caption;
    bool enabled;
};

const Item kItems[] = {
    {"menu_cnvcaph", "Convert cap-hist to CORVANE input", true}, {"menu_get", "Get input file w/ constraints", true},
    {"menu_getpim", "Get input file w/ PIM's", true},         {"menu_cnvtcons", "Convert constraints to PIMs", false},
    {"menu_save", "Save model w/ constraints", false},          {"menu_savepims", "Save model w/ PIM's", false},
    {"menu_run", "Run model with CORVANE", true},               {"menu_quit", "Quit", true},
    {"menu_surv", "Survival probs", true},                      {"menu_openp", "open capture probs", true},
    {"menu_closedP", "closed capture probs", true},             {"menu_move", "Movement probs", true},
    {"menu_fixed", "Fixed parms", true},                        {"menu_constant", "Constant over time, strata & age", true},
    {"menu_time", "Constant ove time", true},                   {"menu_strata", "Constant over strata", true},
    {"menu_age", "Constant over age", true},                    {"mnu_varying", "age,strata,time varying", true},
    {"menu_oops", "Oops", true},                                {"menu_chngzeros", "Change zeros too", true},
    {"menu_runsurv", "Run each Primary period through KESTON", true}, {"menu_point", "Compute POINT(i)", true},
};

// A hidden menu reads as disabled.
const Item kMenus[] = {{"menu_file", "File", true},       {"menu_pim", "Pim", true},
                       {"menu_cons", "Constraints", false}, {"menu_special", "Special", true},
                       {"menu_window", "Window", true}};

// Runs one step of a list-editor script: "fixed" (the menu), "select N", "modify",
// "add", "delete", "double N", "type TEXT", "backspace", "done", "insert TEXT" (the
// program puts an entry first, as the per-period runs do).
void step(Form1& form, const QString& line)
{
    const QString word = line.section(' ', 0, 0);
    const QString rest = line.section(' ', 1);
    if (word == "fixed")
        form.menu_fixed->trigger();
    else if (word == "select")
        form.List1->setCurrentRow(rest.toInt());
    else if (word == "modify")
        form.listModify();
    else if (word == "add")
        QTest::mouseClick(form.cmd_add, Qt::LeftButton);
    else if (word == "delete")
        form.listDelete();
    else if (word == "double")
        emit form.List1->itemDoubleClicked(form.List1->item(rest.toInt()));
    else if (word == "type")
        QTest::keyClicks(form.Text2, rest);
    else if (word == "backspace")
        QTest::keyClick(form.Text2, Qt::Key_Backspace);
    else if (word == "done")
        QTest::mouseClick(form.cmd_done, Qt::LeftButton);
    else if (word == "insert") {
        auto& list = form.model().fixedlist;
        list.insert(list.begin(), rest.toStdString());
        form.refreshFixedList();
    } else
        QFAIL(qPrintable("unknown step " + line));
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void captionsAndStartupStates()
    {
        Session s;
        QCOMPARE(s.form.windowTitle(), QString("Tallowick2"));
        QCOMPARE(s.form.objectName(), QString("Form1"));
        for (const Item& item : kItems) {
            auto* action = s.form.findChild<QAction*>(item.name);
            QVERIFY2(action, item.name);
            QCOMPARE(action->text(), QString(item.caption));
            QVERIFY2(action->isEnabled() == item.enabled, item.name);
        }
        for (const Item& menu : kMenus) {
            auto* m = s.form.findChild<QMenu*>(menu.name);
            QVERIFY2(m, menu.name);
            QCOMPARE(m->title(), QString(menu.caption));
            QVERIFY2(m->menuAction()->isEnabled() == menu.enabled, menu.name);
            QVERIFY2(m->menuAction()->isVisible() == menu.enabled, menu.name);
        }
        for (const char* name : {"Label1", "lbl_pim", "LBL_VERSION", "cmd_add", "cmd_delete", "cmd_modify",
                                 "cmd_done", "ProgressBar1", "List1", "List2", "Text2"})
            QVERIFY2(s.form.findChild<QWidget*>(name), name);
    }

    void quitAsksOnlyWhenUnsaved_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<bool>("unsaved");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("exits");
        for (bool closeBox : {false, true}) {
            const char* how = closeBox ? "close box" : "Quit";
            QTest::addRow("%s, saved", how) << closeBox << false << false << 1;
            QTest::addRow("%s, unsaved, cancel", how) << closeBox << true << false << 0;
            QTest::addRow("%s, unsaved, ok", how) << closeBox << true << true << 1;
        }
    }
    void quitAsksOnlyWhenUnsaved()
    {
        QFETCH(bool, closeBox);
        QFETCH(bool, unsaved);
        QFETCH(bool, answer);
        QFETCH(int, exits);
        Session s;
        s.form.show();
        s.model().unsaved = unsaved;
        s.dialogs.okCancelAnswers.enqueue(answer);
        if (closeBox) {
            QCOMPARE(s.form.close(), exits == 1);
            QCOMPARE(s.form.isVisible(), exits == 0);
        } else {
            s.form.menu_quit->trigger();
        }
        QCOMPARE(s.exits, exits);
        QCOMPARE(s.dialogs.asked.size(), unsaved ? 1 : 0);
        if (unsaved)
            QCOMPARE(s.dialogs.asked[0].text,
                     QString("You haven't saved the file! Are you sure you really really really want to quit?"));
    }

    void installationDirectoryIsTheProgramsDirectory_data()
    {
        QTest::addColumn<std::optional<QString>>("registered");
        QTest::addColumn<QString>("apppath");
        QTest::newRow("registered path") << std::optional<QString>("/opt/tw/tallowick2") << "/opt/tw";
        QTest::newRow("backslashes") << std::optional<QString>("C:\\Tools\\Tallowick22.exe") << "C:\\Tools";
        QTest::newRow("no separator") << std::optional<QString>("tallowick2") << "";
        QTest::newRow("no setting: the executable") << std::optional<QString>() << "/usr/local/bin";
    }
    void installationDirectoryIsTheProgramsDirectory()
    {
        QFETCH(std::optional<QString>, registered);
        Session s;
        s.scripted.install.registered = registered;
        s.form.updateAppPath();
        QTEST(QString::fromStdString(s.model().apppath), "apppath");
    }

    void listEditorBindsTheRightEntry_data()
    {
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("field");
        const QStringList two{"S(3)=.5;", "S(4)=.6;"};
        const QStringList three{"S(3)=.5;", "S(4)=.6;", "S(5)=.7;"};
        QTest::newRow("Fixed parms shows entry 0 but does not copy it over the bound entry")
            << three << QStringList{"select 2", "modify", "fixed", "type x"} << three << "S(3)=.5;x";
        QTest::newRow("Done keeps the double-clicked entry's edit and hides the editor")
            << three << QStringList{"fixed", "select 2", "double 2", "backspace", "type 5", "done"}
            << QStringList{"S(3)=.5;", "S(4)=.6;", "S(5)=.75"} << "S(5)=.75";
        QTest::newRow("Add appends a copy and unbinds, then the typed text")
            << two << QStringList{"select 1", "modify", "add", "type S(9)=1;", "add"}
            << QStringList{"S(3)=.5;", "S(4)=.6;", "S(4)=.6;", "S(9)=1;"} << "";
        QTest::newRow("delete moves later entries up and unbinds")
            << three << QStringList{"select 1", "modify", "delete", "type x"} << QStringList{"S(3)=.5;", "S(5)=.7;"}
            << "S(4)=.6;x";
        QTest::newRow("a change by the program unbinds")
            << two << QStringList{"select 1", "modify", "insert S(2)=.1;", "type x"}
            << QStringList{"S(2)=.1;", "S(3)=.5;", "S(4)=.6;"} << "S(4)=.6;x";
    }
    void listEditorBindsTheRightEntry()
    {
        QFETCH(QStringList, start);
        QFETCH(QStringList, script);
        QFETCH(QStringList, list);
        Session s;
        for (const QString& entry : start)
            s.model().fixedlist.push_back(entry.toStdString());
        s.form.refreshFixedList();
        s.model().unsaved = false;
        for (const QString& line : script)
            step(s.form, line);
        QStringList model, listed;
        for (const std::string& entry : s.model().fixedlist)
            model << QString::fromStdString(entry);
        for (int i = 0; i < s.form.List1->count(); ++i)
            listed << s.form.List1->item(i)->text();
        QCOMPARE(model, list);
        QCOMPARE(listed, list);
        QTEST(s.form.Text2->text(), "field");
        if (script.contains("fixed"))  // the editor shows from Fixed parms until Done
            QCOMPARE(s.form.Text2->isVisibleTo(&s.form), !script.contains("done"));
        if (!script.join(' ').contains("insert"))  // the program's own change is not the editor's
            QCOMPARE(s.model().unsaved, list != start);
    }
};

TW_GUI_TEST(MainWindowTest)
#include "mainwindow_test.moc"
