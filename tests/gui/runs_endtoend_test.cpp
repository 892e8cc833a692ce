// Whole roads with the stand-in programs as real processes: the engine run on a model
// file and the conversion of a capture-history file, with blanks in program and file
// names, read back in the text viewer.
#include <QPointer>

#include "convert/widgets/form3.h"
#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

void copyTo(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).path());
    QVERIFY2(QFile::copy(from, to), qPrintable(from));
}

// Works in a directory with a blank in its name; real processes: no fake runner.
struct EndToEnd {
    QTemporaryDir top;
    QString previous = QDir::currentPath();
    EndToEnd()
    {
        QDir().mkpath(top.filePath("work dir"));
        QDir::setCurrent(top.filePath("work dir"));
    }
    ~EndToEnd()
    {
        qDeleteAll(topLevels<TextViewer>());
        QDir::setCurrent(previous);
    }
    QString path(const QString& name) const { return top.filePath(name); }
};

}  // namespace

class RunsEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void engineRunReadsItsOutputInTheViewer_data()
    {
        QTest::addColumn<bool>("copiedEngine");  // run from a directory with a blank in its name
        QTest::addColumn<QByteArray>("cut");     // text removed from the model file
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("built engine, sound model") << false << QByteArray() << QStringList();
        QTest::newRow("engine in a directory with blanks, model without stop")
            << true << QByteArray("PROC STOP;") << QStringList{"KESTON ERROR: no \"PROC STOP;\" statement"};
    }
    void engineRunReadsItsOutputInTheViewer()
    {
        QFETCH(bool, copiedEngine);
        QFETCH(QByteArray, cut);
        QFETCH(QStringList, errors);
        EndToEnd e;
        QString engineDir = kBin;
        if (copiedEngine) {
            engineDir = e.path("my engines/");
            copyTo(kBin + "corvane", engineDir + "corvane");
        }
        const QString input = e.path("my models/two strata & $more.mss");
        QDir().mkpath(QFileInfo(input).path());
        QVERIFY(writeFile(input, bytes(TW_TEST_DATA "/runs/twostrata.mss").replace(cut, "")));

        Session s;
        s.scripted.install.registered = engineDir + "tallowick2";
        s.form.updateAppPath();
        s.answerFile(input);
        s.form.runEngine();

        QCOMPARE(s.dialogs.messages(), errors);
        TextViewer* viewer = viewerOf(input + ".out");
        QVERIFY(viewer);
        QVERIFY(viewer->text().contains("Input file: " + input + "\n"));
        QVERIFY(viewer->text().contains("Dimensions: NPAR=24 GROUPS=1 NAGE=1 STRATA=2 NYRS=3"));
        QCOMPARE(viewer->highlightedLines().size(), static_cast<int>(errors.size()));
    }

    void bundledExampleSavedWithPimsRunsWithoutErrors()
    {
        EndToEnd e;
        Session s;
        s.scripted.install.registered = kBin + "tallowick2";
        s.form.updateAppPath();
        QVERIFY(s.form.openPimFile(kExample));
        const QString saved = e.path("work dir/saved model.mss");
        s.answerFile(saved);
        s.form.savePims();
        s.answerFile(saved);
        s.form.runEngine();

        QCOMPARE(s.dialogs.messages(), QStringList());
        QCOMPARE(s.model().infile, saved.toStdString());
        TextViewer* viewer = viewerOf(saved + ".out");
        QVERIFY(viewer);
        QVERIFY(viewer->text().contains("Dimensions: NPAR=252 GROUPS=2 NAGE=2 STRATA=3 NYRS=5"));
        QVERIFY(viewer->text().contains("Structure check: no errors."));
    }

    void conversionWritesTheListing()
    {
        EndToEnd e;
        ScriptedPlatform scripted;
        const QString installDir = e.path("my tools");
        copyTo(kBin + "hadleck", installDir + "/hadleck");
        const QString captures = e.path("raw data/captures; 2024.cap");
        copyTo(TW_SOURCE_DIR "/examples/captures.cap", captures);

        QPointer<Form3> form = new Form3(scripted.platform, [&] { return installDir; });
        form->show();
        form->txt_infile->setText(captures);
        form->convert();

        QVERIFY(scripted.dialogs.messages().isEmpty());
        QVERIFY(QFile::exists("vostel4.tm2"));
        TextViewer* viewer = viewerOf("hadleck.out");
        QVERIFY(viewer);
        const QString listing = viewer->text();
        for (const char* expected :
             {"Records: 9\n", "Animals: 9\n", "  stratum 1 (code 1): 4\n", "  stratum 3 (code 3): 2\n",
              "Records that do not fit the answers: 1\n", "  line 7: no capture in the history\n"})
            QVERIFY2(listing.contains(expected), expected);
        QVERIFY(listing.contains("  Input file: " + captures + "\n"));
        QTRY_VERIFY(form.isNull());
    }
};

TW_GUI_TEST(RunsEndToEndTest)
#include "runs_endtoend_test.moc"
