// "Run each Primary period through KESTON" in the main window, with the scripted
// platform: the file dialog, the real fennel1 started for each cohort, the progress
// display, Cancel between runs, a program that cannot be started, and the list at the end.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/mainwindow.h"
#include "guitest.h"
#include "platform/scripted.h"

using namespace tw;

namespace {

const QString kInput = TW_TEST_DATA "/persperiod/periods.inp";

QByteArray listing(int estimates)
{
    QByteArray text = " The information matrix is positive-definite.\n";
    for (int k = 1; k <= estimates; ++k)
        text += QString("%1    %2%3\n").arg(k, 5).arg("PP(x)", -19).arg(0.125 * k, 13, 'f', 6).toUtf8();
    return text;
}

}  // namespace

class PerPeriodCommandTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_previous = QDir::currentPath();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QDir::setCurrent(m_dir->path());
        m_platform = std::make_unique<ScriptedPlatform>();
        m_platform->install.registered = TW_BINARY_DIR "/app/tallowick2";
        m_form = std::make_unique<Form1>(m_platform->platform);
        m_form->exitProgram = [this] { m_exited = true; };
        m_form->model().npar = 40;
        createCellArrays(m_form->model());
    }

    void cleanup()
    {
        m_form.reset();
        m_platform.reset();
        QDir::setCurrent(m_previous);
        m_dir.reset();
    }

    void noFileChosenEndsOnlyTheCommand_data()
    {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::newRow("cancelled") << std::optional<QString>();
        QTest::newRow("empty") << std::optional<QString>(QString());
        QTest::newRow("pattern") << std::optional<QString>(QString("*.*"));
    }
    void noFileChosenEndsOnlyTheCommand()
    {
        QFETCH(std::optional<QString>, answer);
        m_platform->dialogs.fileAnswers.enqueue(answer);
        m_form->runEachPeriod();
        QCOMPARE(m_platform->dialogs.asked.first().title, QString("CORVANE input file"));
        QCOMPARE(m_platform->dialogs.asked.first().text, QString("*.*"));
        QCOMPARE(m_platform->dialogs.messages(), QStringList{"No file selected"});
        QVERIFY(m_platform->processes.requests.isEmpty());
        QVERIFY(!m_exited);
        QVERIFY(!QFile::exists("Tallowick2.log"));
    }

    void realProgramRunsEachCohortAndFixesTheEstimates()
    {
        m_platform->dialogs.fileAnswers.enqueue(kInput);
        m_form->runEachPeriod();
        QCOMPARE(m_platform->dialogs.messages(), QStringList());
        const auto& requests = m_platform->processes.requests;
        QCOMPARE(requests.size(), 4);
        for (const ProcessRequest& request : requests) {
            QCOMPARE(request.program, QString(TW_BINARY_DIR "/app/fennel1"));
            QVERIFY(request.arguments.isEmpty());
            QCOMPARE(request.standardInput, QByteArray("i=runsurv.t1 l=runsurv.t2 \n"));
        }
        QCOMPARE(m_form->List1->count(), 9);
        QCOMPARE(m_form->List1->item(0)->text(), QString("S(21)=.6 /* PP(01,1,1, ) A */;"));
        QCOMPARE(m_form->List1->item(1)->text(), QString("S(22)=.75 /* PP(01,1,2, ) A */;"));
        QVERIFY(!m_form->List1->isHidden());
        QVERIFY(!m_form->cmd_done->isHidden());
        QVERIFY(m_form->ProgressBar1->isHidden());
        QCOMPARE(m_form->Label1->text(), QString("Label1"));
        QCOMPARE(m_form->model().initval[21], 0.6);
        QCOMPARE(m_form->model().pim[21], std::int16_t(-21));
        QCOMPARE(m_form->model().unsaved, 1);
        QVERIFY(QFile::exists("quarlet.tmp"));
        QVERIFY(QFile::exists("Tallowick2.log"));
    }

    void progressShowsEachRunAndCancelStopsTheRuns()
    {
        m_platform->dialogs.fileAnswers.enqueue(kInput);
        QStringList labels;
        QList<int> values;
        m_platform->processes.fake = [&](const ProcessRequest&) {
            labels.append(m_form->Label1->text());
            values.append(m_form->ProgressBar1->value());
            ProcessResult result;
            result.started = true;
            result.exitCode = 0;
            result.cancelled = labels.size() == 2;
            QFile out("runsurv.t2");
            if (out.open(QIODevice::WriteOnly))
                out.write(listing(2));
            return result;
        };
        const Model before = m_form->model();
        m_form->runEachPeriod();
        QCOMPARE(labels, (QStringList{"Running FENNEL1 on cohort: 1/5", "Running FENNEL1 on cohort: 2/5"}));
        QCOMPARE(values, (QList<int>{20, 40}));
        QVERIFY(m_form->model() == before);  // nothing fixed after Cancel
        QCOMPARE(m_form->List1->count(), 0);
        QVERIFY(m_form->cmd_done->isHidden());
        QVERIFY(m_form->ProgressBar1->isHidden());
        QVERIFY(!QFile::exists("quarlet.tmp"));
        QCOMPARE(m_platform->dialogs.messages(), QStringList());
    }

    void failuresAreReportedAndFixNothing_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<QString>("message");
        QTest::newRow("programNotStarted")
            << QByteArray("  N(1)=60;\n10\n30\nLABELS;\nS(0001)=PP(a) ;\nS(0002)=PP(b) ;\nPROC\n") << false
            << QString("FENNEL1 could not be started: " TW_BINARY_DIR "/app/fennel1: No such file\nNothing was fixed.");
        QTest::newRow("inputEndsBeforeLabels") << QByteArray("  N(1)=60;\n10\n30\n") << true
                                               << QString("periods.inp, line 3: the file ends before a line "
                                                          "containing \"LABEL\"");
    }
    void failuresAreReportedAndFixNothing()
    {
        QFETCH(QByteArray, input);
        QFETCH(bool, starts);
        QFETCH(QString, message);
        QFile file("periods.inp");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(input);
        file.close();
        m_platform->dialogs.fileAnswers.enqueue(QString("periods.inp"));
        m_platform->processes.fake = [&](const ProcessRequest&) {
            ProcessResult result;
            result.started = starts;
            result.errorText = starts ? QString() : QString("No such file");
            return result;
        };
        const Model before = m_form->model();
        m_form->runEachPeriod();
        QCOMPARE(m_platform->dialogs.messages(), QStringList{message});
        QVERIFY(m_form->model() == before);
        QVERIFY(!QFile::exists("quarlet.tmp"));
    }

    void refusedCohortIsNamedAndTheOthersRun()
    {
        QFile file("periods.inp");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("  N(1)=60;\n1\n2\n3\n  N(2)=60;\n10\n30\nLABELS;\nS(0001)=PP(a) ;\nPROC\n");
        file.close();
        m_platform->dialogs.fileAnswers.enqueue(QString("periods.inp"));
        m_form->runEachPeriod();
        QCOMPARE(m_platform->dialogs.messages(),
                 QStringList{"periods.inp, line 1: the cohort holds 3 counts; a cohort of k occasions holds 2^k - 2 "
                             "(2, 6, 14, 30, ...). It is not run and its 2 estimate places stay empty."});
        QCOMPARE(m_platform->processes.requests.size(), 1);
        QCOMPARE(m_form->List1->count(), 2);
        QCOMPARE(m_form->List1->item(0)->text(), QString("S(3)=.6 /* */;"));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previous;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<Form1> m_form;
    bool m_exited = false;
};

TW_GUI_TEST(PerPeriodCommandTest)

#include "persperiod_test.moc"
