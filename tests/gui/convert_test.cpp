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

    void visibilityFollowsTheChangedField()
    {
        const QStringList age{"txt_acodes", "txt_aicodes"};
        const struct {
            const char* changed;
            const char* value;
            QStringList dependents;
            bool shownAfter;
        } cases[] = {
            {"txt_agecl", "2", age, true},
            {"txt_agecl", "1", age, false},
            {"txt_grps", "2", {"txt_gcodes", "txt_grpscol"}, true},
            {"txt_obsc1", "5", {"txt_obsc2"}, true},  // frequency from column 5
        };
        for (const auto& c : cases) {
            field(c.changed)->setText("9");  // shows them first, so hiding is seen too
            field(c.changed)->clear();
            QTest::keyClicks(field(c.changed), c.value);
            for (const QString& name : c.dependents)
                QVERIFY2(shown(name) == int(c.shownAfter), qPrintable(name));
            QCOMPARE(shown("txt_iagec"), 1);  // the age-code column stays whatever the age classes
        }
    }

    void parameterizationShowsSubtractionOnlyForSPsi()
    {
        // Clicks on the indicator: a radio button takes clicks only on its indicator and text.
        for (const char* option : {"Option1", "Option2"}) {
            auto* button = m_form->findChild<QRadioButton*>(option);
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
            QVERIFY(button->isChecked());
            QCOMPARE(shown("txt_phimiss"), QString(option) == "Option2" ? 1 : 0);
        }
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

    void convertWritesAnswersRunsConverterShowsListingAndStaysOpen()
    {
        QVERIFY(writeFile("raw data.cap", "1100\n"));
        field("txt_infile")->setText("raw data.cap");
        field("txt_tper")->setText("7");
        m_platform->processes.fake = [](const ProcessRequest&) {
            writeFile("hadleck.out", "converted\n");
            return ran();
        };
        m_form->convert();
        QCOMPARE(m_platform->dialogs.messages(), QStringList());
        QCOMPARE(bytes("vostel4.tmp"),
                 QByteArray("Y\r\nraw data.cap\r\n6,7,1,1\r\n10101010\r\n123456\r\n1\r\n0\r\n0\r\n2\r\n0\r\ntitle\r\n"));
        QCOMPARE(topLevels<TextViewer>().size(), 1);  // its contents: the end-to-end test
        QCoreApplication::processEvents();
        QVERIFY(!m_form.isNull() && m_form->isVisible());
        QCOMPARE(field("txt_mpcodes")->text(), QString("10101010"));  // the extended codes, as converted

        // Converted again, the title names the command once.
        m_form->convert();
        QCOMPARE(m_platform->processes.requests.size(), 2);
        QCOMPARE(m_form->windowTitle(), "Convert capture-history data to CORVANE input(" + installDir()
                                            + "/hadleck <vostel4.tmp >vostel4.tm2)");
    }

    // A field the converter could not use (the checks are the core's) is named, gets the
    // focus, and nothing is written or run.
    void badFieldIsNamedAndNothingRuns()
    {
        QVERIFY(writeFile("raw.cap", "1100\n"));
        field("txt_infile")->setText("raw.cap");
        field("txt_mpcodes")->setText("000");
        QApplication::setActiveWindow(m_form);
        m_form->convert();
        QCOMPARE(m_platform->dialogs.messages(),
                 QStringList{"Time Increments: \"000\" holds no 1 and is shorter than the 4 time periods, so it "
                             "cannot be extended; type one code for each time period."});
        QVERIFY(m_platform->processes.requests.isEmpty());
        QVERIFY(!QFile::exists("vostel4.tmp"));
        QCOMPARE(field("txt_mpcodes")->text(), QString("000"));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field("txt_mpcodes")));
    }

    // The answer file and the converter's output have fixed names; one that is the
    // capture-history file or the model file read was written over.
    void filesItReadsAreNotWrittenOver()
    {
        const QByteArray kept("1 0110 3;\n");
        // The capture-history file, then the model file, named like the answer file.
        for (const auto& [input, modelFile] : {std::pair{"vostel4.tmp", ""}, {"raw.cap", "vostel4.tmp"}}) {
            m_platform->dialogs.asked.clear();
            QVERIFY(writeFile(input, kept));
            if (*modelFile)
                QVERIFY(writeFile(modelFile, kept));
            m_form->setModelFile([file = std::string(modelFile)] { return file; });
            field("txt_infile")->setText(input);
            m_form->convert();
            QCOMPARE(m_platform->dialogs.messages(),
                     QStringList{m_dir->path("vostel4.tmp") + " is the same file as " + (*modelFile ? modelFile : input)
                                 + ", which this command reads, so it is not written"});
            QCOMPARE(bytes("vostel4.tmp"), kept);
            QVERIFY(m_platform->processes.requests.isEmpty());
            QFile::remove("vostel4.tmp");
        }
    }

    void missingConverterStopsBeforeWritingAnything()
    {
        QFile::remove(installDir() + "/hadleck");
        QVERIFY(writeFile("raw.cap", "1100\n"));
        field("txt_infile")->setText("raw.cap");
        m_form->convert();
        QCOMPARE(m_platform->dialogs.messages(),
                 QStringList{"The converter hadleck was found neither in the current directory (" + m_dir->dir.path()
                             + ") nor in the installation directory (" + installDir()
                             + "). Put it in one of them, or choose the folder of the outside programs with \"Set "
                               "CORVANE location\u2026\" in the File menu."});
        QVERIFY(m_platform->processes.requests.isEmpty());
        QVERIFY(!QFile::exists("vostel4.tmp"));
        QVERIFY(!m_form.isNull());
    }
};

TW_GUI_TEST(ConvertDialogTest)
#include "convert_test.moc"
