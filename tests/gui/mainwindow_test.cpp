// The main window's captions, start-up states, Quit, the installation directory and
// the layout of its left column.
#include <QProgressBar>

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
        QTest::addColumn<int>("unsaved");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("exits");
        for (bool closeBox : {false, true}) {
            const char* how = closeBox ? "close box" : "Quit";
            QTest::addRow("%s, saved", how) << closeBox << 0 << false << 1;
            QTest::addRow("%s, unsaved, cancel", how) << closeBox << 1 << false << 0;
            QTest::addRow("%s, unsaved, ok", how) << closeBox << 1 << true << 1;
        }
    }
    void quitAsksOnlyWhenUnsaved()
    {
        QFETCH(bool, closeBox);
        QFETCH(int, unsaved);
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
        QCOMPARE(s.dialogs.asked.size(), unsaved);
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

    void activationKeepsTheFixedParameterList()
    {
        Session s;
        s.model().fixedlist = {"S(3)=.5 /* phi */;", "S(7)=.25;"};
        s.form.refreshFixedList();
        s.form.show();
        QApplication::setActiveWindow(&s.form);
        QEvent activation(QEvent::ActivationChange);
        QApplication::sendEvent(&s.form, &activation);
        QCOMPARE(s.form.List1->count(), 2);
        QCOMPARE(s.form.List1->item(0)->text(), QString("S(3)=.5 /* phi */;"));
        QCOMPARE(s.model().fixedlist.size(), size_t(2));
    }

    void windowMenuListsTheWindowsAndEndsWithTheEndLine()
    {
        Session s;
        s.form.show();
        emit s.form.menu_window->aboutToShow();
        QStringList texts;
        for (QAction* a : s.form.menu_window->actions())
            texts << a->text();
        QVERIFY(texts.contains("Tallowick2"));
        QCOMPARE(texts.last(), QString("<<< end of list >>>"));
    }

    void fixedListKeepsItsPlaceWhenTheLabelsChange()
    {
        Session s;
        QVERIFY(!s.form.List1->isVisibleTo(&s.form));  // no empty box at start-up
        s.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s.form));
        s.form.showFixedList();
        QApplication::processEvents();
        const QRect before = s.form.List1->geometry();
        s.form.Label1->setText("npar=32767 nage=9 groups=99 nyrs=99 nstrat=9 and a caption longer still");
        s.form.lbl_pim->setText(" - Hold shift key and click to select pim for design matrix.");
        s.form.lbl_pim->setVisible(true);
        QApplication::processEvents();
        QCOMPARE(s.form.List1->geometry(), before);
        QVERIFY(s.form.Label1->height() > s.form.Label1->fontMetrics().height());  // wrapped, not cut
    }
};

TW_GUI_TEST(MainWindowTest)
#include "mainwindow_test.moc"
