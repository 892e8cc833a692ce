// The model's files as the main window shows and opens them: the title with the file
// name and the modified mark, the recent-models list and a file dropped on the window
// (opened as a file given at start is), each read by the reader of its form.
#include <QMimeData>
#include <QUrl>

#include "app/keyboard.h"
#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

const QString kSites = TW_SOURCE_DIR "/examples/sites.inp";

struct TitleStep {
    const char* name;
    std::function<void(MainSession&, InTempDir&)> run;
    QString title;
    bool modified;
};

// The items of the recent-models menu as shown, after it was opened.
QStringList recentItems(MainSession& s)
{
    auto* menu = s.form.findChild<QMenu*>("menu_recent");
    emit menu->aboutToShow();
    QStringList items;
    for (const QAction* item : menu->actions())
        items << shownCaption(item->text());
    return items;
}

// Sends a drag of the files over the window and, when the window takes it, the drop.
bool drop(MainSession& s, const QStringList& files)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files)
        urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&s.form, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&s.form, &dropped);
    return true;
}

}  // namespace

class ModelFilesTest : public QObject {
    Q_OBJECT

private slots:
    void titleNamesTheFileAndMarksUnsavedWork()
    {
        const QString dash = QString::fromUtf8(" \u2014 Tallowick2");
        const TitleStep steps[] = {
            {"start", [](MainSession&, InTempDir&) {}, "Tallowick2[*]", false},
            {"read", [](MainSession& s, InTempDir&) { QVERIFY(s.form.openPimFile(kExample)); },
             "example.inp[*]" + dash, false},
            {"typed in a grid",
             [](MainSession& s, InTempDir&) {
                 s.form.viewSurvival();
                 s.grids().at(0)->typeText(0, "77");
             },
             "example.inp[*]" + dash, true},
            {"grid written back", [](MainSession& s, InTempDir&) { s.form.closeGridWindows(Form1::WriteBack::Yes); },
             "example.inp[*]" + dash, true},
            {"saved under another name",
             [](MainSession& s, InTempDir& dir) {
                 s.answerFile(dir.path("copy.inp"));
                 s.action("menu_savepims")->trigger();
             },
             "copy.inp[*]" + dash, false},
            {"fixed list edited",
             [](MainSession& s, InTempDir&) {
                 s.action("menu_fixed")->trigger();
                 QTest::keyClicks(s.child<QLineEdit>("Text2"), "S(2)=.5;");
                 QTest::mouseClick(s.child<QPushButton>("cmd_add"), Qt::LeftButton);
             },
             "copy.inp[*]" + dash, true},
            {"constraints read, which numbers the parameters",
             [](MainSession& s, InTempDir&) {
                 s.dialogs.okCancelAnswers.enqueue(true);
                 s.answerFile(kModel1);
                 s.action("menu_get")->trigger();
             },
             "model1.inp[*]" + dash, true},
        };
        InTempDir dir;
        MainSession s;
        for (const TitleStep& step : steps) {
            step.run(s, dir);
            QVERIFY2(s.form.windowTitle() == step.title, step.name);
            QVERIFY2(s.form.isWindowModified() == step.modified, step.name);
        }
    }

    void recentModelsOpenWithTheReaderOfTheirForm()
    {
        InTempDir dir;
        MainSession s;
        QCOMPARE(recentItems(s), QStringList{"(none yet)"});
        QVERIFY(s.form.openPimFile(kExample));
        QVERIFY(s.form.openModelFile(kSites));
        QCOMPARE(s.scripted.settings.stored.value("RecentModels"),
                 QStringList({"constraints:" + kSites, "pim:" + QFileInfo(kExample).absoluteFilePath()}));
        QCOMPARE(recentItems(s), QStringList({"1 sites.inp (constraints form)", "2 example.inp (PIM form)"}));

        // Another run of the program finds the list in its settings.
        MainSession later;
        later.scripted.settings.stored = s.scripted.settings.stored;
        QCOMPARE(recentItems(later), recentItems(s));
        later.action("menu_recent_2")->trigger();
        QCOMPARE(QString::fromStdString(later.model().modelform), QString("pim"));
        QCOMPARE(recentItems(later), QStringList({"1 example.inp (PIM form)", "2 sites.inp (constraints form)"}));
        later.action("menu_recent_2")->trigger();
        QCOMPARE(QString::fromStdString(later.model().modelform), QString("constraints"));
        QVERIFY(later.dialogs.messages().isEmpty());
    }

