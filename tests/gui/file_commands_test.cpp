// The main window's file commands on both roads (PIMs and constraints): the dialogs,
// the messages, the menus and the dimensions label they leave, and the files written.
#include <QProgressBar>

#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

const QString kExample26 = TW_TEST_DATA "/pim/example26/input.inp";

using Command = void (Form1::*)();

enum Road { Pims, Constraints };

// Reads the file through the road's menu command, answering the file dialog.
void readThrough(Session& s, Road road, const QString& file)
{
    s.answerFile(file);
    if (road == Pims)
        s.form.getPimFile();
    else
        s.form.getConstraintsFile();
}

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void fileDialogWithoutAFileEndsOnlyTheCommand_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("proposed");
        const struct {
            const char* name;
            const char* title;
            QString proposed;
        } commands[] = {{"PIM read", "PIM input file", "*.*"},
                        {"constraints read", "CORVANE input file", "*.*"},
                        {"conversion", "CONSTRAINTs file", kModel1},
                        {"per-period run", "CORVANE input file", "*.*"}};
        for (int c = 0; c < 4; ++c) {
            QTest::addRow("%s, cancelled", commands[c].name)
                << c << std::optional<QString>() << commands[c].title << commands[c].proposed;
            QTest::addRow("%s, empty", commands[c].name)
                << c << std::optional<QString>("") << commands[c].title << commands[c].proposed;
            QTest::addRow("%s, pattern", commands[c].name)
                << c << std::optional<QString>("*.*") << commands[c].title << commands[c].proposed;
        }
    }
    void fileDialogWithoutAFileEndsOnlyTheCommand()
    {
        QFETCH(int, command);
        QFETCH(std::optional<QString>, answer);
        const Command commands[] = {&Form1::getPimFile, &Form1::getConstraintsFile, &Form1::convertConstraints,
                                    &Form1::runEachPeriod};
        InTempDir dir;
        Session s;
        readThrough(s, Constraints, kModel1);
        s.dialogs.asked.clear();
        const Model before = s.model();
        s.scripted.processes.fake = [](const ProcessRequest&) { return ran(); };
        s.answerFile(answer);
        (s.form.*commands[command])();
        QTEST(s.dialogs.asked.first().title, "title");
        QTEST(s.dialogs.asked.first().text, "proposed");
        QCOMPARE(s.dialogs.messages(), QStringList{"No file selected"});
        QCOMPARE(s.exits, 0);
        QVERIFY(s.model() == before);
        QVERIFY(s.form.menu_cnvtcons->isEnabled());
        QVERIFY(!s.form.menu_savepims->isEnabled());
        QVERIFY(s.scripted.processes.requests.isEmpty());
        QVERIFY(!QFile::exists("Tallowick2.log"));
    }

    void readSetsLabelListAndMenus_data()
    {
        QTest::addColumn<int>("road");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("fixed");
        QTest::addColumn<bool>("savePims");  // Save w/ constraints is always enabled after a read
        QTest::addColumn<int>("unsaved");
        QTest::newRow("PIMs") << int(Pims) << kExample26 << "npar=24 nyrs=3 nstrat=2" << QStringList() << true << 0;
        QTest::newRow("constraints") << int(Constraints) << kModel1 << "npar=10 nyrs=3 nstrat=1"
                                     << QStringList{"S(7)=.5 /* c 2 1 */;"} << false << 1;
    }
    void readSetsLabelListAndMenus()
    {
        QFETCH(int, road);
        QFETCH(QString, file);
        QFETCH(QStringList, fixed);
        QFETCH(bool, savePims);
        InTempDir dir;
        Session s;
        readThrough(s, Road(road), file);
        QVERIFY(s.dialogs.messages().isEmpty());
        QTEST(s.form.Label1->text(), "label");
        QTEST(s.model().unsaved, "unsaved");
        QCOMPARE(QString::fromStdString(s.model().infile), file);
        QStringList shown;
        for (int i = 0; i < s.form.List1->count(); ++i)
            shown << s.form.List1->item(i)->text();
        QCOMPARE(shown, fixed);
        QVERIFY(!s.form.List1->isVisibleTo(&s.form));  // Done ends the read
        QVERIFY(!s.form.ProgressBar1->isVisibleTo(&s.form));
        QVERIFY(s.form.menu_save->isEnabled());
        QCOMPARE(s.form.menu_savepims->isEnabled(), savePims);
        QCOMPARE(s.form.menu_cnvtcons->isEnabled(), !savePims);
        if (road == Constraints)
            QCOMPARE(bytes("quarlet.chk"), bytes(TW_TEST_DATA "/constraints/model1.chk"));
    }

    void failedReadKeepsModelLabelAndMenus_data()
    {
        QTest::addColumn<int>("road");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bad");
        QTest::addColumn<QString>("message");
        QTest::newRow("PIMs") << int(Pims) << kExample26 << QByteArray("PROC TITLE 'cut';\nPROC MODEL GROUPS=3 NPAR=4;\n")
                              << "bad.inp, line 2: the file ends before the COHORT line";
        QTest::newRow("constraints") << int(Constraints) << kModel1
                                     << QByteArray("PROC MODEL NPAR=2;\nCOHORT;\nCONSTRAINTS;\nS(3)=S(1);\n")
                                     << "bad.inp, line 4: cell number 3 is not a whole number in 1..2";
    }
    void failedReadKeepsModelLabelAndMenus()
    {
        QFETCH(int, road);
        QFETCH(QString, file);
        QFETCH(QByteArray, bad);
        InTempDir dir;
        Session s;
        readThrough(s, Road(road), file);
        const Model before = s.model();
        const QString label = s.form.Label1->text();
        const bool savePims = s.form.menu_savepims->isEnabled();
        QVERIFY(writeFile("bad.inp", bad));
        s.dialogs.okCancelAnswers.enqueue(true);  // replace an unsaved model
        readThrough(s, Road(road), "bad.inp");
        QTEST(s.dialogs.messages().last(), "message");
        QVERIFY(s.model() == before);
        QCOMPARE(s.form.Label1->text(), label);
        QVERIFY(s.form.menu_save->isEnabled());
        QCOMPARE(s.form.menu_savepims->isEnabled(), savePims);
    }

    void unsavedModelIsReplacedOnlyWhenConfirmed()
    {
        Session s;
        QVERIFY(s.form.openPimFile(kExample26));
        s.model().markChanged();
        const Model before = s.model();
        s.dialogs.okCancelAnswers.enqueue(false);
        QVERIFY(!s.form.openPimFile(TW_TEST_DATA "/pim/twogroups/input.inp"));
        QVERIFY(s.model() == before);
        s.dialogs.okCancelAnswers.enqueue(true);
        QVERIFY(s.form.openPimFile(TW_TEST_DATA "/pim/twogroups/input.inp"));
        QCOMPARE(s.model().groups, 2);
        QCOMPARE(s.model().unsaved, 0);
    }

    void saveWritesOnlyANewFile_data()
    {
        QTest::addColumn<int>("road");
        QTest::addColumn<QString>("source");  // copied to "input" and read
        QTest::addColumn<QString>("input");
        QTest::addColumn<std::optional<QString>>("answer");  // the save dialog's, PIMs only
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("golden");  // empty: the save must not happen
        QTest::addColumn<QStringList>("messages");
        const QString expected26 = TW_TEST_DATA "/pim/example26/expected.inp";
        QTest::newRow("PIMs") << int(Pims) << kExample26 << "m.inp" << std::optional<QString>("quarlet.mss")
                              << "quarlet.mss" << expected26 << QStringList();
        QTest::newRow("PIMs, dialog cancelled") << int(Pims) << kExample26 << "m.inp" << std::optional<QString>()
                                                << "quarlet.mss" << QString() << QStringList();
        QTest::newRow("PIMs over the input")
            << int(Pims) << kExample26 << "m.inp" << std::optional<QString>("m.inp") << "m.inp" << QString()
            << QStringList{"Input & Output filenames (m.inp) must be different!"};
        QTest::newRow("constraints") << int(Constraints) << kModel1 << "m.inp" << std::optional<QString>()
                                     << "QUARLET.OUT" << QString(TW_TEST_DATA "/constraints/model1.out")
                                     << QStringList{"New CORVANE input file saved as QUARLET.OUT"};
        QTest::newRow("constraints over the input")
            << int(Constraints) << kModel1 << "QUARLET.OUT" << std::optional<QString>() << "QUARLET.OUT" << QString()
            << QStringList{"Input & Output filenames (QUARLET.OUT) must be different!"};
    }
    void saveWritesOnlyANewFile()
    {
        QFETCH(int, road);
        QFETCH(QString, source);
        QFETCH(QString, input);
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, output);
        QFETCH(QString, golden);
        InTempDir dir;
        Session s;
        QVERIFY(QFile::copy(source, input));
        readThrough(s, Road(road), input);
        s.model().markChanged();
        s.dialogs.asked.clear();
        if (road == Pims) {
            s.answerFile(answer ? std::optional<QString>(dir.path(*answer)) : answer);
            s.form.menu_savepims->trigger();
            QCOMPARE(s.dialogs.asked[0].kind, QString("save"));
            QCOMPARE(s.dialogs.asked[0].title, QString("save as"));
            QCOMPARE(s.dialogs.asked[0].text, QString("quarlet.mss"));
        } else {
            s.form.menu_save->trigger();
        }
        QTEST(s.dialogs.messages(), "messages");
        QCOMPARE(s.exits, 0);
        QCOMPARE(s.model().unsaved, golden.isEmpty() ? 1 : 0);
        if (!golden.isEmpty())
            QCOMPARE(bytes(output), bytes(golden));
        else if (output == input)
            QCOMPARE(bytes(output), bytes(source));
        else
            QVERIFY(!QFile::exists(output));
    }

    void progressBarMovesDuringReadAndSaveThenHides()
    {
        InTempDir dir;
        Session s;
        QList<QPair<int, bool>> seen;
        QObject::connect(s.form.ProgressBar1, &QProgressBar::valueChanged, &s.form,
                         [&](int value) { seen.append({value, !s.form.ProgressBar1->isHidden()}); });
        readThrough(s, Pims, kExample26);
        QCOMPARE(seen.last(), qMakePair(100, true));
        QVERIFY(s.form.ProgressBar1->isHidden());
        seen.clear();
        s.answerFile(QString("quarlet.mss"));
        s.form.savePims();
        QCOMPARE(seen.last(), qMakePair(100, true));
        QVERIFY(s.form.ProgressBar1->isHidden());
    }

    void conversionProposesTheInputAndEnablesSavePims()
    {
        InTempDir dir;
        Session s;
        readThrough(s, Constraints, kModel1);
        QVERIFY(writeFile("small.inp", "PROC MODEL NPAR=9;\nCOHORT;\nNAME=X;\nCONSTRAINTS;\nPROC TEST;\n"));
        s.answerFile(QString("small.inp"));
        s.form.menu_cnvtcons->trigger();
        QCOMPARE(s.dialogs.messages(),
                 QStringList{"small.inp, line 1: the file states NPAR=9 but the loaded model has npar=10"});
        QVERIFY(!s.form.menu_savepims->isEnabled());

        s.answerFile(TW_TEST_DATA "/constraints/model1-convert.inp");
        s.form.menu_cnvtcons->trigger();
        QCOMPARE(s.dialogs.messages().size(), 1);
        QCOMPARE(s.dialogs.asked.last().title, QString("CONSTRAINTs file"));
        QVERIFY(s.form.menu_savepims->isEnabled());
        QCOMPARE(s.model().dmrows, 0.0);
        QCOMPARE(s.model().pim[3], std::int16_t(1));
        QCOMPARE(s.model().initval[10], 0.25);
    }

    void allFixedIsReportedOnce()
    {
        InTempDir dir;
        Session s;
        s.model().npar = 4;
        createCellArrays(s.model());
        s.model().pim[4] = 0;
        s.model().fixedlist = {"S(1)=.5", "S(2)=.5", "S(3)=.5"};
        s.form.refreshFixedList();
        s.form.Label1->setText("npar=4");
        s.form.menu_point->trigger();
        QCOMPARE(s.dialogs.messages(), QStringList{"All params are fixed. Nothing to estimate"});
        QCOMPARE(s.form.Label1->text(), QString("npar=4"));
        QVERIFY(!s.form.ProgressBar1->isVisibleTo(&s.form));
        QVERIFY(QFile::exists("quarlet.chk"));
    }
};

TW_GUI_TEST(FileCommandsTest)
#include "file_commands_test.moc"
