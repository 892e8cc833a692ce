// Editing without losing work, driven through the windows as a user would: a view opened
// again, a design matrix built again, fixings typed in the list, the save dialogs and
// their questions, the captions and the Window menu.
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

// The example model (two groups, 16 cells fixed at .02) read through its menu.
struct Example : InTempDir, MainSession {
    explicit Example(const QString& file = kExample)
    {
        answerFile(file);
        trigger(&form, "menu_getpim");
    }
    GridWindow* window(const QString& caption) const
    {
        for (GridWindow* w : grids())
            if (w->windowTitle() == caption)
                return w;
        return nullptr;
    }
};

QStringList titles(const QList<GridWindow*>& windows)
{
    QStringList list;
    for (const GridWindow* w : windows)
        list << w->windowTitle();
    return list;
}

void clickButton(MainSession& s, const char* name) { QTest::mouseClick(s.child<QPushButton>(name), Qt::LeftButton); }

// Double-clicks entry row of List1 and types text over it.
void retypeEntry(MainSession& s, int row, const QString& text)
{
    auto* list = s.child<QListView>("List1");
    list->setCurrentIndex(list->model()->index(row, 0));
    emit list->doubleClicked(list->model()->index(row, 0));
    auto* field = s.child<QLineEdit>("Text2");
    field->selectAll();
    QTest::keyClicks(field, text);
}

void typeNewEntry(MainSession& s, const QString& text)
{
    auto* field = s.child<QLineEdit>("Text2");
    field->selectAll();
    QTest::keyClicks(field, text);
    clickButton(s, "cmd_add");
}

QString fixedAt(const Model& m, int cell)
{
    if (!isFixedMarker(m.pim[std::size_t(cell)]))
        return QString::number(m.pim[std::size_t(cell)]);
    return "fixed at " + QString::number(m.initval[std::size_t(cell)]);
}

QStringList menuTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << action->text();
    return texts;
}

// Whether a caption shows every "&" it holds: each one doubled, but for one mnemonic
// marker before a letter or digit (a lost "&" in "strata & age" stands before a space).
bool ampersandsKept(QString text)
{
    text.remove("&&");
    const qsizetype marker = text.indexOf('&');
    if (marker < 0)
        return true;
    return text.count('&') == 1 && marker + 1 < text.size() && text[marker + 1].isLetterOrNumber();
}

}  // namespace

class EditingTest : public QObject {
    Q_OBJECT

private slots:
    void viewOpenedAgainWritesBackAndKeepsOneWindowPerGroup()
    {
        Example s;
        trigger(&s.form, "menu_surv");
        s.window("Survival - group 1")->close();
        QVERIFY(s.enabled("menu_pim_action"));
        trigger(&s.form, "menu_surv");
        QCOMPARE(titles(s.grids()), (QStringList{"Survival - group 1", "Survival - group 2"}));
        GridWindow* group2 = s.window("Survival - group 2");
        const int cell = group2->cellmap()[0];
        QVERIFY(typeInto(group2->table(), 0, 0, "55"));
        group2->close();
        for (GridWindow* w : s.grids())
            w->close();
        QCOMPARE(s.model().pim[std::size_t(cell)], 55);
    }