    void aRecentModelThatIsGoneSaysSoAndLeavesTheList()
    {
        MainSession s;
        s.scripted.settings.stored["RecentModels"] = QStringList{"pim:/no/such/folder/m.inp", "pim:" + kExample};
        recentItems(s);
        s.action("menu_recent_1")->trigger();
        QCOMPARE(s.dialogs.messages(),
                 QStringList{"/no/such/folder/m.inp no longer exists; it was moved or deleted. It is taken off the "
                             "list of recent models; open it from where it is now with the File menu."});
        QCOMPARE(s.dialogs.severities(), QList<Severity>{Severity::Warning});
        QCOMPARE(recentItems(s), QStringList{"1 example.inp (PIM form)"});
        QVERIFY(!s.model().loaded());
    }

    // A file that is no model file is taken, and refused by its reader, which says why.
    void droppedFileIsReadByTheReaderOfItsForm()
    {
        const struct {
            const char* name;
            QStringList files;
            bool taken;
            QString form;  // the form of the model read; empty: none
        } cases[] = {
            {"PIM form", {kExample}, true, "pim"},
            {"constraints form", {kSites}, true, "constraints"},
            {"a folder", {TW_SOURCE_DIR "/examples"}, false, ""},
            {"two files", {kExample, kSites}, false, ""},
            {"not a model file", {TW_SOURCE_DIR "/examples/captures.cap"}, true, ""},
        };
        for (const auto& c : cases) {
            InTempDir dir;
            MainSession s;
            QVERIFY2(drop(s, c.files) == c.taken, c.name);
            QVERIFY2(QString::fromStdString(s.model().modelform) == c.form, c.name);
            const bool refused = c.taken && c.form.isEmpty();
            QCOMPARE(s.dialogs.severities(), refused ? QList<Severity>{Severity::Warning} : QList<Severity>());
        }
    }

    // Reading a model with the command of the other form: the PIM reader's refusal did
    // not say which command reads the file, and the constraints reader took a file in PIM
    // form without a word, every cell a parameter of its own.
    void aFileOfTheOtherFormSaysWhichCommandReadsIt()
    {
        const struct {
            const char* command;
            QString file;
            bool read;
            QString message;  // the last message shown, a warning
        } cases[] = {
            {"menu_getpim", kSites, false,
             kSites + ", line 100: the file ends before the PIM section.\nThe file holds its model as constraints: "
                      "read it with \"Get input file w/ constraints\" (Ctrl+Shift+O)."},
            {"menu_get", kExample, true,
             "example.inp holds its model as PIMs, which \"Get input file w/ constraints\" (Ctrl+Shift+O) leaves "
             "out: every cell became a parameter of its own. To keep its PIMs, read it with \"Get input file w/ "
             "PIM's\" (Ctrl+O)."},
        };
        for (const auto& c : cases) {
            InTempDir dir;
            MainSession s;
            s.answerFile(c.file);
            s.action(c.command)->trigger();
            QCOMPARE(s.model().loaded(), c.read);
            QVERIFY(!s.dialogs.messages().isEmpty());
            QCOMPARE(s.dialogs.messages().last(), c.message);
            QCOMPARE(s.dialogs.severities().last(), Severity::Warning);
        }
    }
};

TW_GUI_TEST(ModelFilesTest)
#include "model_files_test.moc"
