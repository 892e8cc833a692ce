#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "app/mainwindow.h"
#include "guitest.h"
#include "platform/scripted.h"

using namespace tw;

namespace {

struct Item {
    const char* name;
    const char* caption;
    bool enabled;
    bool visible;
};

// Every menu item of the main window with its caption and start-up state.
const Item kItems[] = {
    {"menu_cnvcaph", "Convert cap-hist to CORVANE input", true, true},
    {"menu_get", "Get input file w/ constraints", true, true},
    {"menu_getpim", "Get input file w/ PIM's", true, true},
    {"menu_cnvtcons", "Convert constraints to PIMs", false, true},
    {"menu_save", "Save model w/ constraints", false, true},
    {"menu_savepims", "Save model w/ PIM's", false, true},
    {"menu_run", "Run model with CORVANE", true, true},
    {"menu_quit", "Quit", true, true},
    {"menu_surv", "Survival probs", true, true},
    {"menu_openp", "open capture probs", true, true},
    {"menu_closedP", "closed capture probs", true, true},
    {"menu_move", "Movement probs", true, true},
    {"menu_fixed", "Fixed parms", true, true},
    {"menu_constant", "Constant over time, strata & age", true, true},
    {"menu_time", "Constant ove time", true, true},
    {"menu_strata", "Constant over strata", true, true},
    {"menu_age", "Constant over age", true, true},
    {"mnu_varying", "age,strata,time varying", true, true},
    {"menu_oops", "Oops", true, true},
    {"menu_chngzeros", "Change zeros too", true, true},
    {"menu_runsurv", "Run each Primary period through KESTON", true, true},
    {"menu_point", "Compute POINT(i)", true, true},
};

const Item kMenus[] = {
    {"menu_file", "File", true, true},
    {"menu_pim", "Pim", true, true},
    {"menu_cons", "Constraints", false, false},  // a hidden action reads as disabled
    {"menu_special", "Special", true, true},
    {"menu_window", "Window", true, true},
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<Form1> window;
    int exits = 0;

private slots:
    void init()
    {
        platform = std::make_unique<ScriptedPlatform>();
        window = std::make_unique<Form1>(platform->platform);
        exits = 0;
        window->exitProgram = [this] { ++exits; };
    }
    void cleanup() { window.reset(); }

    void menuItemsHaveTheirCaptionsAndStartupStates()
    {
        QCOMPARE(window->windowTitle(), QString("Tallowick2"));
        QCOMPARE(window->objectName(), QString("Form1"));
        for (const Item& item : kItems) {
            auto* action = window->findChild<QAction*>(item.name);
            QVERIFY2(action, item.name);
            QCOMPARE(action->text(), QString(item.caption));
            QVERIFY2(action->isEnabled() == item.enabled, item.name);
        }
        for (const Item& menu : kMenus) {
            auto* m = window->findChild<QMenu*>(menu.name);
            QVERIFY2(m, menu.name);
            QCOMPARE(m->title(), QString(menu.caption));
            QVERIFY2(m->menuAction()->isEnabled() == menu.enabled, menu.name);
            QVERIFY2(m->menuAction()->isVisible() == menu.visible, menu.name);
        }
    }

    void controlsHaveTheirStartupTexts()
    {
        QCOMPARE(window->findChild<QLabel*>("Label1")->text(), QString("Label1"));
        QCOMPARE(window->findChild<QLabel*>("lbl_pim")->text(), QString("pim label"));
        QCOMPARE(window->findChild<QLabel*>("LBL_VERSION")->text(), QString("Linux"));
        QCOMPARE(window->findChild<QPushButton*>("cmd_add")->text(), QString("Add"));
        QCOMPARE(window->findChild<QPushButton*>("cmd_delete")->text(), QString("Delete"));
        QCOMPARE(window->findChild<QPushButton*>("cmd_modify")->text(), QString("Modify"));
        QCOMPARE(window->findChild<QPushButton*>("cmd_done")->text(), QString("Done"));
        QVERIFY(window->findChild<QProgressBar*>("ProgressBar1"));
        QVERIFY(window->findChild<QListWidget*>("List1"));
        QVERIFY(window->findChild<QListWidget*>("List2"));
        QCOMPARE(window->model().groups, 1);
        QCOMPARE(window->model().nage, 1);
        QCOMPARE(window->model().unsaved, 0);
    }

    void quitWithoutChangesEndsWithoutAsking()
    {
        window->menu_quit->trigger();
        QCOMPARE(exits, 1);
        QVERIFY(platform->dialogs.asked.isEmpty());
    }

    void quitWithChangesAsksAndCancelKeepsTheProgram_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("expectedExits");
        QTest::newRow("cancel") << false << 0;
        QTest::newRow("ok") << true << 1;
    }
    void quitWithChangesAsksAndCancelKeepsTheProgram()
    {
        QFETCH(bool, answer);
        QFETCH(int, expectedExits);
        window->model().unsaved = 1;
        platform->dialogs.okCancelAnswers.enqueue(answer);
        window->menu_quit->trigger();
        QCOMPARE(exits, expectedExits);
        QCOMPARE(platform->dialogs.asked.size(), 1);
        QCOMPARE(platform->dialogs.asked[0].text,
                 QString("You haven't saved the file! Are you sure you really really really want to quit?"));
    }

