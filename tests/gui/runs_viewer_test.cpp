// The text viewer: error lines highlighted, find, reload, one window per file, the
// external editor, and a file that cannot be read.
#include <QPlainTextEdit>
#include <QPointer>

#include "guitest.h"
#include "support.h"

using namespace twtest;

class RunsViewerTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    ScriptedPlatform m_platform;
    QPointer<TextViewer> m_viewer;

    QString path() const { return m_dir.filePath("run output.out"); }

private slots:
    void init()
    {
        QVERIFY(writeFile(path(), "title\r\nKESTON ERROR: one\r\nphi 0.5\r\n  KESTON ERROR: two\r\nPHI 0.7\r\n"));
        m_viewer = TextViewer::showFile(m_platform.platform, path());
        QVERIFY(m_viewer);
    }

    void cleanup() { delete m_viewer.data(); }

    void showsTheFileWithErrorLinesHighlighted()
    {
        QCOMPARE(m_viewer->text(), QString("title\nKESTON ERROR: one\nphi 0.5\n  KESTON ERROR: two\nPHI 0.7\n"));
        QCOMPARE(m_viewer->highlightedLines(), (QList<int>{1, 3}));
        QVERIFY(m_viewer->textView->isReadOnly());
        QVERIFY(QFontInfo(m_viewer->textView->font()).fixedPitch());
    }

    void findWrapsAroundAndSaysWhenAbsent()
    {
        m_viewer->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_viewer));
        QTest::keySequence(m_viewer, QKeySequence::Find);
        QVERIFY(m_viewer->findField->isVisible());
        m_viewer->findField->setText("phi");
        QVERIFY(m_viewer->findNext());
        QCOMPARE(m_viewer->textView->textCursor().blockNumber(), 2);
        QVERIFY(m_viewer->findNext());  // case-insensitive: PHI on the last line
        QCOMPARE(m_viewer->textView->textCursor().blockNumber(), 4);
        QVERIFY(m_viewer->findNext());  // wraps to the top
        QCOMPARE(m_viewer->textView->textCursor().blockNumber(), 2);
        QVERIFY(m_viewer->findPrevious());  // and back past the top
        QCOMPARE(m_viewer->textView->textCursor().blockNumber(), 4);
        m_viewer->findField->setText("absent");
        QVERIFY(!m_viewer->findNext());
    }

    void showingTheSameFileAgainReloadsTheOpenWindow()
    {
        QVERIFY(writeFile(path(), "rewritten\n"));
        QCOMPARE(TextViewer::showFile(m_platform.platform, m_dir.filePath("./run output.out")), m_viewer.data());
        QCOMPARE(m_viewer->text(), QString("rewritten\n"));
        QVERIFY(m_viewer->highlightedLines().isEmpty());
    }

    void invalidUtf8IsShownAsLatin1NotDropped()
    {
        QVERIFY(writeFile(path(), "caf\xe9\n"));
        QVERIFY(m_viewer->reload());
        QCOMPARE(m_viewer->text(), QString::fromLatin1("caf\xe9\n"));
    }

    void externalEditorAndUnreadableFile()
    {
        m_viewer->openExternally();
        QCOMPARE(m_platform.processes.opened, QStringList{path()});
        QVERIFY(!TextViewer::showFile(m_platform.platform, m_dir.filePath("missing.out")));
        QCOMPARE(m_platform.dialogs.messages(),
                 QStringList{"Cannot open " + m_dir.filePath("missing.out") + ": No such file or directory"});
    }
};

TW_GUI_TEST(RunsViewerTest)
#include "runs_viewer_test.moc"
