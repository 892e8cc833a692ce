// The main window with bad model files: the message of each is shown as the readers
// give it (file and line), and the model and its dimensions label stay as they were.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include "app/mainwindow.h"
#include "guitest.h"
#include "platform/scripted.h"

namespace {

QString dataFile(const QString& name) { return QStringLiteral(TW_TEST_DATA) + "/" + name; }

class BadInputWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_oldDir;
    std::unique_ptr<tw::ScriptedPlatform> m_platform;
    std::unique_ptr<tw::Form1> m_window;

private slots:
    void init()
    {
        m_oldDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        m_platform = std::make_unique<tw::ScriptedPlatform>();
        m_window = std::make_unique<tw::Form1>(m_platform->platform);
        m_window->exitProgram = [] {};
        QFile::remove("m.inp");
        QFile::copy(dataFile("pim/example26/input.inp"), "m.inp");
        QVERIFY(m_window->openPimFile("m.inp"));
        m_platform->dialogs.asked.clear();
    }

    void cleanup()
    {
        m_window.reset();
        QDir::setCurrent(m_oldDir);
    }

    void badFileShowsItsMessageAndKeepsTheModel_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("binary") << "binary-garbage.inp"
                                << "binary-garbage.inp, line 13: the file ends before the COHORT line";
        QTest::newRow("truncated") << "truncated-in-survival-block.inp"
                                   << "truncated-in-survival-block.inp, line 12: the file ends before the survival "
                                      "block of group 1, stratum 2";
        QTest::newRow("16 bits") << "pim-value-beyond-16-bits.inp"
                                 << "pim-value-beyond-16-bits.inp, line 16: the value 40000 in the survival block of "
                                    "group 2, stratum 1 lies outside -32768..32767";
        QTest::newRow("NYRS=0") << "nyrs-zero.inp" << "nyrs-zero.inp, line 2: NYRS=0 lies outside 1..32767";
        QTest::newRow("CR only") << "cr-only-line-ends.inp"
                                 << "cr-only-line-ends.inp, line 1: the file ends before the survival block of group "
                                    "1, stratum 1; its lines end in a carriage return alone, which is not read as a "
                                    "line end (convert the file to LF or CR LF line ends)";
    }

    void badFileShowsItsMessageAndKeepsTheModel()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        const tw::Model before = m_window->model();
        const QString caption = m_window->Label1->text();
        QFile::remove(file);
        QVERIFY(QFile::copy(dataFile("bad/" + file), file));
        QVERIFY(!m_window->openPimFile(file));
        QCOMPARE(m_platform->dialogs.messages(), QStringList{message});
        QVERIFY(m_window->model() == before);
        QCOMPARE(m_window->Label1->text(), caption);
    }
};

}  // namespace

TW_GUI_TEST(BadInputWindowTest)
#include "badinput_window_test.moc"