    void closeBoxAsksLikeQuit()
    {
        window->show();
        window->model().unsaved = 1;
        platform->dialogs.okCancelAnswers.enqueue(false);
        QVERIFY(!window->close());
        QCOMPARE(exits, 0);
        QVERIFY(window->isVisible());
        platform->dialogs.okCancelAnswers.enqueue(true);
        QVERIFY(window->close());
        QCOMPARE(exits, 1);
        QCOMPARE(platform->dialogs.asked.size(), 2);
    }

    void installationDirectoryIsTheProgramsDirectory_data()
    {
        QTest::addColumn<QString>("registered");
        QTest::addColumn<bool>("isSet");
        QTest::addColumn<QString>("apppath");
        QTest::newRow("registered path") << "/opt/tw/tallowick2" << true << "/opt/tw";
        QTest::newRow("backslashes") << "C:\\Tools\\Tallowick22.exe" << true << "C:\\Tools";
        QTest::newRow("no separator") << "tallowick2" << true << "";
        QTest::newRow("no setting: the executable") << "" << false << "/usr/local/bin";
    }
    void installationDirectoryIsTheProgramsDirectory()
    {
        QFETCH(QString, registered);
        QFETCH(bool, isSet);
        QFETCH(QString, apppath);
        if (isSet)
            platform->install.registered = registered;
        else
            platform->install.registered.reset();
        window->updateAppPath();
        QCOMPARE(QString::fromStdString(window->model().apppath), apppath);
    }

    void activationKeepsTheFixedParameterList()
    {
        window->model().fixedlist = {"S(3)=.5 /* phi */;", "S(7)=.25;"};
        window->refreshFixedList();
        window->show();
        QApplication::setActiveWindow(window.get());
        QTest::qWait(20);
        QEvent activation(QEvent::ActivationChange);
        QApplication::sendEvent(window.get(), &activation);
        QCOMPARE(window->List1->count(), 2);
        QCOMPARE(window->List1->item(0)->text(), QString("S(3)=.5 /* phi */;"));
        QCOMPARE(window->model().fixedlist.size(), size_t(2));
    }

    void windowMenuListsTheWindowsAndEndsWithTheEndLine()
    {
        window->show();
        emit window->menu_window->aboutToShow();
        const auto actions = window->menu_window->actions();
        QVERIFY(actions.size() >= 2);
        QCOMPARE(actions.last()->text(), QString("<<< end of list >>>"));
        bool listed = false;
        for (QAction* a : actions)
            listed = listed || a->text() == "Tallowick2";
        QVERIFY(listed);
    }

    void fixedListKeepsItsPlaceWhenTheLabelsChange()
    {
        QVERIFY(!window->List1->isVisibleTo(window.get()));  // no empty box at start-up
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->showFixedList();
        QApplication::processEvents();
        const QRect before = window->List1->geometry();
        window->Label1->setText("npar=32767 nage=9 groups=99 nyrs=99 nstrat=9 and a caption longer still");
        window->lbl_pim->setText(" - Hold shift key and click to select pim for design matrix.");
        window->lbl_pim->setVisible(true);
        QApplication::processEvents();
        QCOMPARE(window->List1->geometry(), before);
        QVERIFY(window->Label1->height() > window->Label1->fontMetrics().height());  // wrapped, not cut
    }

    void replacingAnUnsavedModelAsks()
    {
        QVERIFY(window->confirmReplace());
        QVERIFY(platform->dialogs.asked.isEmpty());
        window->model().markChanged();
        platform->dialogs.okCancelAnswers.enqueue(false);
        QVERIFY(!window->confirmReplace());
        QCOMPARE(platform->dialogs.asked.last().text, QString("The model has unsaved changes. Replace it?"));
    }
};

TW_GUI_TEST(MainWindowTest)
#include "mainwindow_test.moc"
