// The design matrix from one end to the other, as a user gets there: the bundled
// example read, cells marked in a survival window, entries typed in the design-matrix
// window, the model saved with its PIMs and the saved file read back.
#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "app/mainwindow.h"
#include "design/widgets/form2.h"
#include "guitest.h"
#include "model/pimreader.h"
#include "pim/widgets/gridtablemodel.h"
#include "pim/widgets/gridwindow.h"
#include "platform/scripted.h"

using namespace tw;

namespace {

const QString kExample = TW_SOURCE_DIR "/examples/example.inp";

// The first grid cell of the window whose model cell holds the parameter.
int gridCellOfParameter(const GridWindow& window, const Model& model, int parameter)
{
    const std::vector<int>& cells = window.cellmap();
    for (std::size_t i = 0; i < cells.size(); ++i)
        if (cells[i] > 0 && model.pim[static_cast<std::size_t>(cells[i])] == parameter)
            return static_cast<int>(i);
    return -1;
}

QStringList headers(const QAbstractItemModel* model, Qt::Orientation orientation)
{
    QStringList texts;
    const int count = orientation == Qt::Horizontal ? model->columnCount() : model->rowCount();
    for (int i = 0; i < count; ++i)
        texts << model->headerData(i, orientation).toString();
    return texts;
}

}  // namespace

class DesignEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void typedEntriesReachTheSavedDesignSection();
};

void DesignEndToEndTest::typedEntriesReachTheSavedDesignSection()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScriptedPlatform scripted;
    Form1 main(scripted.platform);
    QVERIFY(main.openPimFile(kExample));
    const DesignMatrix before = main.model().dm;
    QCOMPARE(before.get(1, 4), 0.0);
    QCOMPARE(before.get(3, 1), 1.0);
    QCOMPARE(before.get(3, 4), 1.0);

    main.viewSurvival();
    auto* window = main.findChild<GridWindow*>("frm_movement");
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    for (int parameter : {1, 3}) {
        const int cell = gridCellOfParameter(*window, main.model(), parameter);
        QVERIFY(cell >= 0);
        const QPoint at = window->table()->visualRect(window->gridModel()->indexOf(cell)).center();
        QTest::mouseClick(window->table()->viewport(), Qt::LeftButton, Qt::ShiftModifier, at);
        QVERIFY(window->grid().marked(cell));
    }
    window->menu_dm->trigger();

    auto* form = main.findChild<Form2*>("Form2");
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QTableView* view = form->view();
    QCOMPARE(view->model()->rowCount(), 2);
    QCOMPARE(headers(view->model(), Qt::Horizontal), QStringList({"B1", "B4"}));
    const struct {
        int row, column;
        QString text;
    } typed[] = {{0, 1, "0.5"}, {1, 0, "-2"}};
    for (const auto& entry : typed) {
        const QModelIndex index = view->model()->index(entry.row, entry.column);
        view->setCurrentIndex(index);
        view->edit(index);
        auto* editor = qobject_cast<QLineEdit*>(view->indexWidget(index));
        QVERIFY(editor);
        editor->setText(entry.text);  // moving on or Close commits the editor
    }
    form->menu_close->trigger();
    QVERIFY(!form->isVisible());

    const QString saved = dir.filePath("saved.inp");
    scripted.dialogs.fileAnswers.enqueue(saved);
    main.menu_savepims->trigger();
    QCOMPARE(scripted.dialogs.messages(), QStringList());

    auto read = readPimFile(saved.toStdString());
    QVERIFY2(read.ok(), read.ok() ? "" : read.error().text().c_str());
    const DesignMatrix& after = read->dm;
    QCOMPARE(after.get(1, 4), 0.5);
    QCOMPARE(after.get(3, 1), -2.0);
    // Everything else of the section is as the example had it.
    DesignMatrix expected = before;
    expected.set(1, 4, 0.5);
    expected.set(3, 1, -2.0);
    QCOMPARE(after.entries(), expected.entries());
    QCOMPARE(read->pim, main.model().pim);
}

TW_GUI_TEST(DesignEndToEndTest)
#include "design_end_to_end_test.moc"
