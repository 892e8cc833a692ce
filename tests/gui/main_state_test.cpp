// What the main window shows: the status bar saying what each command did, the "Constraints" items acting on the
// active grid window, the icons of the messages, Help, and where its other windows open.
#include <QTextBrowser>

#include "buildinfo.h"
#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

QString statusOf(const MainSession& s)
{
    return s.child<QLabel>("lbl_status")->text();
}

// A named step on a main window in a temporary folder, and what it must leave.
template <class Expected>
struct Step {
    const char* name;
    std::function<void(MainSession&, InTempDir&)> run;
    Expected expected;
};

void activate(QWidget* window)
{
    QEvent activated(QEvent::WindowActivate);
    QApplication::sendEvent(window, &activated);
}

}  // namespace

class MainStateTest : public QObject {
    Q_OBJECT

private slots:
    void statusBarSaysWhatEachCommandDid()
    {
        const Step<QString> steps[] = {  // %1: the temporary folder
            {"start", [](MainSession&, InTempDir&) {}, "Engine: /usr/local/bin/corvane (not found)"},
            {"failed read: the last status is no longer news",
             [](MainSession& s, InTempDir&) {
                 s.answerFile(QString("gone.inp"));
                 s.form.getPimFile();
             },
             ""},
            {"engine chosen",
             [](MainSession& s, InTempDir& dir) {
                 QDir().mkpath(dir.path("engine"));
                 QVERIFY(writeFile(dir.path("engine/corvane"), "#!/bin/false\n"));
                 s.answerFile(dir.path("engine/corvane"));
                 s.form.setEngineLocation();
             },
             "Engine: %1/engine/corvane"},
            {"engine run",
             [](MainSession& s, InTempDir&) {
                 s.scripted.processes.fake = [](const ProcessRequest&) {
                     writeFile("m.mss.out", "fine\n");
                     return ran();
                 };
                 s.answerFile(QString("m.mss"));
                 s.form.runEngine();
                 qDeleteAll(topLevels<TextViewer>());
             },
             QString::fromUtf8("Engine: %1/engine/corvane \u2014 %1/m.mss.out, no errors")},
        };
        InTempDir dir;
        MainSession s;
        for (const auto& step : steps) {
            step.run(s, dir);
            const QString expected = QString(step.expected).replace("%1", dir.dir.path());
            QVERIFY2(statusOf(s) == expected, qPrintable(step.name + (": " + statusOf(s))));
        }
    }

    void constraintsItemsActOnTheActiveGridWindow()
    {
        MainSession s;
        s.model() = periodModel(2, 1, 2, 3);
        s.form.viewSurvival();
        QList<GridWindow*> grids = s.grids();
        QCOMPARE(grids.size(), 2);
        const QStringList first = texts(*grids[0]);
        const QStringList built = texts(*grids[1]);
        activate(grids[0]);
        s.action("menu_time")->trigger();
        QCOMPARE(texts(*grids[0]), QStringList({first[0], first[0], first[2], first[2]}));
        QCOMPARE(texts(*grids[1]), built);
        QCOMPARE(statusOf(s), QString("Constant over time: Survival - group 1"));

        activate(grids[1]);
        s.action("menu_chngzeros")->trigger();
        QVERIFY(grids[1]->findChild<QAction*>("menu_chngzeros")->isChecked());
        QVERIFY(!grids[0]->findChild<QAction*>("menu_chngzeros")->isChecked());
        s.action("mnu_varying")->trigger();
        QVERIFY(texts(*grids[1]) != built);
        s.action("menu_oops")->trigger();
        QCOMPARE(texts(*grids[1]), built);

        // The check mark shown is the active window's.
        activate(grids[0]);
        emit s.form.findChild<QMenu*>("menu_cons")->aboutToShow();
        QVERIFY(!s.action("menu_chngzeros")->isChecked());
        // With the active window closed, the one opened last is the active one.
        grids[0]->close();
        s.action("menu_strata")->trigger();
        QCOMPARE(statusOf(s), QString("Constant over strata: Survival - group 2"));
    }

    void designMatrixSaysWhyItIsOff()
    {
        MainSession s;
        s.model() = periodModel(2, 1, 2, 3);
        s.form.viewSurvival();
        GridWindow* window = s.grids().at(0);
        const auto* designMatrix = window->findChild<QAction*>("menu_dm");
        QVERIFY(designMatrix->isEnabled());
        window->typeText(0, "9");
        QVERIFY(!designMatrix->isEnabled());
        QCOMPARE(window->findChild<QLabel*>("Label1")->text(),
                 QString(" - Cells changed: Design Matrix is off until the view is opened again."));
        // The other window of the view keeps it.
        QVERIFY(s.grids().at(1)->findChild<QAction*>("menu_dm")->isEnabled());
    }

