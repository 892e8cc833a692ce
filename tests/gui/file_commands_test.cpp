// The main window's file commands on both roads (PIMs and constraints): the dialogs,
// the messages, the menus and the dimensions label they leave, and the files written.
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
        QTest::newRow("PIM read, cancelled") << 0 << std::optional<QString>() << "PIM input file";
        QTest::newRow("constraints read, pattern") << 1 << std::optional<QString>("*.*") << "CORVANE input file";
        QTest::newRow("conversion, empty") << 2 << std::optional<QString>("") << "CONSTRAINTs file";
        QTest::newRow("per-period run, cancelled") << 3 << std::optional<QString>() << "CORVANE input file";
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
        QCOMPARE(s.dialogs.messages(), QStringList{"No file selected"});
        QVERIFY(s.model() == before);
        QVERIFY(s.form.menu_cnvtcons->isEnabled());
        QVERIFY(s.scripted.processes.requests.isEmpty());
    }

    void readSetsLabelListAndMenus_data()
    {
        QTest::addColumn<int>("road");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("fixed");
        QTest::addColumn<bool>("savePims");  // Save w/ constraints is always enabled after a read
        QTest::newRow("PIMs") << int(Pims) << kExample26 << "npar=24 nyrs=3 nstrat=2" << QStringList() << true;
        QTest::newRow("constraints") << int(Constraints) << kModel1 << "npar=10 nyrs=3 nstrat=1"
                                     << QStringList{"S(7)=.5 /* c 2 1 */;"} << false;
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
        QCOMPARE(QString::fromStdString(s.model().infile), file);
        QStringList shown;
        for (int i = 0; i < s.form.List1->count(); ++i)
            shown << s.form.List1->item(i)->text();
        QCOMPARE(shown, fixed);
        QVERIFY(!s.form.List1->isVisibleTo(&s.form));  // Done ends the read
        QVERIFY(s.form.menu_save->isEnabled());
        QCOMPARE(s.form.menu_savepims->isEnabled(), savePims);
        QCOMPARE(s.form.menu_cnvtcons->isEnabled(), !savePims);
    }

    void failedReadKeepsModelLabelAndMenus_data()
    {
        QTest::addColumn<int>("road");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bad");
        QTest::addColumn<QString>("message");
        QTest::newRow("PIMs, value beyond 16 bits")
            << int(Pims) << kExample26 << bytes(TW_TEST_DATA "/bad/pim-value-beyond-16-bits.inp")
            << "bad.inp, line 16: the value 40000 in the survival block of group 2, stratum 1 lies outside "
               "-32768..32767";
        QTest::newRow("PIMs, CR line ends")
            << int(Pims) << kExample26 << bytes(TW_TEST_DATA "/bad/cr-only-line-ends.inp")
            << "bad.inp, line 1: the file ends before the survival block of group 1, stratum 1; its lines end in a "
               "carriage return alone, which is not read as a line end (convert the file to LF or CR LF line ends)";
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
        QCOMPARE(s.form.menu_savepims->isEnabled(), savePims);
    }

    void saveWritesOnlyANewFile_data()
    {
        QTest::addColumn<int>("road");
        QTest::addColumn<QString>("source");  // copied to "input" and read
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("golden");  // empty: the save must not happen
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("PIMs") << int(Pims) << kExample26 << "m.inp" << "quarlet.mss"
                              << TW_TEST_DATA "/pim/example26/expected.inp" << QStringList();
        QTest::newRow("PIMs over the input") << int(Pims) << kExample26 << "m.inp" << "m.inp" << QString()
                                             << QStringList{"Input & Output filenames (m.inp) must be different!"};
        QTest::newRow("constraints") << int(Constraints) << kModel1 << "m.inp" << "QUARLET.OUT"
                                     << TW_TEST_DATA "/constraints/model1.out"
                                     << QStringList{"New CORVANE input file saved as QUARLET.OUT"};
    }
    void saveWritesOnlyANewFile()
    {
        QFETCH(int, road);
        QFETCH(QString, source);
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(QString, golden);
        InTempDir dir;
        Session s;
        QVERIFY(QFile::copy(source, input));
        readThrough(s, Road(road), input);
        s.model().markChanged();
        s.dialogs.asked.clear();
        if (road == Pims) {
            s.answerFile(dir.path(output));
            s.form.menu_savepims->trigger();
            QCOMPARE(s.dialogs.asked[0].text, QString("quarlet.mss"));
        } else {
            s.form.menu_save->trigger();
        }
        QTEST(s.dialogs.messages(), "messages");
        QCOMPARE(s.model().unsaved, golden.isEmpty());
        QCOMPARE(bytes(output), bytes(golden.isEmpty() ? source : golden));
    }

    void conversionRefusesOrEnablesSavePims()
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
        QVERIFY(s.form.menu_savepims->isEnabled());
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
        s.form.menu_point->trigger();
        QCOMPARE(s.dialogs.messages(), QStringList{"All params are fixed. Nothing to estimate"});
    }
};

TW_GUI_TEST(FileCommandsTest)
#include "file_commands_test.moc"
