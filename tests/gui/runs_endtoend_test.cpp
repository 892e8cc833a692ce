// Whole roads with the stand-in programs as real processes: the engine run on a model
// file and the conversion of a capture-history file, with blanks in program and file
// names, read back in the text viewer.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include "app/mainwindow.h"
#include "convert/widgets/form3.h"
#include "guitest.h"
#include "platform/scripted.h"
#include "runs/widgets/textviewer.h"

using namespace tw;

namespace {

TextViewer* viewerOf(const QString& path)
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* viewer = qobject_cast<TextViewer*>(window);
            viewer && QFileInfo(viewer->path()).absoluteFilePath() == QFileInfo(path).absoluteFilePath())
            return viewer;
    return nullptr;
}

void copyTo(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).path());
    QFile::remove(to);
    QVERIFY2(QFile::copy(from, to), qPrintable(from));
}

}  // namespace

class RunsEndToEndTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_previous;
    std::unique_ptr<ScriptedPlatform> m_platform;

    QString builtProgram(const char* name) const { return QString(TW_BINARY_DIR "/app/") + name; }

private slots:
    void init()
    {
        m_previous = QDir::currentPath();
        QDir().mkpath(m_dir.filePath("work dir"));
        QDir::setCurrent(m_dir.filePath("work dir"));
        m_platform = std::make_unique<ScriptedPlatform>();  // real processes: no fake runner
    }

    void cleanup()
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (qobject_cast<TextViewer*>(window))
                delete window;
        m_platform.reset();
        QDir::setCurrent(m_previous);
    }

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
        QString engineDir = TW_BINARY_DIR "/app";
        if (copiedEngine) {
            engineDir = m_dir.filePath("my engines");
            copyTo(builtProgram("corvane"), engineDir + "/corvane");
        }
        m_platform->install.registered = engineDir + "/tallowick2";
        QFile source(TW_TEST_DATA "/runs/twostrata.mss");
        QVERIFY(source.open(QIODevice::ReadOnly));
        QByteArray model = source.readAll();
        if (!cut.isEmpty())
            model.replace(cut, "");
        const QString input = m_dir.filePath("my models/two strata & $more.mss");
        QDir().mkpath(QFileInfo(input).path());
        QFile file(input);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(model);
        file.close();
        QFile::remove(input + ".out");

        Form1 form(m_platform->platform);
        form.exitProgram = [] {};
        m_platform->dialogs.fileAnswers.enqueue(input);
        form.runEngine();

        QCOMPARE(m_platform->dialogs.messages(), errors);
        TextViewer* viewer = viewerOf(input + ".out");
        QVERIFY(viewer);
        QVERIFY(viewer->text().contains("Input file: " + input + "\n"));
        QVERIFY(viewer->text().contains("Dimensions: NPAR=24 GROUPS=1 NAGE=1 STRATA=2 NYRS=3"));
        QCOMPARE(viewer->highlightedLines().size(), static_cast<int>(errors.size()));
    }

    void bundledExampleSavedWithPimsRunsWithoutErrors()
    {
        m_platform->install.registered = TW_BINARY_DIR "/app/tallowick2";
        Form1 form(m_platform->platform);
        form.exitProgram = [] {};
        QVERIFY(form.openPimFile(TW_SOURCE_DIR "/examples/example.inp"));
        const QString saved = m_dir.filePath("work dir/saved model.mss");
        m_platform->dialogs.fileAnswers.enqueue(saved);
        form.savePims();
        QVERIFY(QFile::exists(saved));
        m_platform->dialogs.fileAnswers.enqueue(saved);
        form.runEngine();

        QCOMPARE(m_platform->dialogs.messages(), QStringList());
        QCOMPARE(form.model().infile, saved.toStdString());
        TextViewer* viewer = viewerOf(saved + ".out");
        QVERIFY(viewer);
        QVERIFY(viewer->text().contains("Dimensions: NPAR=252 GROUPS=2 NAGE=2 STRATA=3 NYRS=5"));
        QVERIFY(viewer->text().contains("Structure check: no errors."));
    }

    void conversionWritesTheListing()
    {
        const QString installDir = m_dir.filePath("my tools");
        copyTo(builtProgram("hadleck"), installDir + "/hadleck");
        const QString captures = m_dir.filePath("raw data/captures; 2024.cap");
        copyTo(TW_SOURCE_DIR "/examples/captures.cap", captures);

        QPointer<Form3> form = new Form3(m_platform->platform, [&] { return installDir; });
        form->show();
        form->txt_infile->setText(captures);
        form->convert();

        QVERIFY(m_platform->dialogs.messages().isEmpty());
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
