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
            bool engine;
            QByteArray before;   // output left by an earlier run ("" none)
            QByteArray written;  // what this run writes (null: nothing)
            QString message;     // the one message, a warning; %1: the current folder
        } cases[] = {
            {"stale output is not success", true, "old\n", {}, "output file (m.mss.out)not created!"},
            {"no error lines: no message", true, "", "fine\n", ""},
            {"missing engine", false, "", {},
             "The engine program %1/engine dir/corvane does not exist.\nChoose the CORVANE program with \"Set "
             "CORVANE location\u2026\" in the File menu."},
        };
        for (const auto& c : cases) {
            Engine s;
            if (!c.engine)
                QFile::remove(s.engineDir + "/corvane");
            if (!c.before.isEmpty())
                QVERIFY(writeFile("m.mss.out", c.before));
            s.answerFile(QString("m.mss"));
            s.scripted.processes.fake = [written = c.written](const ProcessRequest&) {
                if (!written.isNull())
                    writeFile("m.mss.out", written);
                return ran();
            };
            s.form.runEngine();
            const QString message = QString(c.message).replace("%1", s.dir.path());
            const QStringList messages = message.isEmpty() ? QStringList() : QStringList{message};
            QVERIFY2(s.dialogs.messages() == messages, c.name);
            QVERIFY2(s.dialogs.severities() == QList<Severity>(messages.size(), Severity::Warning), c.name);
            QCOMPARE(s.scripted.processes.requests.size(), c.engine ? 1 : 0);
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

        // The file run is proposed at the next run.
        s.form.runEngine();
        QCOMPARE(s.dialogs.asked.last().kind, QString("open"));
        QCOMPARE(s.dialogs.asked.last().text, QString("other.mss"));
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

    // Without an installation directory "fennel1" was started from the current directory;
    // the engine run refuses that, and so do these runs.
    void perPeriodRunWithoutTheProgramFixesNothing()
    {
        const QString choose = " does not exist.\nChoose the CORVANE program with \"Set CORVANE location\u2026\" in "
                               "the File menu.";
        const std::pair<const char*, QString> cases[] = {
            {"tallowick2", "The engine program fennel1" + choose},
            {"/nonexistent/tallowick2", "The engine program /nonexistent/fennel1" + choose},
        };
        for (const auto& [registered, message] : cases) {
            PerPeriod s;
            QVERIFY(writeFile("fennel1", "#!/bin/sh\n"));
            s.installAt(registered);
            s.answerFile(kPeriods);
            const Model before = s.model();
            s.form.runEachPeriod();
            QCOMPARE(s.dialogs.messages(), QStringList{message});
            QVERIFY(s.scripted.processes.requests.isEmpty());
            QVERIFY(s.model() == before);
        }
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
            {"a chosen path with backslashes", OptionalPath("C:\\Tools\\Tallowick22.exe"), none,
             "/usr/bin/tallowick2", "C:\\Tools"},
        };
        for (const auto& c : cases) {
            ScriptedInstallLocation install;
            install.registered = c.registered;
            install.installedPrograms = c.installed;
            install.executablePath = c.executable;
            QVERIFY2(outsideProgramsDirectory(install) == c.directory, c.name);
        }
    }

    void installedLayoutIsFoundFromTheBinDirectory()
    {
        const struct {
            const char* made;  // "dir", "file" or "" at PREFIX/libexec/tallowick2
            const char* executable;  // below PREFIX
            bool found;
        } cases[] = {
            {"dir", "bin/tallowick2", true},   {"dir", "share/../bin/tallowick2", true},
            {"", "bin/tallowick2", false},     {"file", "bin/tallowick2", false},
            {"dir", "build/app/tallowick2", false},
        };
        for (const auto& c : cases) {
            QTemporaryDir prefix;
            for (const char* folder : {"bin", "share", "build/app", "libexec"})
                QVERIFY(QDir(prefix.path()).mkpath(folder));
            const QString programs = prefix.filePath("libexec/tallowick2");
            if (QString(c.made) == "dir")
                QVERIFY(QDir().mkpath(programs));
            if (QString(c.made) == "file")
                QVERIFY(writeFile(programs, "not a directory\n"));
            const auto directory = installedProgramsDirectory(prefix.filePath(c.executable));
            QVERIFY2(directory == (c.found ? OptionalPath(programs) : std::nullopt), c.executable);
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
            QCOMPARE(cancel->text(), QString("Cancel"));
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
