// The main window's PIM-road commands: dialogs, messages, menus and the dimensions label.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/mainwindow.h"
#include "guitest.h"
#include "platform/scripted.h"

namespace {

QString dataFile(const QString& name)
{
    return QStringLiteral(TW_TEST_DATA) + "/pim/" + name;
}

QByteArray bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class PimCommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_oldDir;
    std::unique_ptr<tw::ScriptedPlatform> m_platform;
    std::unique_ptr<tw::Form1> m_window;
    bool m_ended = false;

    tw::ScriptedDialogs& dialogs() { return m_platform->dialogs; }

    // Reads the example of the format through the menu command.
    void readExample()
    {
        QFile::copy(dataFile("example26/input.inp"), "m.inp");
        dialogs().fileAnswers.enqueue(QString("m.inp"));
        m_window->getPimFile();
        dialogs().asked.clear();
    }

private slots:
    void init()
    {
        m_oldDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        QFile::remove("m.inp");
        QFile::remove("quarlet.mss");
        m_platform = std::make_unique<tw::ScriptedPlatform>();
        m_window = std::make_unique<tw::Form1>(m_platform->platform);
        m_ended = false;
        m_window->exitProgram = [this] { m_ended = true; };
    }

    void cleanup()
    {
        m_window.reset();
        QDir::setCurrent(m_oldDir);
    }

    void readingSetsLabelAndEnablesBothSaves()
    {
        QFile::copy(dataFile("example26/input.inp"), "m.inp");
        dialogs().fileAnswers.enqueue(QString("m.inp"));
        m_window->getPimFile();
        QCOMPARE(dialogs().asked.size(), 1);
        QCOMPARE(dialogs().asked[0].kind, QString("open"));
        QCOMPARE(dialogs().asked[0].title, QString("PIM input file"));
        QCOMPARE(dialogs().asked[0].text, QString("*.*"));
        QCOMPARE(m_window->Label1->text(), QString("npar=24 nyrs=3 nstrat=2"));
        QVERIFY(m_window->menu_save->isEnabled());
        QVERIFY(m_window->menu_savepims->isEnabled());
        QVERIFY(!m_window->menu_cnvtcons->isEnabled());
        QVERIFY(!m_window->ProgressBar1->isVisible());
        QCOMPARE(m_window->model().npar, 24);
        QCOMPARE(QString::fromStdString(m_window->model().infile), QString("m.inp"));
    }

    // Cancelling the file dialog must not end the program or touch the model.
    void cancelledOpenDialogSaysNoFileSelectedAndKeepsTheModel_data()
    {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::newRow("cancel") << std::optional<QString>();
        QTest::newRow("empty") << std::optional<QString>(QString());
        QTest::newRow("pattern") << std::optional<QString>(QString("*.*"));
    }
    void cancelledOpenDialogSaysNoFileSelectedAndKeepsTheModel()
    {
        QFETCH(std::optional<QString>, answer);
        readExample();
        const tw::Model before = m_window->model();
        dialogs().fileAnswers.enqueue(answer);
        m_window->getPimFile();
        QCOMPARE(dialogs().messages(), QStringList{"No file selected"});
        QVERIFY(!m_ended);
        QVERIFY(m_window->model() == before);
        QVERIFY(m_window->menu_savepims->isEnabled());
    }

    void failedReadShowsWhereAndKeepsModelAndLabel()
    {
        readExample();
        const tw::Model before = m_window->model();
        QFile bad("bad.inp");
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("PROC TITLE 'cut';\nPROC MODEL GROUPS=3 NPAR=4;\n");
        bad.close();
        QVERIFY(!m_window->openPimFile("bad.inp"));
        QCOMPARE(dialogs().messages(), QStringList{"bad.inp, line 2: the file ends before the COHORT line"});
        QVERIFY(m_window->model() == before);
        QCOMPARE(m_window->Label1->text(), QString("npar=24 nyrs=3 nstrat=2"));
    }

    void unsavedModelIsReplacedOnlyWhenConfirmed()
    {
        readExample();
        m_window->model().markChanged();
        const tw::Model before = m_window->model();
        dialogs().okCancelAnswers.enqueue(false);
        QVERIFY(!m_window->openPimFile(dataFile("twogroups/input.inp")));
        QVERIFY(m_window->model() == before);
        dialogs().okCancelAnswers.enqueue(true);
        QVERIFY(m_window->openPimFile(dataFile("twogroups/input.inp")));
        QCOMPARE(m_window->model().groups, 2);
        QCOMPARE(m_window->model().unsaved, 0);
    }

    void cancelledSaveDialogWritesNothing()
    {
        readExample();
        m_window->model().markChanged();
        m_window->savePims();
        QCOMPARE(dialogs().asked.size(), 1);
        QCOMPARE(dialogs().asked[0].kind, QString("save"));
        QCOMPARE(dialogs().asked[0].title, QString("save as"));
        QCOMPARE(dialogs().asked[0].text, QString("quarlet.mss"));
        QVERIFY(!QFile::exists("quarlet.mss"));
        QCOMPARE(m_window->model().unsaved, 1);
    }

    void saveWritesTheFileAndClearsUnsaved()
    {
        readExample();
        m_window->model().markChanged();
        dialogs().fileAnswers.enqueue(QString("quarlet.mss"));
        m_window->savePims();
        QCOMPARE(dialogs().messages(), QStringList{});
        QCOMPARE(bytes("quarlet.mss"), bytes(dataFile("example26/expected.inp")));
        QCOMPARE(m_window->model().unsaved, 0);
        QVERIFY(!m_window->ProgressBar1->isVisible());
    }

    void progressBarMovesDuringReadAndSaveThenHides()
    {
        QList<QPair<int, bool>> seen;
        QObject::connect(m_window->ProgressBar1, &QProgressBar::valueChanged, m_window.get(),
                         [&](int value) { seen.append({value, !m_window->ProgressBar1->isHidden()}); });
        readExample();
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen.last(), qMakePair(100, true));
        QVERIFY(m_window->ProgressBar1->isHidden());
        seen.clear();
        dialogs().fileAnswers.enqueue(QString("quarlet.mss"));
        m_window->savePims();
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen.last(), qMakePair(100, true));
        QVERIFY(m_window->ProgressBar1->isHidden());
    }

    void saveOverTheInputIsRefusedWithAMessage()
    {
        readExample();
        m_window->model().markChanged();
        const QByteArray original = bytes("m.inp");
        dialogs().fileAnswers.enqueue(m_dir.path() + "/m.inp");
        m_window->savePims();
        QCOMPARE(dialogs().messages(), QStringList{"Input & Output filenames (m.inp) must be different!"});
        QCOMPARE(bytes("m.inp"), original);
        QCOMPARE(m_window->model().unsaved, 1);
    }
};

}  // namespace

TW_GUI_TEST(PimCommandsTest)
#include "pim_commands_test.moc"
