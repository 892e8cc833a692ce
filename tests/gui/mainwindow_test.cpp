// The main window: Quit and the fixed-parameter list
// editor driven through its controls (List1, Text2 and its buttons, Undo and Redo).
#include <QAbstractItemModelTester>

#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

// Runs one step of a list-editor script: "fixed" (the menu), "select N", "modify",
// "add", "delete", "double N", "type TEXT", "backspace", "done", "undo", "redo".
void step(MainSession& s, const QString& line)
{
    const QString word = line.section(' ', 0, 0);
    const QString rest = line.section(' ', 1);
    auto* list = s.child<QListView>("List1");
    auto* field = s.child<QLineEdit>("Text2");
    const std::map<QString, const char*> buttons = {
        {"modify", "cmd_modify"}, {"add", "cmd_add"}, {"delete", "cmd_delete"}, {"done", "cmd_done"}};
    const std::map<QString, const char*> actions = {
        {"fixed", "menu_fixed"}, {"undo", "menu_undo"}, {"redo", "menu_redo"}};
    if (buttons.count(word))
        QTest::mouseClick(s.child<QPushButton>(buttons.at(word)), Qt::LeftButton);
    else if (actions.count(word))
        s.action(actions.at(word))->trigger();
    else if (word == "select")
        list->setCurrentIndex(list->model()->index(rest.toInt(), 0));
    else if (word == "double")
        emit list->doubleClicked(list->model()->index(rest.toInt(), 0));
    else if (word == "type")
        QTest::keyClicks(field, rest);
    else if (word == "backspace")
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        QFAIL(qPrintable("unknown step " + line));
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void quitAsksOnlyWhenUnsaved_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<bool>("unsaved");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("exits");
        for (bool closeBox : {false, true}) {
            const char* how = closeBox ? "close box" : "Quit";
            QTest::addRow("%s, saved", how) << closeBox << false << false << 1;
            QTest::addRow("%s, unsaved, cancel", how) << closeBox << true << false << 0;
            QTest::addRow("%s, unsaved, ok", how) << closeBox << true << true << 1;
        }
    }
    void quitAsksOnlyWhenUnsaved()
    {
        QFETCH(bool, closeBox);
        QFETCH(bool, unsaved);
        QFETCH(bool, answer);
        QFETCH(int, exits);
        MainSession s;
        s.form.show();
        s.model().unsaved = unsaved;
        s.dialogs.okCancelAnswers.enqueue(answer);
        if (closeBox) {
            QCOMPARE(s.form.close(), exits == 1);
            QCOMPARE(s.form.isVisible(), exits == 0);
        } else {
            s.action("menu_quit")->trigger();
        }
        QCOMPARE(s.exits, exits);
        QCOMPARE(s.dialogs.asked.size(), unsaved ? 1 : 0);
        if (unsaved)
            QCOMPARE(s.dialogs.asked[0].text,
                     QString("You haven't saved the file! Are you sure you really really really want to quit?"));
    }

    void listEditorChangesTheModelsListAndUndoes_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("field");
        const QStringList start{"S(3)=.5;", "S(4)=.6;", "S(5)=.7;"};
        QTest::newRow("Done keeps the double-clicked entry's edit and hides the editor")
            << QStringList{"fixed", "select 2", "double 2", "backspace", "type 5", "done"}
            << QStringList{"S(3)=.5;", "S(4)=.6;", "S(5)=.75"} << "S(5)=.75";
        QTest::newRow("Fixed parms shows entry 0 but does not copy it over the bound entry")
            << QStringList{"select 2", "modify", "fixed", "type x"} << start << "S(3)=.5;x";
        QTest::newRow("typing into one entry is one undo step")
            << QStringList{"fixed", "select 1", "modify", "type ab", "backspace", "undo"} << start << "S(4)=.6;a";
        QTest::newRow("Add and Delete undo and redo")
            << QStringList{"fixed", "type S(9)=1;", "add", "select 0", "delete", "undo", "undo", "redo"}
            << QStringList{"S(3)=.5;", "S(4)=.6;", "S(5)=.7;", "S(3)=.5;S(9)=1;"} << "";
    }
    void listEditorChangesTheModelsListAndUndoes()
    {
        QFETCH(QStringList, script);
        QFETCH(QStringList, list);
        MainSession s;
        QAbstractItemModelTester tester(s.form.fixedListModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        s.model().npar = 10;
        createCellArrays(s.model());
        const QStringList start{"S(3)=.5;", "S(4)=.6;", "S(5)=.7;"};
        for (int cell = 3; cell <= 5; ++cell) {
            s.model().pim[std::size_t(cell)] = fixedMarker(s.model().pim[std::size_t(cell)]);
            s.model().initval[std::size_t(cell)] = 0.2 + 0.1 * cell;
            s.model().fixedlist.push_back(start[cell - 3].toStdString());
        }
        s.form.session().setFixedList(FixedList(s.model().fixedlist));
        s.form.fixedListModel()->reload();
        for (const QString& line : script)
            step(s, line);
        // The model takes the list at "Done".
        const bool done = script.contains("done");
        QStringList model;
        for (const std::string& entry : s.model().fixedlist)
            model << QString::fromStdString(entry);
        QCOMPARE(model, done ? list : start);
        QCOMPARE(s.listed(), list);
        QTEST(s.child<QLineEdit>("Text2")->text(), "field");
        QCOMPARE(s.child("Text2")->isVisibleTo(&s.form), !done);
        QCOMPARE(bool(s.model().unsaved), done && list != start);
        QCOMPARE(s.form.session().fixedListPending(), !done && list != start);
    }
};

TW_GUI_TEST(MainWindowTest)
#include "mainwindow_test.moc"
