// Windows left open over a model while the main window's commands run: the grid
// windows and the design-matrix window must never write an old view into a model that
// was saved, renumbered, converted or replaced meanwhile. Each command is run twice:
// once with the window still open (holding an edit) and once after the user closed it
// by hand (or, for a reader, without any edit); both runs must end with the same model
// and no window left to write later.
#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "app/mainwindow.h"
#include "design/widgets/form2.h"
#include "guitest.h"
#include "pim/widgets/gridwindow.h"
#include "platform/scripted.h"

using namespace tw;

namespace {

const QString kExample = TW_SOURCE_DIR "/examples/example.inp";
const QString kModel1 = TW_TEST_DATA "/constraints/model1.inp";
const QString kModel1Convert = TW_TEST_DATA "/constraints/model1-convert.inp";
const QString kPeriods = TW_TEST_DATA "/persperiod/periods.inp";

// One main window in its own current directory (saves write fixed names there).
struct Session {
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    ScriptedPlatform scripted;
    std::unique_ptr<Form1> main;

    Session()
    {
        QDir::setCurrent(dir.path());
        scripted.install.registered = TW_BINARY_DIR "/app/tallowick2";
        scripted.processes.fake = [](const ProcessRequest&) { return ProcessResult{}; };  // never starts
        main = std::make_unique<Form1>(scripted.platform);
        main->exitProgram = [] {};
    }
    ~Session()
    {
        main.reset();
        QDir::setCurrent(previous);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    QList<GridWindow*> openGrids() const
    {
        QList<GridWindow*> open;
        for (GridWindow* w : main->findChildren<GridWindow*>())
            if (!w->isClosed())
                open << w;
        return open;
    }
    Form2* designWindow() const { return main->findChild<Form2*>("Form2"); }
};

enum class Start { Example, Model1 };
enum class Window { Grid, Design };
// What the reference run does with the window before the command.
enum class Reference { ClosedByUser, NeverEdited };

struct CommandCase {
    const char* name;
    Start start;
    Reference reference;
    std::function<void(Session&)> run;
};

const std::vector<CommandCase>& commandCases()
{
    static const std::vector<CommandCase> cases = {
        {"save with PIMs", Start::Example, Reference::ClosedByUser,
         [](Session& s) {
             s.scripted.dialogs.fileAnswers.enqueue(QString("out.inp"));
             s.main->savePims();
         }},
        {"save constraints", Start::Model1, Reference::ClosedByUser, [](Session& s) { s.main->saveConstraints(); }},
        {"convert constraints", Start::Model1, Reference::ClosedByUser,
         [](Session& s) {
             s.scripted.dialogs.fileAnswers.enqueue(kModel1Convert);
             s.main->convertConstraints();
         }},
        {"compute POINT", Start::Model1, Reference::ClosedByUser, [](Session& s) { s.main->computePoint(); }},
        {"per-period run", Start::Example, Reference::ClosedByUser,
         [](Session& s) {
             s.scripted.dialogs.fileAnswers.enqueue(kPeriods);
             s.main->runEachPeriod();
         }},
        {"read PIM file", Start::Example, Reference::NeverEdited,
         [](Session& s) {
             s.scripted.dialogs.okCancelAnswers.enqueue(true);  // drop the edit the window holds
             QVERIFY(s.main->openPimFile(kExample));
         }},
        {"read constraints file", Start::Model1, Reference::NeverEdited,
         [](Session& s) {
             s.scripted.dialogs.okCancelAnswers.enqueue(true);  // replace the unsaved model and the edit
             s.scripted.dialogs.fileAnswers.enqueue(kModel1);
             s.main->getConstraintsFile();
         }},
    };
    return cases;
}

void start(Session& s, Start from)
{
    if (from == Start::Example) {
        QVERIFY(s.main->openPimFile(kExample));
        return;
    }
    s.scripted.dialogs.fileAnswers.enqueue(kModel1);
    s.main->getConstraintsFile();
    QCOMPARE(s.main->model().npar, 10);
}

// Leaves the window open holding one edit the model has not seen yet.
void editInWindow(Session& s, Window window)
{
    if (window == Window::Grid) {
        s.main->viewSurvival();
        QVERIFY(!s.openGrids().isEmpty());
        s.openGrids().first()->typeText(0, "7");
        return;
    }
    s.main->openDesignMatrix({1});
    Form2* form = s.designWindow();
    QVERIFY(form);
    if (form->view()->model()->columnCount() == 0)
        form->addColumn();  // a model without design entries shows no column
    QTableView* view = form->view();
    const QModelIndex index = view->model()->index(0, view->model()->columnCount() - 1);
    view->setCurrentIndex(index);
    view->edit(index);
    auto* editor = qobject_cast<QLineEdit*>(view->indexWidget(index));
    QVERIFY(editor);
    editor->setText("0.25");  // left open: the design window's Close commits it
}

void closeByHand(Session& s, Window window)
{
    if (window == Window::Grid) {
        for (GridWindow* w : s.openGrids())
            w->close();
        return;
    }
    s.designWindow()->menu_close->trigger();
    QVERIFY(s.designWindow()->isHidden());
}

}  // namespace

class StaleWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void commandLeavesNoWindowToWriteLater_data();
    void commandLeavesNoWindowToWriteLater();
    void refusedDesignEntryStopsTheSave();
    void editHeldInAWindowCountsAsUnsaved_data();
    void editHeldInAWindowCountsAsUnsaved();
};

