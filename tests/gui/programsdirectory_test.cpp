// Where the outside programs are started from: a chosen engine's directory, the installed
// libexec directory, or the program's own directory in a build tree.
#include "guitest.h"
#include "platform/programsdirectory.h"
#include "support.h"

using namespace twtest;

using OptionalPath = std::optional<QString>;

class ProgramsDirectoryTest : public QObject {
    Q_OBJECT

private slots:
    void chosenThenInstalledThenBeside_data()
    {
        QTest::addColumn<OptionalPath>("registered");
        QTest::addColumn<OptionalPath>("installed");
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("directory");
        const OptionalPath none;
        QTest::newRow("a chosen engine wins over the installation")
            << OptionalPath("/home/ann/engine/corvane") << OptionalPath("/usr/libexec/tallowick2")
            << "/usr/bin/tallowick2" << "/home/ann/engine";
        QTest::newRow("installed: the libexec directory, not bin")
            << none << OptionalPath("/usr/libexec/tallowick2") << "/usr/bin/tallowick2" << "/usr/libexec/tallowick2";
        QTest::newRow("build tree: beside the program")
            << none << none << "/src/build/app/tallowick2" << "/src/build/app";
        QTest::newRow("a chosen bare name: the current directory")
            << OptionalPath("corvane") << OptionalPath("/usr/libexec/tallowick2") << "/usr/bin/tallowick2" << "";
        QTest::newRow("a chosen path with backslashes")
            << OptionalPath("C:\\Tools\\Tallowick22.exe") << none << "/usr/bin/tallowick2" << "C:\\Tools";
    }
    void chosenThenInstalledThenBeside()
    {
        QFETCH(OptionalPath, registered);
        QFETCH(OptionalPath, installed);
        QFETCH(QString, executable);
        ScriptedInstallLocation install;
        install.registered = registered;
        install.installedPrograms = installed;
        install.executablePath = executable;
        QTEST(outsideProgramsDirectory(install), "directory");
    }

    void installedLayoutIsFoundFromTheBinDirectory_data()
    {
        QTest::addColumn<QString>("made");       // "dir", "file" or "" at PREFIX/libexec/tallowick2
        QTest::addColumn<QString>("executable");  // below PREFIX
        QTest::addColumn<bool>("found");
        QTest::newRow("installed") << "dir" << "bin/tallowick2" << true;
        QTest::newRow("a path through ..") << "dir" << "share/../bin/tallowick2" << true;
        QTest::newRow("no libexec directory: not installed") << "" << "bin/tallowick2" << false;
        QTest::newRow("a file of that name is no directory") << "file" << "bin/tallowick2" << false;
        QTest::newRow("build tree") << "dir" << "build/app/tallowick2" << false;
    }
    void installedLayoutIsFoundFromTheBinDirectory()
    {
        QFETCH(QString, made);
        QFETCH(QString, executable);
        QFETCH(bool, found);
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath("bin") && QDir(prefix.path()).mkpath("share")
                && QDir(prefix.path()).mkpath("build/app") && QDir(prefix.path()).mkpath("libexec"));
        const QString programs = prefix.filePath("libexec/tallowick2");
        if (made == "dir")
            QVERIFY(QDir().mkpath(programs));
        if (made == "file")
            QVERIFY(writeFile(programs, "not a directory\n"));
        const auto directory = installedProgramsDirectory(prefix.filePath(executable));
        QCOMPARE(directory.has_value(), found);
        if (found)
            QCOMPARE(*directory, programs);
    }

    void installedProgramStartsTheInstalledEngine()
    {
        InTempDir scratch;
        const QString programs = scratch.path("libexec/tallowick2");
        QVERIFY(QDir().mkpath(programs));
        QVERIFY(writeFile(programs + "/corvane", "#!/bin/false\n"));
        MainSession s;
        s.scripted.install.executablePath = scratch.path("bin/tallowick2");
        s.scripted.install.installedPrograms = programs;
        s.form.updateInstallDirectory();
        s.answerFile(QString("m.mss"));
        s.scripted.processes.fake = [](const ProcessRequest&) {
            ProcessResult result;
            result.started = true;
            result.exitCode = 0;
            return result;
        };
        s.form.runEngine();
        QCOMPARE(s.scripted.processes.requests.size(), 1);
        QCOMPARE(s.scripted.processes.requests[0].program, programs + "/corvane");
    }
};

TW_GUI_TEST(ProgramsDirectoryTest)
#include "programsdirectory_test.moc"
