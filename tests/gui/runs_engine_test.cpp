// The engine run and the engine location, with the scripted platform and a fake engine.
#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

// An installation directory holding a (never started) engine; the model names keep.mss.
struct Engine : InTempDir, Session {
    QString engineDir = path("engine dir");
    Engine()
    {
        QDir().mkpath(engineDir);
        writeFile(engineDir + "/corvane", "#!/bin/false\n");
        scripted.install.registered = engineDir + "/tallowick2";
        form.updateAppPath();
        model().infile = "keep.mss";
    }
    ~Engine() { qDeleteAll(topLevels<TextViewer>()); }
};

QStringList messagesTitled(const ScriptedDialogs& dialogs, const QString& title)
{
    QStringList texts;
    for (const auto& asked : dialogs.asked)
        if (asked.kind == "message" && asked.title == title)
            texts.append(asked.text);
    return texts;
}

}  // namespace

class RunsEngineTest : public QObject {
    Q_OBJECT

private slots:
    void cancelledDialogRunsNothingAndKeepsInfile()
    {
        Engine s;
        s.form.runEngine();
        QCOMPARE(s.dialogs.asked.size(), 1);
        QCOMPARE(s.dialogs.asked[0].title, QString("corvane input filename"));
        QCOMPARE(s.dialogs.asked[0].text, QString("quarlet.mss"));
        QVERIFY(s.scripted.processes.requests.isEmpty());
        QCOMPARE(s.model().infile, std::string("keep.mss"));
    }

    void engineGetsItsLineFromTheInstallationDirectory()
    {
        Engine s;
        s.answerFile(QString("my model;$x.mss"));
        s.scripted.processes.fake = [](const ProcessRequest&) { return ran(); };
        s.form.runEngine();
        QCOMPARE(s.model().infile, std::string("my model;$x.mss"));
        QCOMPARE(s.scripted.processes.requests.size(), 1);
        const ProcessRequest& request = s.scripted.processes.requests[0];
        QCOMPARE(request.program, s.engineDir + "/corvane");
        QVERIFY(request.arguments.isEmpty());
        QCOMPARE(request.standardInput, QByteArray("i=\"my model;$x.mss\" l=\"my model;$x.mss.out\" \n"));
    }

    void outputMessages_data()
    {
        QTest::addColumn<QByteArray>("before");   // output left by an earlier run ("" none)
        QTest::addColumn<QByteArray>("written");  // what this run writes (null: nothing)
        QTest::addColumn<QStringList>("oops");
        QTest::addColumn<QStringList>("errorBoxes");
        QTest::addColumn<int>("highlighted");  // -1: no viewer
        const QStringList notCreated{"output file (m.mss.out)not created!"};
        QByteArray twelve;
        QStringList tenBoxes;
        for (int i = 1; i <= 12; ++i) {
            twelve += "KESTON ERROR " + QByteArray::number(i) + "\n";
            if (i <= 10)
                tenBoxes << "KESTON ERROR " + QString::number(i);
        }
        QTest::newRow("missing output") << QByteArray() << QByteArray() << notCreated << QStringList() << -1;
        QTest::newRow("stale output is not success")
            << QByteArray("old\n") << QByteArray() << notCreated << QStringList() << -1;
        QTest::newRow("three error lines")
            << QByteArray() << QByteArray("head\r\nKESTON ERROR 1\r\nok\r\nKESTON ERROR 2\r\n  KESTON ERROR 3\r\n")
            << QStringList() << QStringList{"KESTON ERROR 1", "KESTON ERROR 2", "  KESTON ERROR 3"} << 3;
        QTest::newRow("error flood capped")
            << QByteArray("old\n") << twelve << QStringList()
            << tenBoxes + QStringList{"2 more lines hold \"KESTON ERROR\"; all of them are highlighted in the output."}
            << 12;
        QTest::newRow("clean output") << QByteArray() << QByteArray("fine\n") << QStringList() << QStringList() << 0;
    }
    void outputMessages()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, written);
        QFETCH(int, highlighted);
        Engine s;
        if (!before.isEmpty())
            QVERIFY(writeFile("m.mss.out", before));
        s.answerFile(QString("m.mss"));
        s.scripted.processes.fake = [written](const ProcessRequest&) {
            if (!written.isNull())
                writeFile("m.mss.out", written);
            return ran();
        };
        s.form.runEngine();
        QTEST(messagesTitled(s.dialogs, "oops!"), "oops");
        QTEST(messagesTitled(s.dialogs, "corvane error"), "errorBoxes");
        const auto viewers = topLevels<TextViewer>();
        QCOMPARE(viewers.size(), highlighted < 0 ? 0 : 1);
        if (highlighted >= 0)
            QCOMPARE(viewers[0]->highlightedLines().size(), highlighted);
    }

    void refusedRunsSayWhy_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("engine");  // 0 missing, 1 fails to start, 2 cancelled
        QTest::addColumn<QString>("expected");
        const QString choose = "\nChoose the CORVANE program with \"Set CORVANE location\u2026\" in the File menu.";
        QTest::newRow("missing engine") << "m.mss" << 0 << "/corvane does not exist." + choose;
        QTest::newRow("not started")
            << "m.mss" << 1 << "/corvane could not be started (Permission denied)." + choose;
        QTest::newRow("cancelled") << "m.mss" << 2 << "The run of CORVANE was cancelled; its results are incomplete.";
        QTest::newRow("name with a quote") << "a\"b.mss" << 2
                                           << "The model file name holds a double quote or a line break, which cannot "
                                              "be passed to CORVANE. Rename the file and run it again.";
    }
    void refusedRunsSayWhy()
    {
        QFETCH(QString, file);
        QFETCH(int, engine);
        QFETCH(QString, expected);
        Engine s;
        if (engine == 0)
            QFile::remove(s.engineDir + "/corvane");
        if (expected.startsWith('/'))
            expected = "The engine program " + s.engineDir + expected;
        s.answerFile(file);
        s.scripted.processes.fake = [engine](const ProcessRequest&) {
            ProcessResult result;
            result.started = result.cancelled = engine == 2;
            result.errorText = engine == 1 ? "Permission denied" : "";
            return result;
        };
        s.form.runEngine();
        QCOMPARE(s.dialogs.messages(), QStringList{expected});
        QCOMPARE(s.scripted.processes.requests.size(), engine == 0 || file.contains('"') ? 0 : 1);
    }

    void engineLocationIsRegisteredAndUsed()
    {
        Engine s;
        s.form.setEngineLocation();  // cancelled: nothing changes
        QCOMPARE(*s.scripted.install.registered, s.engineDir + "/tallowick2");
        s.answerFile(QString("/opt/k 2/corvane"));
        s.form.setEngineLocation();
        QCOMPARE(*s.scripted.install.registered, QString("/opt/k 2/corvane"));
        QCOMPARE(s.model().apppath, std::string("/opt/k 2"));
        QVERIFY(s.dialogs.messages().isEmpty());
    }
};

TW_GUI_TEST(RunsEngineTest)
#include "runs_engine_test.moc"
