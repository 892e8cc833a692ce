// Outside programs started from the main window: the engine run with a fake engine, the
// per-period runs with the real fennel1, where the programs are found, the desktop's
// process runner with real programs, and a failure no command reports.
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTimer>
#include <new>

#include "app/guardedapplication.h"
#include "guitest.h"
#include "platform/desktop.h"
#include "platform/programsdirectory.h"
#include "support.h"

using namespace twtest;

namespace {

using OptionalPath = std::optional<QString>;

// An installation directory holding a (never started) engine.
struct Engine : InTempDir, MainSession {
    QString engineDir = path("engine dir");
    Engine() { installEngine(*this, engineDir); }
    ~Engine() { qDeleteAll(topLevels<TextViewer>()); }
};

// A model of the dimensions periods.inp states (40 cells, 5 primary periods, 1 stratum)
// whose installation directory holds the built programs.
struct PerPeriod : InTempDir, MainSession {
    PerPeriod()
    {
        installAt(kBin + "tallowick2");
        model().npar = 40;
        model().nyrs = 5;
        model().nstrat = 1;
        createCellArrays(model());
    }
};

QProgressDialog* runningProgress()
{
    for (QProgressDialog* progress : topLevels<QProgressDialog>())
        if (progress->isVisible())
            return progress;
    return nullptr;
}

}  // namespace

class RunsTest : public QObject {
    Q_OBJECT

private slots:
    // The error lines a run reports are the end-to-end test's.
    void engineRunEndsWithTheRightMessages()
    {
        const struct {
            const char* name;
            QByteArray before;   // output left by an earlier run ("" none)
            QByteArray written;  // what this run writes (null: nothing)
            QString message;     // the one message, a warning
        } cases[] = {
            {"stale output is not success", "old\n", {}, "output file (m.mss.out)not created!"},
            {"no error lines: no message", "", "fine\n", ""},
        };
        for (const auto& c : cases) {
            Engine s;
            if (!c.before.isEmpty())
                QVERIFY(writeFile("m.mss.out", c.before));
            s.answerFile(QString("m.mss"));
            s.scripted.processes.fake = [written = c.written](const ProcessRequest&) {
                if (!written.isNull())
                    writeFile("m.mss.out", written);
                return ran();
            };
            s.form.runEngine();
            const QStringList messages = c.message.isEmpty() ? QStringList() : QStringList{c.message};
            QVERIFY2(s.dialogs.messages() == messages, c.name);
            QCOMPARE(s.scripted.processes.requests.size(), 1);
            QCOMPARE(topLevels<TextViewer>().size(), messages.isEmpty() ? 1 : 0);  // the output, shown
        }
    }

    // The run set the model's file to the file run: the next save copied that file's head,
    // or compared the target with a file never read as a model and let a save over the
    // model's own file through (the saves compare with the model's file: the session's tests).
    void engineRunLeavesTheModelAndItsFileAlone()
    {
        Engine s;
        QVERIFY(QFile::copy(kExample, "example.inp"));
        QVERIFY(s.form.openPimFile("example.inp"));
        const Model before = s.model();
        s.answerFile(QString("other.mss"));
        s.scripted.processes.fake = [](const ProcessRequest&) {
            writeFile("other.mss.out", "done\n");
            return ran();
        };
        s.form.runEngine();
        QCOMPARE(s.scripted.processes.requests.size(), 1);
        QVERIFY(s.model() == before);
        QCOMPARE(QString::fromStdString(s.form.session().modelFile()), QString("example.inp"));
    }

    // The stand-in fennel1 runs as a real process; the fixings it leads to are the session's.
    void perPeriodRunsEachCohortAndShowsTheFixings()
    {
        PerPeriod s;
        s.answerFile(kPeriods);
        s.form.runEachPeriod();
        QCOMPARE(s.dialogs.messages(), QStringList());
        QCOMPARE(s.scripted.processes.requests.size(), 4);
        for (const ProcessRequest& request : s.scripted.processes.requests) {
            QCOMPARE(request.program, kBin + "fennel1");
            QCOMPARE(request.standardInput, QByteArray("i=runsurv.t1 l=runsurv.t2 \n"));
        }
        QCOMPARE(s.listed().size(), 9);
        QVERIFY(!s.child("List1")->isHidden());
        QVERIFY(s.child("ProgressBar1")->isHidden());
    }

