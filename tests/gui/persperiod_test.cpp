// "Run each Primary period through KESTON" in the main window, with the scripted
// platform: the real fennel1 started for each cohort and the list at the end, and a
// program that cannot start.
#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

// A model of the dimensions periods.inp states (40 cells, 5 primary periods, 1 stratum)
// whose installation directory holds the built programs.
struct PerPeriod : InTempDir, MainSession {
    PerPeriod()
    {
        scripted.install.registered = kBin + "tallowick2";
        form.updateInstallDirectory();
        model().npar = 40;
        model().nyrs = 5;
        model().nstrat = 1;
        createCellArrays(model());
    }
};

}  // namespace

class PerPeriodCommandTest : public QObject {
    Q_OBJECT

private slots:
    void realProgramRunsEachCohortAndFixesTheEstimates()
    {
        PerPeriod s;
        s.answerFile(kPeriods);
        s.form.runEachPeriod();
        QCOMPARE(s.dialogs.messages(), QStringList());
        QCOMPARE(s.scripted.processes.requests.size(), 4);
        for (const ProcessRequest& request : s.scripted.processes.requests) {
            QCOMPARE(request.program, kBin + "fennel1");
            QVERIFY(request.arguments.isEmpty());
            QCOMPARE(request.standardInput, QByteArray("i=runsurv.t1 l=runsurv.t2 \n"));
        }
        const QStringList list = s.listed();
        QCOMPARE(list.size(), 9);
        QCOMPARE(list.mid(0, 2),
                 QStringList({"S(21)=.6 /* PP(01,1,1, ) A */;", "S(22)=.75 /* PP(01,1,2, ) A */;"}));
        QVERIFY(!s.child("List1")->isHidden());
        QVERIFY(s.child("ProgressBar1")->isHidden());
        QCOMPARE(s.model().initval[21], 0.6);
        QCOMPARE(s.model().pim[21], std::int16_t(-21));
        QVERIFY(s.model().unsaved);
        QVERIFY(QFile::exists("quarlet.tmp"));
    }

    // Without an installation directory "fennel1" was started from the current
    // directory; the engine run refuses that, and so do these runs now.
    void noInstalledProgramIsRefusedAsTheEngineRunRefuses_data()
    {
        QTest::addColumn<QString>("registered");
        QTest::addColumn<QString>("program");
        QTest::newRow("bare installation directory") << "tallowick2" << "fennel1";
        QTest::newRow("no fennel1 in it") << "/nonexistent/tallowick2" << "/nonexistent/fennel1";
    }
    void noInstalledProgramIsRefusedAsTheEngineRunRefuses()
    {
        QFETCH(QString, registered);
        QFETCH(QString, program);
        PerPeriod s;
        QVERIFY(writeFile("fennel1", "#!/bin/sh\n"));
        s.scripted.install.registered = registered;
        s.form.updateInstallDirectory();
        s.scripted.processes.fake = [](const ProcessRequest&) { return ran(); };
        s.answerFile(kPeriods);
        const Model before = s.model();
        s.form.runEachPeriod();
        QCOMPARE(s.dialogs.messages(),
                 QStringList{"The engine program " + program
                             + " does not exist.\nChoose the CORVANE program with \"Set CORVANE location\u2026\" in "
                               "the File menu."});
        QVERIFY(s.scripted.processes.requests.isEmpty());
        QVERIFY(s.model() == before);
    }

    // The platform's answer reaches the session: a program that cannot start is reported
    // and fixes nothing (the session's tests cover the other ends of a run).
    void programThatCannotStartIsReportedAndFixesNothing()
    {
        PerPeriod s;
        QVERIFY(writeFile("periods.inp", "  N(1)=60;\n10\n30\nLABELS;\nS(0001)=PP(a) ;\nS(0002)=PP(b) ;\nPROC\n"));
        s.answerFile(QString("periods.inp"));
        s.scripted.processes.fake = [](const ProcessRequest&) {
            ProcessResult result;
            result.errorText = "No such file";
            return result;
        };
        const Model before = s.model();
        s.form.runEachPeriod();
        QCOMPARE(s.dialogs.messages(),
                 QStringList{"FENNEL1 could not be started: " + kBin + "fennel1: No such file\nNothing was fixed."});
        QVERIFY(s.listed().isEmpty());
        QVERIFY(s.model() == before);
        QVERIFY(!QFile::exists("quarlet.tmp"));
    }
};

TW_GUI_TEST(PerPeriodCommandTest)
#include "persperiod_test.moc"
