// The engine run from the main window, with the scripted platform and a fake engine:
// the messages it ends with (the engine's error lines in one list) and the output it shows.
#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

// An installation directory holding a (never started) engine.
struct Engine : InTempDir, MainSession {
    QString engineDir = path("engine dir");
    Engine()
    {
        QDir().mkpath(engineDir);
        writeFile(engineDir + "/corvane", "#!/bin/false\n");
        scripted.install.registered = engineDir + "/tallowick2";
        form.updateInstallDirectory();
    }
    ~Engine() { qDeleteAll(topLevels<TextViewer>()); }
};

}  // namespace

class RunsEngineTest : public QObject {
    Q_OBJECT

private slots:
    void runEndsWithTheRightMessages_data()
    {
        QTest::addColumn<bool>("engine");
        QTest::addColumn<QByteArray>("before");   // output left by an earlier run ("" none)
        QTest::addColumn<QByteArray>("written");  // what this run writes (null: nothing)
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("lines");  // listed under the one message of the error lines
        QTest::addColumn<int>("highlighted");    // -1: no viewer
        const QStringList notCreated{"output file (m.mss.out)not created!"};
        QTest::newRow("stale output is not success")
            << true << QByteArray("old\n") << QByteArray() << notCreated << QStringList() << -1;
        QTest::newRow("three error lines: one dialog lists them")
            << true << QByteArray() << QByteArray("head\r\nKESTON ERROR 1\r\nok\r\nKESTON ERROR 2\r\n  KESTON ERROR 3\r\n")
            << QStringList{"The engine reports errors: 3 lines of %1/m.mss.out hold \"KESTON ERROR\". Correct the "
                           "model file and run it again; the output shows these lines highlighted."}
            << QStringList{"line 2: KESTON ERROR 1", "line 4: KESTON ERROR 2", "line 5:   KESTON ERROR 3"} << 3;
        QTest::newRow("no error lines: no message") << true << QByteArray() << QByteArray("fine\n") << QStringList()
                                                    << QStringList() << 0;
        QTest::newRow("missing engine")
            << false << QByteArray() << QByteArray()
            << QStringList{"/corvane does not exist.\nChoose the CORVANE program with \"Set CORVANE location\u2026\" "
                           "in the File menu."}
            << QStringList() << -1;
    }
    void runEndsWithTheRightMessages()
    {
        QFETCH(bool, engine);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, written);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, lines);
        QFETCH(int, highlighted);
        Engine s;
        if (!lines.isEmpty())
            messages[0] = messages[0].arg(QDir::currentPath());
        if (!engine) {
            QFile::remove(s.engineDir + "/corvane");
            messages[0] = "The engine program " + s.engineDir + messages[0];
        }
        if (!before.isEmpty())
            QVERIFY(writeFile("m.mss.out", before));
        s.answerFile(QString("m.mss"));
        s.scripted.processes.fake = [written](const ProcessRequest&) {
            if (!written.isNull())
                writeFile("m.mss.out", written);
            return ran();
        };
        s.form.runEngine();
        QCOMPARE(s.dialogs.messages(), messages);
        // Every message of the run is a warning, the list of error lines included.
        QCOMPARE(s.dialogs.severities(), QList<Severity>(messages.size(), Severity::Warning));
        if (!messages.isEmpty())
            QCOMPARE(s.dialogs.asked.last().lines, lines);
        QCOMPARE(s.scripted.processes.requests.size(), engine ? 1 : 0);
        const auto viewers = topLevels<TextViewer>();
        QCOMPARE(viewers.size(), highlighted < 0 ? 0 : 1);
        if (highlighted >= 0)
            QCOMPARE(viewers[0]->highlightedLines().size(), highlighted);
    }

    // The run set the model's file to the file run: the next save copied that file's head,
    // or compared the target with a file never read as a model and let a save over the
    // model's own file through.
    void runLeavesTheModelAndItsFileAlone()
    {
        Engine s;
        QVERIFY(QFile::copy(kExample, "example.inp"));
        QVERIFY(QFile::copy(TW_TEST_DATA "/pim/twogroups/input.inp", "other.mss"));
        QVERIFY(s.form.openPimFile("example.inp"));
        const Model before = s.model();
        s.answerFile(QString("other.mss"));
        s.scripted.processes.fake = [](const ProcessRequest&) {
            writeFile("other.mss.out", "done\n");
            return ran();
        };
        s.form.runEngine();
        QCOMPARE(s.scripted.processes.requests.size(), 1);
        QCOMPARE(s.scripted.processes.requests[0].standardInput, QByteArray("i=\"other.mss\" l=\"other.mss.out\" \n"));
        QVERIFY(s.model() == before);

        s.answerFile(QString("example.inp"));
        s.form.savePims();
        QCOMPARE(s.dialogs.messages(), QStringList{"Input & Output filenames (example.inp) must be different!"});
        s.answerFile(QString("saved.mss"));
        s.form.savePims();
        QCOMPARE(bytes("saved.mss"), bytes(kExample));

        // The file run is proposed at the next run, and only there.
        s.form.runEngine();
        QCOMPARE(s.dialogs.asked.last().kind, QString("open"));
        QCOMPARE(s.dialogs.asked.last().text, QString("other.mss"));
    }
};

TW_GUI_TEST(RunsEngineTest)
#include "runs_engine_test.moc"
