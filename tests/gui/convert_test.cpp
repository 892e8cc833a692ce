// The conversion dialog with the scripted platform and a fake converter.
#include <QPointer>
#include <QRadioButton>

#include "convert/widgets/form3.h"
#include "guitest.h"
#include "support.h"

using namespace twtest;

class ConvertDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<InTempDir> m_dir;
    std::unique_ptr<ScriptedPlatform> m_platform;
    QPointer<Form3> m_form;

    QString installDir() const { return m_dir->path("install dir"); }
    QLineEdit* field(const QString& name) const { return m_form->findChild<QLineEdit*>(name); }
    // 1 when the field and its label are shown, 0 when both are hidden, -1 otherwise.
    int shown(const QString& name) const
    {
        QWidget* widget = m_form->findChild<QWidget*>(name);
        const bool visible = widget->isVisibleTo(m_form);
        return visible == m_form->labelOf(widget)->isVisibleTo(m_form) ? int(visible) : -1;
    }
    static bool makeProgram(const QString& path)
    {
        QFile file(path);
        return writeFile(path, "#!/bin/false\n") && file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<InTempDir>();
        QDir().mkpath(installDir());
        QVERIFY(makeProgram(installDir() + "/hadleck"));
        m_platform = std::make_unique<ScriptedPlatform>();
        m_form = new Form3(m_platform->platform, [this] { return installDir(); });
        m_form->show();
    }
    void cleanup()
    {
        delete m_form.data();
        qDeleteAll(topLevels<TextViewer>());
        m_platform.reset();
        m_dir.reset();
    }

    void openingShowsTheTableOfFields()
    {
        const struct {
            const char* name;
            const char* label;
            const char* text;
            bool shown;
        } rows[] = {{"txt_infile", "Input file:", "", true},
                    {"txt_strata", "Strata:", "6", true},
                    {"txt_tper", "Time periods:", "4", true},
                    {"txt_agecl", "Age classes:", "1", true},
                    {"txt_grps", "Groups:", "1", true},
                    {"txt_mpcodes", "Time Increments:", "1010", true},
                    {"txt_scodes", "Strata Codes:", "123456", true},
                    {"txt_icol1", "Starting col of strata codes:", "1", true},
                    {"txt_fatec", "Col of fate code:", "0", true},
                    {"txt_iagec", "Column of age code", "1", true},
                    {"txt_acodes", "Age codes:", "a", false},
                    {"txt_aicodes", "Age-increment vector:", "1", false},
                    {"txt_grpscol", "Column of group code:", "1", false},
                    {"txt_gcodes", "Group codes:", "", false},
                    {"txt_obsc1", "Start col of frequency:", "0", true},
                    {"txt_obsc2", "End col of frequency:", "20", false},
                    {"txt_phimiss", "Strata to compute by subtraction(0=diagonal):", "0", true},
                    {"txt_title", "Title:", "title", true}};
        for (const auto& row : rows) {
            QLineEdit* edit = field(row.name);
            QVERIFY2(edit, row.name);
            QCOMPARE(edit->text(), QString(row.text));
            QCOMPARE(m_form->labelOf(edit)->text(), QString(row.label));
            QVERIFY2(shown(row.name) == int(row.shown), row.name);
        }
        QVERIFY(!m_form->Option1->isChecked());
        QVERIFY(m_form->Option2->isChecked());
        QCOMPARE(m_form->windowTitle(), QString("Convert capture-history data to CORVANE input"));
        QCOMPARE(m_form->cmd_browse->text(), QString("Browse for input file"));
        QCOMPARE(m_form->cmd_view->text(), QString("View Input file"));
        QCOMPARE(m_form->cmd_cnvt->text(), QString("Convert capture-history data to CORVANE input"));
    }

    void visibilityFollowsTheChangedField_data()
    {
        QTest::addColumn<QString>("changed");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("dependents");
        QTest::addColumn<bool>("shownAfter");
        const QStringList age{"txt_acodes", "txt_aicodes"};
        const QStringList groups{"txt_gcodes", "txt_grpscol"};
        QTest::newRow("two age classes") << "txt_agecl" << "2" << age << true;
        QTest::newRow("one age class") << "txt_agecl" << "1" << age << false;
        QTest::newRow("two groups") << "txt_grps" << "2" << groups << true;
        QTest::newRow("groups 1.5") << "txt_grps" << "1.5" << groups << true;
        QTest::newRow("frequency from column 5") << "txt_obsc1" << "5" << QStringList{"txt_obsc2"} << true;
        QTest::newRow("frequency column 1") << "txt_obsc1" << "1" << QStringList{"txt_obsc2"} << false;
    }
    void visibilityFollowsTheChangedField()
    {
        QFETCH(QString, changed);
        QFETCH(QString, value);
        QFETCH(QStringList, dependents);
        QFETCH(bool, shownAfter);
        field(changed)->setText("9");  // shows them first, so hiding is seen too
        field(changed)->clear();
        QTest::keyClicks(field(changed), value);
        for (const QString& name : dependents)
            QVERIFY2(shown(name) == int(shownAfter), qPrintable(name));
        QCOMPARE(shown("txt_iagec"), 1);  // the age-code column stays whatever the age classes
    }

    void parameterizationShowsSubtractionOnlyForSPsi()
    {
        // Clicks on the indicator: a radio button takes clicks only on its indicator and text.
        QTest::mouseClick(m_form->Option1, Qt::LeftButton, {}, QPoint(6, m_form->Option1->height() / 2));
        QCOMPARE(shown("txt_phimiss"), 0);
        QTest::mouseClick(m_form->Option2, Qt::LeftButton, {}, QPoint(6, m_form->Option2->height() / 2));
        QVERIFY(m_form->Option2->isChecked());
        QCOMPARE(shown("txt_phimiss"), 1);
    }

    void typedFieldRewritesItsDependent_data()
    {
        QTest::addColumn<QString>("changed");
        QTest::addColumn<QStringList>("typed");  // each replaces the field's text in turn
        QTest::addColumn<QString>("dependent");
        QTest::addColumn<QString>("expected");
        QTest::newRow("emptied strata keep the codes") << "txt_strata" << QStringList{""} << "txt_scodes" << "123456";
        QTest::newRow("3 strata cut the codes") << "txt_strata" << QStringList{"", "3"} << "txt_scodes" << "123";
        QTest::newRow("8 strata afterwards leave them")
            << "txt_strata" << QStringList{"3", "8"} << "txt_scodes" << "123";
        QTest::newRow("7 periods") << "txt_tper" << QStringList{"7"} << "txt_mpcodes" << "101010";
        QTest::newRow("1 period") << "txt_tper" << QStringList{"7", "1"} << "txt_mpcodes" << "";
    }
    void typedFieldRewritesItsDependent()
    {
        QFETCH(QString, changed);
        QFETCH(QStringList, typed);
        QFETCH(QString, dependent);
        for (const QString& text : typed) {
            field(changed)->clear();
            QTest::keyClicks(field(changed), text);
        }
        QTEST(field(dependent)->text(), "expected");
    }

    void browseCancelledChangesNothing()
    {
        field("txt_infile")->setText("typed.cap");
        m_form->browse();
        QCOMPARE(field("txt_infile")->text(), QString("typed.cap"));
        QCOMPARE(field("txt_title")->text(), QString("title"));
        m_platform->dialogs.fileAnswers.enqueue(QString("/data/b b.cap"));
        m_form->browse();
        QCOMPARE(field("txt_infile")->text(), QString("/data/b b.cap"));
        QCOMPARE(field("txt_title")->text(), QString("/data/b b.cap"));
    }

    void convertWritesAnswersRunsConverterShowsListingAndCloses()
    {
        field("txt_infile")->setText("raw data.cap");
        field("txt_tper")->setText("7");
        m_platform->processes.fake = [](const ProcessRequest&) {
            writeFile("hadleck.out", "converted\n");
            return ran();
        };
        m_form->convert();
        QCOMPARE(bytes("vostel4.tmp"),
                 QByteArray("Y\r\nraw data.cap\r\n6,7,1,1\r\n10101010\r\n123456\r\n1\r\n0\r\n0\r\n2\r\n0\r\ntitle\r\n"));
        QCOMPARE(m_platform->processes.requests.size(), 1);
        const ProcessRequest& request = m_platform->processes.requests[0];
        QCOMPARE(request.program, installDir() + "/hadleck");
        QCOMPARE(request.standardInputFile, QDir::current().absoluteFilePath("vostel4.tmp"));
        QCOMPARE(request.standardOutputFile, QDir::current().absoluteFilePath("vostel4.tm2"));
        QTRY_VERIFY(m_form.isNull());  // closed and deleted
        QCOMPARE(topLevels<TextViewer>().size(), 1);
        QCOMPARE(topLevels<TextViewer>()[0]->text(), QString("converted\n"));
    }

    void titleNamesTheConverterAndItsRedirections()
    {
        QVERIFY(makeProgram("hadleck"));  // the current directory comes first
        m_platform->processes.fake = [](const ProcessRequest&) { return ran(true); };
        m_form->convert();
        const QString program = QDir::current().absoluteFilePath("hadleck");
        QCOMPARE(m_platform->processes.requests.at(0).program, program);
        QVERIFY(!m_form.isNull());  // cancelled: stays open and says so
        QCOMPARE(m_form->windowTitle(),
                 "Convert capture-history data to CORVANE input(" + program + " <vostel4.tmp >vostel4.tm2)");
        QCOMPARE(m_platform->dialogs.messages(),
                 QStringList{"The run of hadleck was cancelled; its results are incomplete."});
    }

    void convertStopsBeforeWritingAnything_data()
    {
        QTest::addColumn<QString>("increments");
        QTest::addColumn<bool>("removeConverter");
        QTest::newRow("increments without 1") << "000" << false;
        QTest::newRow("no converter") << "1010" << true;
    }
    void convertStopsBeforeWritingAnything()
    {
        QFETCH(QString, increments);
        QFETCH(bool, removeConverter);
        const QString message =
            removeConverter ? "The converter hadleck was found neither in the current directory (" + m_dir->dir.path()
                                  + ") nor in the installation directory (" + installDir() + ")."
                            : "The time increments \"000\" hold no \"1\" and are shorter than the 4 time periods, so "
                              "they cannot be extended. Type one code for each time period.";
        if (removeConverter)
            QFile::remove(installDir() + "/hadleck");
        field("txt_mpcodes")->setText(increments);
        m_form->convert();
        QCOMPARE(m_platform->dialogs.messages(), QStringList{message});
        QVERIFY(m_platform->processes.requests.isEmpty());
        QVERIFY(!QFile::exists("vostel4.tmp"));
        QVERIFY(!QFile::exists("hadleck.out"));
        QVERIFY(!m_form.isNull());
    }
};

TW_GUI_TEST(ConvertDialogTest)
#include "convert_test.moc"
