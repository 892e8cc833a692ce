// The engine run and the engine location, with the scripted platform and a fake engine.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/mainwindow.h"
#include "guitest.h"
#include "platform/scripted.h"
#include "runs/widgets/textviewer.h"

using namespace tw;

namespace {

void writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QList<TextViewer*> openViewers()
{
    QList<TextViewer*> viewers;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* viewer = qobject_cast<TextViewer*>(window))
            viewers.append(viewer);
    return viewers;
}

QStringList messagesTitled(const ScriptedDialogs& dialogs, const QString& title)
{
    QStringList texts;
    for (const auto& asked : dialogs.asked)
        if (asked.kind == "message" && asked.title == title)
            texts.append(asked.text);
    return texts;
}

ProcessResult ran()
{
    ProcessResult result;
    result.started = true;
    result.exitCode = 0;
    return result;
}

}  // namespace

class RunsEngineTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_previous;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<Form1> m_form;

    QString engineDir() const { return m_dir.filePath("engine dir"); }

private slots:
    void init()
    {
        m_previous = QDir::currentPath();
        QVERIFY(m_dir.isValid());
        QDir::setCurrent(m_dir.path());
        QDir().mkpath(engineDir());
        writeText(engineDir() + "/corvane", "#!/bin/false\n");
        m_platform = std::make_unique<ScriptedPlatform>();
        m_platform->install.registered = engineDir() + "/tallowick2";
        m_form = std::make_unique<Form1>(m_platform->platform);
        m_form->exitProgram = [] {};
        m_form->model().infile = "keep.mss";
    }

    void cleanup()
    {
        qDeleteAll(openViewers());
        m_form.reset();
        m_platform.reset();
        QDir::setCurrent(m_previous);
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void cancelledDialogRunsNothingAndKeepsInfile()
    {
        m_form->runEngine();
        QCOMPARE(m_platform->dialogs.asked.size(), 1);
        QCOMPARE(m_platform->dialogs.asked[0].title, QString("corvane input filename"));
        QCOMPARE(m_platform->dialogs.asked[0].text, QString("quarlet.mss"));
        QVERIFY(m_platform->processes.requests.isEmpty());
        QCOMPARE(m_form->model().infile, std::string("keep.mss"));
    }

    void engineGetsItsLineFromTheInstallationDirectory()
    {
        m_platform->dialogs.fileAnswers.enqueue(QString("my model;$x.mss"));
        m_platform->processes.fake = [](const ProcessRequest&) { return ran(); };
        m_form->runEngine();
        QCOMPARE(m_form->model().infile, std::string("my model;$x.mss"));
        QCOMPARE(m_platform->processes.requests.size(), 1);
        const ProcessRequest& request = m_platform->processes.requests[0];
        QCOMPARE(request.program, engineDir() + "/corvane");
        QVERIFY(request.arguments.isEmpty());
        QCOMPARE(request.standardInput, QByteArray("i=\"my model;$x.mss\" l=\"my model;$x.mss.out\" \n"));
    }

    void outputMessages_data()
    {
        QTest::addColumn<QByteArray>("before");  // output left by an earlier run ("" none)
        QTest::addColumn<QByteArray>("written");  // what this run writes (null: nothing)
        QTest::addColumn<QStringList>("oops");
        QTest::addColumn<int>("errorBoxes");
        QTest::addColumn<bool>("viewer");
        const QStringList notCreated{"output file (m.mss.out)not created!"};
        QByteArray three = "head\r\nKESTON ERROR 1\r\nok\r\nKESTON ERROR 2\r\n  KESTON ERROR 3\r\n";
        QByteArray twelve;
        for (int i = 1; i <= 12; ++i)
            twelve += "KESTON ERROR " + QByteArray::number(i) + "\n";
        QTest::newRow("missing output") << QByteArray() << QByteArray() << notCreated << 0 << false;
        QTest::newRow("stale output is not success") << QByteArray("old\n") << QByteArray() << notCreated << 0 << false;
        QTest::newRow("three error lines") << QByteArray() << three << QStringList() << 3 << true;
        QTest::newRow("error flood capped") << QByteArray("old\n") << twelve << QStringList() << 11 << true;
        QTest::newRow("clean output") << QByteArray() << QByteArray("fine\n") << QStringList() << 0 << true;
    }

    void outputMessages()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, written);
        QFETCH(QStringList, oops);
        QFETCH(int, errorBoxes);
        QFETCH(bool, viewer);
        if (!before.isEmpty())
            writeText("m.mss.out", before);
        m_platform->dialogs.fileAnswers.enqueue(QString("m.mss"));
        m_platform->processes.fake = [written](const ProcessRequest&) {
            if (!written.isNull())
                writeText("m.mss.out", written);
            return ran();
        };
        m_form->runEngine();
        QCOMPARE(messagesTitled(m_platform->dialogs, "oops!"), oops);
        const QStringList boxes = messagesTitled(m_platform->dialogs, "corvane error");
        QCOMPARE(boxes.size(), errorBoxes);
        if (errorBoxes == 3)
            QCOMPARE(boxes, (QStringList{"KESTON ERROR 1", "KESTON ERROR 2", "  KESTON ERROR 3"}));
        if (errorBoxes == 11)
            QCOMPARE(boxes.last(), QString("2 more lines hold \"KESTON ERROR\"; all of them are highlighted in the output."));
        const auto viewers = openViewers();
        QCOMPARE(viewers.size(), viewer ? 1 : 0);
        if (viewer)
            QCOMPARE(viewers[0]->highlightedLines().size(), errorBoxes == 11 ? 12 : errorBoxes);
    }

    void missingEngineIsReportedWithItsPath()
    {
        QFile::remove(engineDir() + "/corvane");
        m_platform->dialogs.fileAnswers.enqueue(QString("m.mss"));
        m_form->runEngine();
        QVERIFY(m_platform->processes.requests.isEmpty());
        QCOMPARE(m_platform->dialogs.messages(),
                 QStringList{"The engine program " + engineDir()
                             + "/corvane does not exist.\nChoose the CORVANE program with \"Set CORVANE "
                               "location\u2026\" in the File menu."});
    }

    void failedStartAndCancelAreSaidNotMistakenForMissingOutput_data()
    {
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("expected");
        QTest::newRow("not started") << false
                                     << "The engine program " + engineDir()
                                            + "/corvane could not be started (Permission denied).\nChoose the "
                                              "CORVANE program with \"Set CORVANE location\u2026\" in the File menu.";
        QTest::newRow("cancelled") << true << "The run of CORVANE was cancelled; its results are incomplete.";
    }

    void failedStartAndCancelAreSaidNotMistakenForMissingOutput()
    {
        QFETCH(bool, started);
        QFETCH(QString, expected);
        m_platform->dialogs.fileAnswers.enqueue(QString("m.mss"));
        m_platform->processes.fake = [started](const ProcessRequest&) {
            ProcessResult result;
            result.started = started;
            result.cancelled = started;
            result.errorText = started ? QString() : QString("Permission denied");
            return result;
        };
        m_form->runEngine();
        QCOMPARE(m_platform->dialogs.messages(), QStringList{expected});
    }

    void nameWithQuoteIsRefusedBeforeAnythingRuns()
    {
        m_platform->dialogs.fileAnswers.enqueue(QString("a\"b.mss"));
        m_form->runEngine();
        QVERIFY(m_platform->processes.requests.isEmpty());
        QCOMPARE(m_platform->dialogs.messages(),
                 QStringList{"The model file name holds a double quote or a line break, which cannot be passed to "
                             "CORVANE. Rename the file and run it again."});
    }

    void engineLocationIsRegisteredAndUsed()
    {
        m_form->setEngineLocation();  // cancelled: nothing changes
        QCOMPARE(*m_platform->install.registered, engineDir() + "/tallowick2");
        m_platform->dialogs.fileAnswers.enqueue(QString("/opt/k 2/corvane"));
        m_form->setEngineLocation();
        QCOMPARE(*m_platform->install.registered, QString("/opt/k 2/corvane"));
        QCOMPARE(m_form->model().apppath, std::string("/opt/k 2"));
        QVERIFY(m_platform->dialogs.messages().isEmpty());
    }
};

TW_GUI_TEST(RunsEngineTest)
#include "runs_engine_test.moc"
