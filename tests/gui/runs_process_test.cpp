// The desktop's process runner with real programs: Cancel ends the running program and
// a second start meanwhile is refused.
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
    DesktopProcesses m_processes;

private slots:
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