    void designMatrixBuiltAgainFirstClosesTheOpenOneAsItsCloseBox_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("stored");  // the typed 0.7 reached the model
        QTest::addColumn<bool>("rebuilt");
        QTest::newRow("Yes") << int(Dialogs::Choice::Yes) << true << true;
        QTest::newRow("No") << int(Dialogs::Choice::No) << false << true;
        QTest::newRow("Cancel") << int(Dialogs::Choice::Cancel) << false << false;
    }
    void designMatrixBuiltAgainFirstClosesTheOpenOneAsItsCloseBox()
    {
        QFETCH(int, answer);
        Example s;
        trigger(&s.form, "menu_surv");
        clickCell(*s.window("Survival - group 1"), 0);
        const int cell = s.window("Survival - group 1")->cellmap()[0];
        trigger(s.window("Survival - group 1"), "menu_dm");
        Form2* design = s.design();
        QVERIFY(design && design->isVisible());
        const int column = design->view()->model()->headerData(0, Qt::Horizontal).toString().mid(1).toInt();
        const int parameter = s.model().pim[std::size_t(cell)];
        const double before = s.model().dm.get(parameter, column);
        QVERIFY(typeInto(design->view(), 0, 0, "0.7"));

        trigger(&s.form, "menu_surv");
        clickCell(*s.window("Survival - group 2"), 0);
        clickCell(*s.window("Survival - group 2"), 1);
        s.dialogs.asked.clear();
        s.dialogs.choiceAnswers.enqueue(Dialogs::Choice(answer));
        trigger(s.window("Survival - group 2"), "menu_dm");

        QCOMPARE(s.dialogs.asked.size(), 1);
        QCOMPARE(s.dialogs.asked[0].text, QString("Keep the design-matrix entries you typed?"));
        QFETCH(bool, stored);
        QCOMPARE(s.model().dm.get(parameter, column), stored ? 0.7 : before);
        QVERIFY(design->isVisible());
        QTEST(s.grids().isEmpty(), "rebuilt");
        QTEST(design->view()->model()->rowCount() == 2, "rebuilt");
    }

    void pimReadListsEachFixedCell()
    {
        Example s;
        const QStringList listed = s.listed();
        QCOMPARE(listed.size(), 16);
        QCOMPARE(listed.filter(QRegularExpression("^S\\(\\d{4}\\)=\\.02;$")), listed);
        const int cell = listed[0].mid(2, 4).toInt();
        QCOMPARE(fixedAt(s.model(), cell), QString("fixed at 0.02"));
    }

    void fixingTypedInTheListReachesTheSavedFile_data()
    {
        QTest::addColumn<bool>("done");
        QTest::newRow("Done, then saved") << true;
        QTest::newRow("saved with the editor open") << false;
    }
    void fixingTypedInTheListReachesTheSavedFile()
    {
        QFETCH(bool, done);
        InTempDir dir;
        MainSession s;
        s.answerFile(kModel1);
        trigger(&s.form, "menu_get");
        QCOMPARE(s.listed(), QStringList{"S(7)=.5 /* c 2 1 */;"});
        trigger(&s.form, "menu_fixed");
        retypeEntry(s, 0, "S(7)=.25 /* c 2 1 */;");
        if (done)
            clickButton(s, "cmd_done");
        s.answerFile(QString("QUARLET.OUT"));
        trigger(&s.form, "menu_save");
        QCOMPARE(s.dialogs.messages(), QStringList{"New CORVANE input file saved as QUARLET.OUT"});
        const QByteArray saved = bytes("QUARLET.OUT");
        QVERIFY2(saved.contains("\nS(0007)=.25 /* c 2 1 */;"), saved.constData());
        QVERIFY(!saved.contains("S(0007)=.5"));
    }

    void lineAddedToAPimModelFixesItsCellAndARemovedOneFreesIt()
    {
        Example s;
        trigger(&s.form, "menu_fixed");
        typeNewEntry(s, "S(5)=0.7");
        clickButton(s, "cmd_done");
        QCOMPARE(s.dialogs.messages(), QStringList());
        QCOMPARE(fixedAt(s.model(), 5), QString("fixed at 0.7"));
        QVERIFY(s.model().unsaved);

        const int freed = s.listed()[0].mid(2, 4).toInt();
        const int largest = largestParameter(s.model());
        trigger(&s.form, "menu_fixed");
        auto* list = s.child<QListView>("List1");
        list->setCurrentIndex(list->model()->index(0, 0));
        clickButton(s, "cmd_delete");
        clickButton(s, "cmd_done");
        QCOMPARE(fixedAt(s.model(), freed), QString::number(largest + 1));
        QCOMPARE(s.listed().size(), 16);
    }

    void entryThatIsNoFixingIsNamedAndTheEditorStaysOpen()
    {
        Example s;
        const Model before = s.model();
        trigger(&s.form, "menu_fixed");
        typeNewEntry(s, "S(999)=.5");
        clickButton(s, "cmd_done");
        QCOMPARE(s.dialogs.messages(),
                 QStringList{"\"S(999)=.5\" is not a fixing line S(i)=v of a cell i in 1..252."});
        QVERIFY(s.child("List1")->isVisibleTo(&s.form));
        QVERIFY(s.model() == before);
    }

    void gridWriteBackThatFreesOrFixesACellUpdatesTheList()
    {
        Example s;
        trigger(&s.form, "menu_move");
        GridWindow* window = s.window("movement A- . - group 1");
        QVERIFY(window);
        int grid = 0;
        while (!isFixedMarker(s.model().pim[std::size_t(window->cellmap()[grid])]))
            ++grid;
        const int cell = window->cellmap()[grid];
        const QString line = QString("S(%1)=.02;").arg(cell, 4, 10, QChar('0'));
        QVERIFY(s.listed().contains(line));
        const int fixing = window->cellmap()[0];
        QVERIFY(!isFixedMarker(s.model().pim[std::size_t(fixing)]));
        window->typeText(grid, "200");
        window->typeText(0, "=0.3");
        window->close();
        QCOMPARE(fixedAt(s.model(), cell), QString("200"));
        QCOMPARE(fixedAt(s.model(), fixing), QString("fixed at 0.3"));
        const QStringList listed = s.listed();
        QVERIFY(!listed.contains(line));
        QCOMPARE(listed.size(), 16);
        QVERIFY(listed.contains(QString("S(%1)=.3;").arg(fixing, 4, 10, QChar('0'))));
        QStringList sorted = listed;
        sorted.sort();
        QCOMPARE(listed, sorted);  // in cell order
    }

    void saveWithConstraintsAsksForItsFileInTheModelsFolder()
    {
        InTempDir dir;
        QVERIFY(QDir().mkpath("models"));
        QVERIFY(QFile::copy(kModel1, "models/m.inp"));
        const QString models = QFileInfo("models").absoluteFilePath();
        MainSession s;
        s.answerFile(QString("models/m.inp"));
        trigger(&s.form, "menu_get");
        s.dialogs.asked.clear();
        trigger(&s.form, "menu_save");  // cancelled
        QVERIFY(!QFile::exists("QUARLET.OUT"));
        QCOMPARE(s.dialogs.asked.size(), 1);
        QCOMPARE(s.dialogs.asked[0].kind, QString("save"));
        QCOMPARE(s.dialogs.asked[0].text, QString("QUARLET.OUT"));
        QCOMPARE(s.dialogs.asked[0].directory, models);

        QVERIFY(writeFile("models/QUARLET.OUT", "keep me"));
        s.answerFile(models + "/QUARLET.OUT");
        s.dialogs.okCancelAnswers.enqueue(false);
        trigger(&s.form, "menu_save");
        QCOMPARE(s.dialogs.asked.last().text, QString("QUARLET.OUT already exists.\nDo you want to replace it?"));
        QCOMPARE(bytes("models/QUARLET.OUT"), QByteArray("keep me"));
    }

    void fileDialogsStartInTheModelsFolderAndOfferModelFiles()
    {
        InTempDir dir;
        QVERIFY(QDir().mkpath("models"));
        QVERIFY(QFile::copy(TW_TEST_DATA "/pim/example26/input.inp", "models/m.inp"));
        const QString models = QFileInfo("models").absoluteFilePath();
        MainSession s;
        s.answerFile(QString("models/m.inp"));
        trigger(&s.form, "menu_getpim");
        trigger(&s.form, "menu_savepims");
        trigger(&s.form, "menu_save");
        trigger(&s.form, "menu_get");
        trigger(&s.form, "menu_run");
        QList<ScriptedDialogs::Asked> dialogs;
        for (const ScriptedDialogs::Asked& asked : s.dialogs.asked)
            if (asked.kind == "open" || asked.kind == "save")
                dialogs << asked;
        const QStringList filters{"Model files (*.inp *.mss *.con *.OUT)", "All files (*)"};
        const QList<std::pair<QString, QString>> expected = {
            {"open", QDir::currentPath()}, {"save", models}, {"save", models}, {"open", models}, {"open", models}};
        QCOMPARE(dialogs.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(dialogs[i].kind, expected[i].first);
            QCOMPARE(dialogs[i].directory, expected[i].second);
            QCOMPARE(dialogs[i].filters, filters);
            if (dialogs[i].kind == "save")
                QCOMPARE(dialogs[i].replace, Dialogs::Replace::CallerAsks);
        }
    }

    void saveToTheModelsOwnFileIsRefusedWithoutAskingToReplaceIt()
    {
        InTempDir dir;
        QVERIFY(QFile::copy(TW_TEST_DATA "/pim/example26/input.inp", "m.inp"));
        MainSession s;
        s.answerFile(QString("m.inp"));
        trigger(&s.form, "menu_getpim");
        s.dialogs.asked.clear();
        s.answerFile(dir.path("m.inp"));
        s.dialogs.okCancelAnswers.enqueue(true);
        trigger(&s.form, "menu_savepims");
        QCOMPARE(s.dialogs.asked.size(), 2);
        QCOMPARE(s.dialogs.asked[0].replace, Dialogs::Replace::CallerAsks);
        QCOMPARE(s.dialogs.asked[1].text, QString("Input & Output filenames (m.inp) must be different!"));
    }

    void noCaptionLosesAnAmpersand()
    {
        Example s;
        QCOMPARE(s.action("menu_constant")->iconText(), QString("Constant over time, strata & age"));
        trigger(&s.form, "menu_surv");
        clickCell(*s.grids().at(0), 0);
        trigger(s.grids().at(0), "menu_dm");
        trigger(&s.form, "menu_cnvcaph");
        const QList<QWidget*> windows{&s.form, s.design(), s.child("Form3")};
        for (QWidget* window : windows) {
            for (const QAction* action : window->findChildren<QAction*>())
                QVERIFY2(ampersandsKept(action->text()), qPrintable(action->text()));
            for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
                QVERIFY2(ampersandsKept(button->text()), qPrintable(button->text()));
        }
    }

    void windowMenuListsWindowsInTheOrderOpened()
    {
        Example s;
        s.form.show();
        trigger(&s.form, "menu_move");
        trigger(&s.form, "menu_surv");
        trigger(&s.form, "menu_openp");
        trigger(&s.form, "menu_closedP");
        QStringList opened{QString::fromUtf8("example.inp \u2014 Tallowick2")};
        opened << titles(s.grids());
        QCOMPARE(opened.size(), 1 + 6 + 2 + 1 + 1);
        auto* menu = s.child<QMenu>("menu_window");
        emit menu->aboutToShow();
        QCOMPARE(menuTexts(menu), opened << "<<< end of list >>>");
    }
};

TW_GUI_TEST(EditingTest)
#include "editing_test.moc"