    // Warnings show in the tests of a file of the other form and of a dropped file.
    void messagesCarryTheIconOfTheirSeverity()
    {
        const Step<Severity> cases[] = {
            {"failed save: critical",
             [](MainSession& s, InTempDir&) {
                 QVERIFY(s.form.openPimFile(kExample));
                 s.answerFile(QString("no folder/m.inp"));
                 s.form.savePims();
             },
             Severity::Critical},
            {"engine not started: critical",
             [](MainSession& s, InTempDir& dir) {
                 installEngine(s, dir.dir.path());
                 s.scripted.processes.fake = [](const ProcessRequest&) { return ProcessResult{}; };
                 s.answerFile(QString("m.mss"));
                 s.form.runEngine();
             },
             Severity::Critical},
        };
        for (const auto& c : cases) {
            InTempDir dir;
            MainSession s;
            c.run(s, dir);
            QVERIFY2(s.dialogs.severities() == QList<Severity>{c.expected}, c.name);
            qDeleteAll(topLevels<TextViewer>());
        }
    }

    void helpShowsTheUserGuideAndAbout()
    {
        MainSession s;
        s.action("menu_userguide")->trigger();
        QCOMPARE(s.dialogs.severities(), QList<Severity>{Severity::Warning});
        QVERIFY(s.dialogs.messages().first().startsWith("The user guide is not installed."));

        s.scripted.install.documents = TW_BINARY_DIR "/share/doc/tallowick2";
        s.action("menu_userguide")->trigger();
        auto* guide = s.form.findChild<QTextBrowser*>("userGuide");
        QVERIFY(guide && guide->isVisible());
        QVERIFY(guide->toPlainText().contains("Tallowick2 user guide"));
        delete guide;

        s.dialogs.asked.clear();
        s.action("menu_about")->trigger();
        QCOMPARE(s.dialogs.severities(), QList<Severity>{Severity::Information});
        const QString about = s.dialogs.asked[0].text;
        for (const QString& part :
             {QString("Tallowick2 ") + kVersion, QString("Outside programs: /usr/local/bin"),
              "Documents: " + *s.scripted.install.documents,
              QString("Settings: /home/test/.config/Tallowick2/Tallowick2.conf")})
            QVERIFY2(about.contains(part), qPrintable(part));
    }

    // The engine's output (820 x 560), the user guide (820 x 700) and the conversion dialog
    // opened where the window manager chose, running past the bottom of a small screen.
    void windowsOfTheirOwnOpenOnScreenNearTheMainWindow_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("farCorner");  // the main window near the screen's bottom right
        QTest::newRow("engine output, main window top left") << QString("engine output") << false;
        for (const char* window : {"engine output", "user guide", "conversion dialog"})
            QTest::addRow("%s, main window bottom right", window) << QString(window) << true;
    }
    void windowsOfTheirOwnOpenOnScreenNearTheMainWindow()
    {
        QFETCH(QString, window);
        QFETCH(bool, farCorner);
        InTempDir dir;
        MainSession s;
        const QRect screen = s.form.screen()->availableGeometry();
        const QPoint at = farCorner ? screen.bottomRight() - QPoint(300, 200) : screen.topLeft() + QPoint(10, 10);
        s.form.move(at);
        s.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s.form));
        QWidget* opened = nullptr;
        if (window == "user guide") {
            s.scripted.install.documents = TW_BINARY_DIR "/share/doc/tallowick2";
            s.form.showUserGuide();
            opened = s.form.findChild<QTextBrowser*>("userGuide");
        } else if (window == "conversion dialog") {
            s.action("menu_cnvcaph")->trigger();
            opened = s.child("Form3");
        } else {
            installEngine(s, dir.dir.path());
            s.scripted.processes.fake = [](const ProcessRequest&) {
                writeFile("m.mss.out", "done\n");
                return ran();
            };
            s.answerFile(QString("m.mss"));
            s.form.runEngine();
            const auto viewers = topLevels<TextViewer>();
            opened = viewers.isEmpty() ? nullptr : viewers.first();
        }
        QVERIFY(opened && opened->isVisible());
        QVERIFY2(screen.contains(opened->frameGeometry()), qPrintable(window));
        // Near the main window: over part of it, no further right or down than below its menus.
        const QRect frame = opened->frameGeometry();
        const QPoint belowMenus = s.form.frameGeometry().topLeft() + QPoint(40, 60);
        QVERIFY2(frame.intersects(s.form.frameGeometry()), qPrintable(window));
        QVERIFY(frame.left() <= belowMenus.x() && frame.top() <= belowMenus.y());
        if (frame.width() < screen.width() - 60)
            QCOMPARE(frame.left(), farCorner ? screen.right() + 1 - frame.width() : belowMenus.x());
        delete opened;
    }
};

TW_GUI_TEST(MainStateTest)
#include "main_state_test.moc"