    // Without an installation directory "fennel1" was started from the current directory.
    void perPeriodRunWithoutAnInstallationDirectoryStartsNothing()
    {
        PerPeriod s;
        QVERIFY(writeFile("fennel1", "#!/bin/sh\n"));
        s.installAt("tallowick2");
        s.answerFile(kPeriods);
        const Model before = s.model();
        s.form.runEachPeriod();
        QCOMPARE(s.dialogs.messages(), QStringList{"The engine program fennel1 does not exist.\nChoose the CORVANE "
                                                   "program with \"Set CORVANE location\u2026\" in the File menu."});
        QVERIFY(s.scripted.processes.requests.isEmpty());
        QVERIFY(s.model() == before);
    }

    void programsDirectoryIsChosenThenInstalledThenBeside()
    {
        const OptionalPath none;
        const OptionalPath libexec("/usr/libexec/tallowick2");
        const struct {
            const char* name;
            OptionalPath registered;
            OptionalPath installed;
            QString executable;
            QString directory;
        } cases[] = {
            {"a chosen engine wins over the installation", OptionalPath("/home/ann/engine/corvane"), libexec,
             "/usr/bin/tallowick2", "/home/ann/engine"},
            {"installed: the libexec directory, not bin", none, libexec, "/usr/bin/tallowick2",
             "/usr/libexec/tallowick2"},
            {"build tree: beside the program", none, none, "/src/build/app/tallowick2", "/src/build/app"},
            {"a chosen bare name: the current directory", OptionalPath("corvane"), libexec, "/usr/bin/tallowick2", ""},
        };
        for (const auto& c : cases) {
            ScriptedInstallLocation install;
            install.registered = c.registered;
            install.installedPrograms = c.installed;
            install.executablePath = c.executable;
            QVERIFY2(outsideProgramsDirectory(install) == c.directory, c.name);
        }
    }

    void cancelEndsTheProgramAndNothingElseStartsMeanwhile()
    {
        DesktopProcesses processes;
        ProcessResult second;
        second.started = true;
        QTimer::singleShot(1000, [&] {
            ProcessRequest other;
            other.program = QStandardPaths::findExecutable("true");
            second = processes.runAndWait(nullptr, other);
            QProgressDialog* progress = runningProgress();
            QVERIFY(progress && progress->isModal());
            QPushButton* cancel = progress->findChild<QPushButton*>();
            QVERIFY(cancel);
            cancel->click();
        });
        QElapsedTimer clock;
        clock.start();
        ProcessRequest request;
        request.program = QStandardPaths::findExecutable("sleep");
        request.arguments = {"30"};
        const ProcessResult result = processes.runAndWait(nullptr, request);
        QVERIFY(clock.elapsed() < 10000);
        QVERIFY(result.started && result.cancelled);
        QCOMPARE(result.exitCode, -1);
        QVERIFY(!second.started);
        QCOMPARE(second.errorText, QString("another outside program is still running"));
        QVERIFY(!runningProgress());
    }

    // A failure no command reports (memory running out, say) reaches the event loop: the
    // window shows it in a message box, keeps its model and goes on.
    void failureInACommandIsShownAndTheModelKept()
    {
        InTempDir dir;
        MainSession s;
        installEngine(s, dir.path("engine"));
        QVERIFY(s.form.openPimFile(kExample));
        s.model().markChanged();
        const Model before = s.model();
        s.answerFile(kExample);
        s.scripted.processes.fake = [](const ProcessRequest&) -> ProcessResult { throw std::bad_alloc(); };
        auto* app = static_cast<GuardedApplication*>(QCoreApplication::instance());
        app->setReporter([&s](const QString& text) { s.dialogs.message(&s.form, "Tallowick2", text); });
        // Through the event loop, as a menu click runs it.
        QTimer::singleShot(0, s.action("menu_run"), &QAction::trigger);
        QTRY_COMPARE(s.dialogs.messages(),
                     QStringList{"Not enough memory: the command was stopped and the model kept as it was."});
        app->setReporter({});
        QVERIFY(s.model() == before);
        QVERIFY(s.enabled("menu_savepims"));
    }
};

TW_GUI_TEST(RunsTest)
#include "runs_test.moc"
