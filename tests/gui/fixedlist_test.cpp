#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/mainwindow.h"
#include "guitest.h"
#include "platform/scripted.h"

using namespace tw;

namespace {

const QString kModel1 = TW_TEST_DATA "/constraints/model1.inp";

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

// The fixed-parameter list editor of the main window and the constraint-road commands.
class FixedListTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<Form1> window;
    std::unique_ptr<QTemporaryDir> dir;
    QString previousDir;
    int exits = 0;

    std::vector<std::string>& list() { return window->model().fixedlist; }

    void withList(std::vector<std::string> entries)
    {
        list() = std::move(entries);
        window->refreshFixedList();
        window->model().unsaved = 0;
    }

    void select(int row)
    {
        window->List1->setCurrentRow(row);
        QVERIFY(window->List1->currentItem()->isSelected());
    }

    void typeText(const QString& text) { QTest::keyClicks(window->Text2, text); }

    bool editorShown() const
    {
        for (QWidget* w : std::initializer_list<QWidget*>{window->Text2, window->List1, window->cmd_add,
                                                          window->cmd_delete, window->cmd_modify, window->cmd_done})
            if (!w->isVisibleTo(window.get()))
                return false;
        return true;
    }

private slots:
    void init()
    {
        platform = std::make_unique<ScriptedPlatform>();
        window = std::make_unique<Form1>(platform->platform);
        exits = 0;
        window->exitProgram = [this] { ++exits; };
        dir = std::make_unique<QTemporaryDir>();
        previousDir = QDir::currentPath();
        QDir::setCurrent(dir->path());
    }

    void cleanup()
    {
        window.reset();
        QDir::setCurrent(previousDir);
        dir.reset();
    }

    // ---- List editor ----

    void fixedParmsWithEmptyListShowsEmptyField()
    {
        window->menu_fixed->trigger();
        QVERIFY(editorShown());
        QCOMPARE(window->Text2->text(), QString());
    }

    void fixedParmsDoesNotCopyEntry0OverAnotherEntry()
    {
        withList({"S(3)=.5;", "S(4)=.6;", "S(5)=.7;"});
        select(2);
        window->listModify();  // the field was bound to entry 2
        window->menu_fixed->trigger();
        QCOMPARE(window->Text2->text(), QString("S(3)=.5;"));
        typeText("x");
        QCOMPARE(list(), (std::vector<std::string>{"S(3)=.5;", "S(4)=.6;", "S(5)=.7;"}));
    }

    void doubleClickedEntryChangesAtEveryKeystroke()
    {
        withList({"S(3)=.5;", "S(4)=.6;", "S(5)=.7;"});
        window->menu_fixed->trigger();
        select(2);
        emit window->List1->itemDoubleClicked(window->List1->item(2));
        QCOMPARE(window->Text2->text(), QString("S(5)=.7;"));
        QTest::keyClick(window->Text2, Qt::Key_Backspace);
        QCOMPARE(list()[2], std::string("S(5)=.7"));
        typeText("5 /* c */;");
        QCOMPARE(list()[2], std::string("S(5)=.75 /* c */;"));
        QCOMPARE(window->List1->item(2)->text(), QString("S(5)=.75 /* c */;"));
        QCOMPARE(window->model().unsaved, 1);
        QTest::mouseClick(window->cmd_done, Qt::LeftButton);
        QVERIFY(!window->Text2->isVisibleTo(window.get()));
        QVERIFY(!window->List1->isVisibleTo(window.get()));
        QCOMPARE(list()[2], std::string("S(5)=.75 /* c */;"));
    }

    void textTypedForAddStaysApartAndAddEmptiesNoEntry()
    {
        withList({"S(3)=.5;", "S(4)=.6;"});
        select(1);
        window->listModify();
        QTest::mouseClick(window->cmd_add, Qt::LeftButton);  // appends a copy, unbinds
        QCOMPARE(list(), (std::vector<std::string>{"S(3)=.5;", "S(4)=.6;", "S(4)=.6;"}));
        QCOMPARE(window->Text2->text(), QString());
        typeText("S(9)=1;");
        QCOMPARE(list().size(), std::size_t(3));
        QCOMPARE(list()[1], std::string("S(4)=.6;"));
        QTest::mouseClick(window->cmd_add, Qt::LeftButton);
        QCOMPARE(list().back(), std::string("S(9)=1;"));
        QCOMPARE(window->List1->count(), 4);
        QCOMPARE(window->model().unsaved, 1);
    }

