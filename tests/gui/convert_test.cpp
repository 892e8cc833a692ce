// The conversion dialog with the scripted platform and a fake converter.
#include <QPointer>

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
                 QByteArray("Y\r\nraw data.cap\r\n6,7,1,1\r\n10101010\r\n123456\r\n"
                            "1\r\n0\r\n0\r\n2\r\n0\r\ntitle\r\n"));
        QCOMPARE(topLevels<TextViewer>().size(), 1);  // its contents: the end-to-end test
        QCoreApplication::processEvents();
        QVERIFY(!m_form.isNull() && m_form->isVisible());
    }

    // A field the converter could not use (the checks and their messages are the core's):
    // nothing is written or run.
    void badFieldStopsBeforeWritingAnything()
    {
        QVERIFY(writeFile("raw.cap", "1100\n"));
        field("txt_infile")->setText("raw.cap");
        field("txt_mpcodes")->setText("000");
        m_form->convert();
        QCOMPARE(m_platform->dialogs.messages().size(), 1);
        QVERIFY(m_platform->processes.requests.isEmpty());
        QVERIFY(!QFile::exists("vostel4.tmp"));
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
                     QStringList{m_dir->path("vostel4.tmp") + " is the same file as "
                                 + (*modelFile ? modelFile : input)
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
