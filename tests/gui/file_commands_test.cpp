// The main window's file commands on both roads (PIMs and constraints) over the session:
// the messages, the menus and the dimensions label they leave ("No model loaded" and the
// views off before a read), and the files written.
// The commands' own rules (questions, "No file selected", availability) are the session's
// and are tested in the core.
#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

const QString kExample26 = TW_TEST_DATA "/pim/example26/input.inp";

enum Road { Pims, Constraints };

// Reads the file through the road's menu command, answering the file dialog.
void readThrough(MainSession& s, Road road, const QString& file)
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
    void readSetsLabelListAndMenus_data()
    {
        QTest::addColumn<int>("road");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("fixed");
        QTest::addColumn<bool>("savePims");  // Save w/ constraints is always enabled after a read
        QTest::newRow("PIMs") << int(Pims) << kExample26 << "npar=24 nyrs=3 nstrat=2\ninput.inp" << QStringList()
                              << true;
        QTest::newRow("constraints") << int(Constraints) << kModel1 << "npar=10 nyrs=3 nstrat=1\nmodel1.inp"
                                     << QStringList{"S(7)=.5 /* c 2 1 */;"} << false;
    }
    void readSetsLabelListAndMenus()
    {
        QFETCH(int, road);
        QFETCH(QString, file);
        QFETCH(QStringList, fixed);
        QFETCH(bool, savePims);
        InTempDir dir;
        MainSession s;
        const char* const views[] = {"menu_surv", "menu_openp", "menu_closedP", "menu_move"};
        QCOMPARE(s.label(), QString("No model loaded"));
        QVERIFY(s.child("lbl_start")->isVisibleTo(&s.form));
        for (const char* view : views)
            QVERIFY2(!s.enabled(view), view);
        readThrough(s, Road(road), file);
        QVERIFY(s.dialogs.messages().isEmpty());
        QTEST(s.label(), "label");
        QVERIFY(!s.child("lbl_start")->isVisibleTo(&s.form));
        for (const char* view : views)
            QVERIFY2(s.enabled(view), view);
        QCOMPARE(QString::fromStdString(s.model().infile), file);
        QCOMPARE(s.listed(), fixed);
        QVERIFY(!s.child("List1")->isVisibleTo(&s.form));  // Done ends the read
        QVERIFY(s.enabled("menu_save"));
        QCOMPARE(s.enabled("menu_savepims"), savePims);
        QCOMPARE(s.enabled("menu_cnvtcons"), !savePims);
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
        MainSession s;
        readThrough(s, Road(road), file);
        const Model before = s.model();
        const QString label = s.label();
        const bool savePims = s.enabled("menu_savepims");
        QVERIFY(writeFile("bad.inp", bad));
        s.dialogs.okCancelAnswers.enqueue(true);  // replace an unsaved model
        readThrough(s, Road(road), "bad.inp");
        QTEST(s.dialogs.messages().last(), "message");
        QVERIFY(s.model() == before);
        QCOMPARE(s.label(), label);
        QCOMPARE(s.enabled("menu_savepims"), savePims);
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
        MainSession s;
        QVERIFY(QFile::copy(source, input));
        readThrough(s, Road(road), input);
        s.model().markChanged();
        s.dialogs.asked.clear();
        if (road == Pims) {
            s.answerFile(dir.path(output));
            s.action("menu_savepims")->trigger();
            QCOMPARE(s.dialogs.asked[0].text, QString("quarlet.mss"));
        } else {
            s.answerFile(output);
            s.action("menu_save")->trigger();
            QCOMPARE(s.dialogs.asked[0].text, QString("QUARLET.OUT"));
        }
        QTEST(s.dialogs.messages(), "messages");
        QCOMPARE(s.model().unsaved, golden.isEmpty());
        QCOMPARE(bytes(output), bytes(golden.isEmpty() ? source : golden));
    }
};

TW_GUI_TEST(FileCommandsTest)
#include "file_commands_test.moc"