    void anyTextIsAccepted_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("free text") << "not a constraint at all";
        QTest::newRow("empty") << "";
        QTest::newRow("no cell") << "S(x)=.5;";
    }

    void anyTextIsAccepted()
    {
        QFETCH(QString, entry);
        window->menu_fixed->trigger();
        typeText(entry);
        window->listAdd();
        QCOMPARE(list(), std::vector<std::string>{entry.toStdString()});
    }

    void deleteWithoutSelectionChangesNothing()
    {
        withList({"S(3)=.5;", "S(4)=.6;"});
        window->List1->setCurrentRow(-1);
        window->List1->clearSelection();
        window->listDelete();
        QCOMPARE(list().size(), std::size_t(2));
        QCOMPARE(window->model().unsaved, 0);
    }

    void deleteMovesLaterEntriesUpAndUnbinds()
    {
        withList({"S(3)=.5;", "S(4)=.6;", "S(5)=.7;"});
        select(1);
        window->listModify();
        window->listDelete();
        QCOMPARE(list(), (std::vector<std::string>{"S(3)=.5;", "S(5)=.7;"}));
        QCOMPARE(window->List1->count(), 2);
        typeText("x");  // the position no longer names the moved entry
        QCOMPARE(list(), (std::vector<std::string>{"S(3)=.5;", "S(5)=.7;"}));
        window->listDelete();  // nothing selected after a delete
        QCOMPARE(list().size(), std::size_t(2));
    }

    void modifyWithoutSelectionBindsNoEntry()
    {
        withList({"S(3)=.5;"});
        window->List1->setCurrentRow(-1);
        window->List1->clearSelection();
        window->listModify();
        typeText("x");
        QCOMPARE(list(), std::vector<std::string>{"S(3)=.5;"});
    }

    void programChangeToTheListUnbinds()
    {
        withList({"S(3)=.5;", "S(4)=.6;"});
        select(1);
        window->listModify();
        list().insert(list().begin(), "S(2)=.1;");  // as the per-period runs would
        window->refreshFixedList();
        typeText("x");
        QCOMPARE(list(), (std::vector<std::string>{"S(2)=.1;", "S(3)=.5;", "S(4)=.6;"}));
    }

    // ---- Constraint road ----

    void cancelledDialogEndsOnlyTheCommand()
    {
        platform->dialogs.fileAnswers.enqueue(std::nullopt);
        platform->dialogs.fileAnswers.enqueue(QString("*.*"));
        window->menu_get->trigger();
        window->menu_get->trigger();
        QCOMPARE(platform->dialogs.messages(), (QStringList{"No file selected", "No file selected"}));
        QCOMPARE(platform->dialogs.asked.first().title, QString("CORVANE input file"));
        QCOMPARE(platform->dialogs.asked.first().text, QString("*.*"));
        QCOMPARE(exits, 0);
        QVERIFY(!window->model().loaded());
    }

    void readingNumbersListsAndEnablesTheMenus()
    {
        platform->dialogs.fileAnswers.enqueue(kModel1);
        window->menu_get->trigger();
        QVERIFY(platform->dialogs.messages().isEmpty());
        const Model& m = window->model();
        QCOMPARE(m.nparms, 3);
        QCOMPARE(m.unsaved, 1);
        QCOMPARE(m.fixedlist, std::vector<std::string>{"S(7)=.5 /* c 2 1 */;"});
        QCOMPARE(window->List1->count(), 1);
        QVERIFY(!window->List1->isVisibleTo(window.get()));  // Done ends the read
        QCOMPARE(window->Label1->text(), QString("npar=10 nyrs=3 nstrat=1"));
        QVERIFY(!window->ProgressBar1->isVisibleTo(window.get()));
        QVERIFY(window->menu_save->isEnabled());
        QVERIFY(!window->menu_savepims->isEnabled());
        QVERIFY(window->menu_cnvtcons->isEnabled());
        QCOMPARE(fileContent("quarlet.chk"), fileContent(TW_TEST_DATA "/constraints/model1.chk"));
    }

    void failedReadLeavesModelAndMenus()
    {
        QFile bad("bad.inp");
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("PROC MODEL NPAR=2;\nCOHORT;\nCONSTRAINTS;\nS(3)=S(1);\n");
        bad.close();
        platform->dialogs.fileAnswers.enqueue(kModel1);
        window->menu_get->trigger();
        const Model before = window->model();
        platform->dialogs.okCancelAnswers.enqueue(true);  // replace the unsaved model
        platform->dialogs.fileAnswers.enqueue(QString("bad.inp"));
        window->menu_get->trigger();
        QCOMPARE(platform->dialogs.messages().last(),
                 QString("bad.inp, line 4: cell number 3 is not a whole number in 1..2"));
        QVERIFY(window->model() == before);
        QVERIFY(window->menu_save->isEnabled());
    }

    void savingWritesQuarletOutAndTheProgramGoesOn()
    {
        platform->dialogs.fileAnswers.enqueue(kModel1);
        window->menu_get->trigger();
        const Model before = window->model();
        window->menu_save->trigger();
        QCOMPARE(platform->dialogs.messages(), QStringList{"New CORVANE input file saved as QUARLET.OUT"});
        QCOMPARE(exits, 0);
        QCOMPARE(window->model().unsaved, 0);
        QCOMPARE(window->model().pim, before.pim);
        QCOMPARE(fileContent("QUARLET.OUT"), fileContent(TW_TEST_DATA "/constraints/model1.out"));
    }

    void savingOverTheInputIsRefused()
    {
        QVERIFY(QFile::copy(kModel1, "QUARLET.OUT"));
        platform->dialogs.fileAnswers.enqueue(QString("QUARLET.OUT"));
        window->menu_get->trigger();
        window->menu_save->trigger();
        QCOMPARE(platform->dialogs.messages(), QStringList{"Input & Output filenames (QUARLET.OUT) must be different!"});
        QCOMPARE(window->model().unsaved, 1);
        QCOMPARE(fileContent("QUARLET.OUT"), fileContent(kModel1));
    }

    void conversionProposesTheInputAndEnablesSavePims()
    {
        platform->dialogs.fileAnswers.enqueue(kModel1);
        window->menu_get->trigger();
        platform->dialogs.fileAnswers.enqueue(QString("*.*"));
        window->menu_cnvtcons->trigger();
        QCOMPARE(platform->dialogs.messages(), QStringList{"No file selected"});
        QVERIFY(!window->menu_savepims->isEnabled());

        QFile small("small.inp");
        QVERIFY(small.open(QIODevice::WriteOnly));
        small.write("PROC MODEL NPAR=9;\nCOHORT;\nNAME=X;\nCONSTRAINTS;\nPROC TEST;\n");
        small.close();
        platform->dialogs.fileAnswers.enqueue(QString("small.inp"));
        window->menu_cnvtcons->trigger();
        QCOMPARE(platform->dialogs.messages().last(),
                 QString("small.inp, line 1: the file states NPAR=9 but the loaded model has npar=10"));
        QVERIFY(!window->menu_savepims->isEnabled());

        platform->dialogs.fileAnswers.enqueue(TW_TEST_DATA "/constraints/model1-convert.inp");
        window->menu_cnvtcons->trigger();
        QCOMPARE(platform->dialogs.messages().size(), 2);
        const auto& opened = platform->dialogs.asked;
        QCOMPARE(opened[opened.size() - 1].title, QString("CONSTRAINTs file"));
        QCOMPARE(opened[opened.size() - 1].text, kModel1);
        QVERIFY(window->menu_savepims->isEnabled());
        QCOMPARE(window->model().dmrows, 0.0);
        QCOMPARE(window->model().nparms, 3);
        QCOMPARE(window->model().pim[3], std::int16_t(1));
        QCOMPARE(window->model().initval[10], 0.25);
    }

    void allFixedIsReportedOnce()
    {
        Model& m = window->model();
        m.npar = 4;
        createCellArrays(m);
        m.pim[4] = 0;
        withList({"S(1)=.5", "S(2)=.5", "S(3)=.5"});
        window->Label1->setText("npar=4");
        window->menu_point->trigger();
        QCOMPARE(platform->dialogs.messages(), QStringList{"All params are fixed. Nothing to estimate"});
        QCOMPARE(window->Label1->text(), QString("npar=4"));
        QVERIFY(!window->ProgressBar1->isVisibleTo(window.get()));
        QVERIFY(QFile::exists("quarlet.chk"));
    }
};

TW_GUI_TEST(FixedListTest)

#include "fixedlist_test.moc"