void StaleWindowsTest::commandLeavesNoWindowToWriteLater_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("window");
    for (std::size_t i = 0; i < commandCases().size(); ++i)
        for (Window window : {Window::Grid, Window::Design})
            QTest::addRow("%s, %s open", commandCases()[i].name, window == Window::Grid ? "grid" : "design")
                << int(i) << int(window);
}

void StaleWindowsTest::commandLeavesNoWindowToWriteLater()
{
    QFETCH(int, command);
    QFETCH(int, window);
    const CommandCase& c = commandCases()[static_cast<std::size_t>(command)];
    const auto kind = Window(window);

    Session reference;
    start(reference, c.start);
    if (c.reference == Reference::ClosedByUser) {
        editInWindow(reference, kind);
        closeByHand(reference, kind);
    }
    c.run(reference);

    Session open;
    start(open, c.start);
    editInWindow(open, kind);
    c.run(open);

    QVERIFY(open.openGrids().isEmpty());
    if (Form2* form = open.designWindow()) {
        QVERIFY(form->isHidden());
        QCOMPARE(form->view()->model()->rowCount(), 0);  // nothing left for a later Close
    }
    QCOMPARE(open.main->model().pim, reference.main->model().pim);
    QCOMPARE(open.main->model().dm.entries(), reference.main->model().dm.entries());
    QVERIFY(open.main->model() == reference.main->model());
    QCOMPARE(open.scripted.dialogs.messages(), reference.scripted.dialogs.messages());
}

void StaleWindowsTest::refusedDesignEntryStopsTheSave()
{
    Session s;
    start(s, Start::Example);
    s.main->viewSurvival();
    s.main->openDesignMatrix({1});
    Form2* form = s.designWindow();
    QVERIFY(form);
    QVERIFY(form->itemModel()->setData(form->itemModel()->index(0, 0), "abc"));
    s.scripted.dialogs.fileAnswers.enqueue(QString("out.inp"));
    s.main->savePims();
    QCOMPARE(s.scripted.dialogs.messages(),
             QStringList{"The entry \"abc\" in row \"cell 1\" under B1 is not a number."});
    QVERIFY(form->isVisible());  // still open, the entry to mend selected
    QVERIFY(!QFile::exists("out.inp"));
    QCOMPARE(s.openGrids().size(), 2);  // the command stopped before touching the grids
}

void StaleWindowsTest::editHeldInAWindowCountsAsUnsaved_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<bool>("replace");
    QTest::newRow("grid, cancelled") << int(Window::Grid) << false;
    QTest::newRow("grid, replaced") << int(Window::Grid) << true;
    QTest::newRow("design, cancelled") << int(Window::Design) << false;
    QTest::newRow("design, replaced") << int(Window::Design) << true;
}

void StaleWindowsTest::editHeldInAWindowCountsAsUnsaved()
{
    QFETCH(int, window);
    QFETCH(bool, replace);
    Session s;
    start(s, Start::Example);
    editInWindow(s, Window(window));
    if (Window(window) == Window::Design) {
        Form2* form = s.designWindow();
        form->view()->setCurrentIndex(QModelIndex());  // leaving the cell commits the typed entry
        QVERIFY(form->table().hasEdits());
    }
    QCOMPARE(s.main->model().unsaved, 0);

    s.scripted.dialogs.okCancelAnswers.enqueue(false);
    s.main->quit();
    s.scripted.dialogs.okCancelAnswers.enqueue(replace);
    QCOMPARE(s.main->openPimFile(kExample), replace);
    QStringList questions;
    for (const ScriptedDialogs::Asked& asked : s.scripted.dialogs.asked)
        questions << asked.text;
    QCOMPARE(questions, QStringList({"You haven't saved the file! Are you sure you really really really want to quit?",
                                     "The model has unsaved changes. Replace it?"}));
    const bool stillOpen = Window(window) == Window::Grid ? !s.openGrids().isEmpty() : s.designWindow()->isVisible();
    QCOMPARE(stillOpen, !replace);
}

TW_GUI_TEST(StaleWindowsTest)
#include "stale_windows_test.moc"
