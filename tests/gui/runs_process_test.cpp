// The desktop's process runner with real programs: no shell, exact arguments, standard
// input and output, Cancel and a second start while one runs.
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include "guitest.h"
#include "platform/desktop.h"
#include "support.h"

using namespace tw;

namespace {

QString tool(const char* name)
{
    return QStandardPaths::findExecutable(name);
}

QProgressDialog* runningProgress()
{
    for (QProgressDialog* progress : twtest::topLevels<QProgressDialog>())
        if (progress->isVisible())
            return progress;
    return nullptr;
}

}  // namespace

class RunsProcessTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    DesktopProcesses m_processes;

private slots:
    void runsWithoutShell_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("output");
        const QStringList awkward{"a b", "it's \"quoted\"", ";|&", "$HOME", "`id`", "*"};
        QTest::newRow("arguments unchanged")
            << tool("printf") << (QStringList{"%s\\n"} + awkward) << QByteArray()
            << (awkward.join('\n') + '\n').toUtf8();
        QTest::newRow("standard input through a pipe")
            << tool("cat") << QStringList() << QByteArray("i=\"a b\" l=\"a b.out\" \n")
            << QByteArray("i=\"a b\" l=\"a b.out\" \n");
    }

    void runsWithoutShell()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, output);
        QVERIFY(!program.isEmpty());
        ProcessRequest request;
        request.program = program;
        request.arguments = arguments;
        request.standardInput = input;
        request.standardOutputFile = m_dir.filePath("out put.txt");
        const ProcessResult result = m_processes.runAndWait(nullptr, request);
        QVERIFY(result.started);
        QVERIFY(!result.cancelled);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(twtest::bytes(request.standardOutputFile), output);
    }

    void cancelEndsTheProgramAndNothingElseStartsMeanwhile()
    {
        ProcessResult second;
        second.started = true;
        QTimer::singleShot(1000, [&] {
            ProcessRequest other;
            other.program = tool("true");
            second = m_processes.runAndWait(nullptr, other);
            QProgressDialog* progress = runningProgress();
            QVERIFY(progress);
            QVERIFY(progress->isModal());
            QPushButton* cancel = progress->findChild<QPushButton*>();
            QVERIFY(cancel);
            QCOMPARE(cancel->text(), QString("Cancel"));
            cancel->click();
        });
        QElapsedTimer clock;
        clock.start();
        ProcessRequest request;
        request.program = tool("sleep");
        request.arguments = {"30"};
        const ProcessResult result = m_processes.runAndWait(nullptr, request);
        QVERIFY(clock.elapsed() < 10000);
        QVERIFY(result.started);
        QVERIFY(result.cancelled);
        QCOMPARE(result.exitCode, -1);
        QVERIFY(!second.started);
        QCOMPARE(second.errorText, QString("another outside program is still running"));
        QVERIFY(!runningProgress());
    }
};

TW_GUI_TEST(RunsProcessTest)
#include "runs_process_test.moc"
