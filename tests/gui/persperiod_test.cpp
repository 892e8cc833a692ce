// "Run each Primary period through KESTON" in the main window, with the scripted
// platform: the real fennel1 started for each cohort, the progress display, Cancel
// between runs, a program that cannot be started, and the list at the end.
#include <QProgressBar>

#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

// A model of 40 cells whose installation directory holds the built programs.
struct PerPeriod : InTempDir, Session {
    PerPeriod()
    {
        scripted.install.registered = kBin + "tallowick2";
        form.updateAppPath();
        model().npar = 40;
        createCellArrays(model());
    }
};

QStringList listed(const Form1& form)
{
    QStringList texts;
    for (int i = 0; i < form.List1->count(); ++i)
        texts << form.List1->item(i)->text();
    return texts;
}

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
        const QStringList list = listed(s.form);
        QCOMPARE(list.size(), 9);
        QCOMPARE(list.mid(0, 2),
                 QStringList({"S(21)=.6 /* PP(01,1,1, ) A */;", "S(22)=.75 /* PP(01,1,2, ) A */;"}));
        QVERIFY(!s.form.List1->isHidden());
        QVERIFY(!s.form.cmd_done->isHidden());
        QVERIFY(s.form.ProgressBar1->isHidden());
        QCOMPARE(s.form.Label1->text(), QString("Label1"));
        QCOMPARE(s.model().initval[21], 0.6);
        QCOMPARE(s.model().pim[21], std::int16_t(-21));
        QCOMPARE(s.model().unsaved, 1);
        QVERIFY(QFile::exists("quarlet.tmp"));
        QVERIFY(QFile::exists("Tallowick2.log"));
    }

    void progressShowsEachRunAndCancelStopsTheRuns()
    {
        PerPeriod s;
        s.answerFile(kPeriods);
        QStringList labels;
        QList<int> values;
        s.scripted.processes.fake = [&](const ProcessRequest&) {
            labels.append(s.form.Label1->text());
            values.append(s.form.ProgressBar1->value());
            writeFile("runsurv.t2", " The information matrix is positive-definite.\n"
                                    "    1    PP(x)                   0.125000\n"
                                    "    2    PP(x)                   0.250000\n");
            return ran(labels.size() == 2);
        };
        const Model before = s.model();
        s.form.runEachPeriod();
        QCOMPARE(labels, (QStringList{"Running FENNEL1 on cohort: 1/5", "Running FENNEL1 on cohort: 2/5"}));
        QCOMPARE(values, (QList<int>{20, 40}));
        QVERIFY(s.model() == before);  // nothing fixed after Cancel
        QCOMPARE(s.form.List1->count(), 0);
        QVERIFY(s.form.cmd_done->isHidden());
        QVERIFY(s.form.ProgressBar1->isHidden());
        QVERIFY(!QFile::exists("quarlet.tmp"));
        QCOMPARE(s.dialogs.messages(), QStringList());
    }

    void failuresAreReportedAndFixNothing_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("list");
        QTest::newRow("programNotStarted")
            << QByteArray("  N(1)=60;\n10\n30\nLABELS;\nS(0001)=PP(a) ;\nS(0002)=PP(b) ;\nPROC\n") << false
            << "FENNEL1 could not be started: " + kBin + "fennel1: No such file\nNothing was fixed." << QStringList();
        QTest::newRow("inputEndsBeforeLabels")
            << QByteArray("  N(1)=60;\n10\n30\n") << true
            << "periods.inp, line 3: the file ends before a line containing \"LABEL\"" << QStringList();
        QTest::newRow("refused cohort is named and the others run")
            << QByteArray("  N(1)=60;\n1\n2\n3\n  N(2)=60;\n10\n30\nLABELS;\nS(0001)=PP(a) ;\nPROC\n") << true
            << "periods.inp, line 1: the cohort holds 3 counts; a cohort of k occasions holds 2^k - 2 (2, 6, 14, 30, "
               "...). It is not run and its 2 estimate places stay empty."
            << QStringList{"S(3)=.6 /* */;"};
    }
    void failuresAreReportedAndFixNothing()
    {
        QFETCH(QByteArray, input);
        QFETCH(bool, starts);
        QFETCH(QString, message);
        QFETCH(QStringList, list);
        PerPeriod s;
        QVERIFY(writeFile("periods.inp", input));
        s.answerFile(QString("periods.inp"));
        if (!starts)
            s.scripted.processes.fake = [](const ProcessRequest&) {
                ProcessResult result;
                result.errorText = "No such file";
                return result;
            };
        const Model before = s.model();
        s.form.runEachPeriod();
        QCOMPARE(s.dialogs.messages(), QStringList{message});
        QCOMPARE(listed(s.form).mid(0, 1), list);
        if (list.isEmpty()) {
            QVERIFY(s.model() == before);
            QVERIFY(!QFile::exists("quarlet.tmp"));
        } else {
            QCOMPARE(s.scripted.processes.requests.size(), 1);
        }
    }
};

TW_GUI_TEST(PerPeriodCommandTest)
#include "persperiod_test.moc"
