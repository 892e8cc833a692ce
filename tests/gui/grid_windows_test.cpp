// The grid windows (frm_movement) opened by the main window's view commands: their item
// models, marking by click, the numbers drawn, write-back on closing, the marks taken into the design matrix,
// the other windows' numbers "age,strata,time varying" avoids, texts flagged while typed,
// Delete, and where the windows open.
#include <QAbstractItemModelTester>
#include <QPainter>
#include <QScreen>
#include <QTableView>
#include <QToolTip>

#include "guitest.h"
#include "pim/widgets/gridpainting.h"
#include "support.h"

using namespace twtest;

namespace {

// How many pixels of the cell's picture are near the colour.
int pixelsNear(const QImage& image, const QColor& colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green())
                    + std::abs(pixel.blue() - colour.blue()) < 60)
                ++count;
        }
    return count;
}

QImage cellPicture(GridWindow* window, int cell)
{
    QTableView* table = window->table();
    const QRect rect = table->visualRect(window->gridModel()->indexOf(cell));
    return table->viewport()->grab(rect).toImage();
}

}  // namespace

class GridWindowsTest : public QObject {
    Q_OBJECT

private slots:
    // Every view's windows are frm_movement windows over an item model that passes the tester.
    void everyViewsItemModelPassesTheTester()
    {
        Views f;
        for (const auto view : {&Form1::viewSurvival, &Form1::viewOpenCapture, &Form1::viewClosedCapture,
                                &Form1::viewMovement})
            (f.form.*view)();
        QCOMPARE(f.grids().size(), 2 + 1 + 1 + 6);
        for (GridWindow* w : f.grids()) {
            QCOMPARE(w->objectName(), QString("frm_movement"));
            QAbstractItemModelTester tester(w->gridModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
            QVERIFY(w->gridModel()->setData(w->gridModel()->indexOf(0), "42"));
        }
    }

    void shiftClickMarksCells()
    {
        const struct {
            const char* name;
            Qt::KeyboardModifiers keys;
            int clicks;
            bool marked;
        } cases[] = {
            {"shift marks", Qt::ShiftModifier, 1, true},
            {"shift twice unmarks", Qt::ShiftModifier, 2, false},
            {"ctrl shift does nothing", Qt::ShiftModifier | Qt::ControlModifier, 1, false},
            {"plain click does nothing", Qt::NoModifier, 1, false},
        };
        for (const auto& c : cases) {
            Views f;
            f.form.viewSurvival();
            GridWindow& window = *f.grids().at(0);
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            for (int i = 0; i < c.clicks; ++i)
                clickCell(window, 4, c.keys);
            const QColor shown = window.gridModel()->indexOf(4).data(Qt::BackgroundRole).value<QColor>();
            QVERIFY2((shown == QColor(255, 0, 0)) == c.marked, c.name);
            QVERIFY2(window.grid().marked(4) == c.marked, c.name);
            QVERIFY(!window.grid().marked(3));
        }
    }

    // Numbers and fixed values are drawn from glyphs looked up once rather than through
    // a text layout; they must land on the same pixels as centred text would, and other
    // texts ("=1E-05") still take the text layout. Fixed values take their own colour.
    void cellTextsSitWhereCentredTextWould()
    {
        Views f;
        f.form.viewSurvival();
        GridWindow* window = f.grids().at(0);
        // Cells away from the first (current) one and from the gap bars.
        std::vector<std::pair<int, QString>> typed;
        const QStringList texts = {"7", "-2", "32767", "0", "=0.02", "=1E-05"};
        for (int cell = 1; cell < window->grid().cellCount() && typed.size() < std::size_t(texts.size()); ++cell) {
            const QModelIndex index = window->gridModel()->indexOf(cell);
            if (!window->layout().endsPeriod(index.column()) && !window->layout().endsAgeClass(index.row()))
                typed.emplace_back(cell, texts[int(typed.size())]);
        }
        QCOMPARE(int(typed.size()), int(texts.size()));
        for (const auto& [cell, text] : typed)
            window->typeText(cell, text);
        QTableView* table = window->table();
        const QImage shown = table->viewport()->grab().toImage();
        for (const auto& [cell, text] : typed) {
            const QModelIndex index = window->gridModel()->indexOf(cell);
            const QRect cellRect(table->columnViewportPosition(index.column()),
                                 table->rowViewportPosition(index.row()), table->columnWidth(index.column()) - 1,
                                 table->rowHeight(index.row()) - 1);
            QImage expected(cellRect.size(), shown.format());
            expected.fill(Qt::white);
            QPainter painter(&expected);
            painter.setFont(table->font());
            painter.setPen(text.startsWith('=') ? GridTableModel::fixedColour() : QColor(Qt::black));
            painter.drawText(QRect(QPoint(0, 0), cellRect.size()), Qt::AlignCenter, text);
            painter.end();
            QCOMPARE(shown.copy(cellRect), expected);
        }
    }

    void twoViewsOpenAtOnceWriteBackIntoTheirOwnCells()
    {
        Views f;
        f.form.viewSurvival();
        f.form.viewMovement();
        const QList<GridWindow*> open = f.grids();
        QCOMPARE(open.size(), 8);
        GridWindow* survival2 = open.at(1);   // group 2: cell 37 first
        GridWindow* movementB2 = open.at(6);  // group 2 from B: cell 40 first
        QVERIFY(typeInto(survival2->table(), 0, 0, "500"));  // left open: closing commits it
        movementB2->typeText(0, "600");
        survival2->close();
        QCOMPARE(f.model().pim[37], 500);
        QCOMPARE(f.model().pim[40], 40);
        movementB2->close();
        QCOMPARE(f.model().pim[40], 600);
        f.model().pim[37] = 37;  // a closed window writes back only once
        f.form.closeGridWindows(Form1::WriteBack::Yes);
        QCOMPARE(f.model().pim[37], 37);
    }

    // The marks of every open window go into the design matrix, built after the windows
    // wrote back: a marked cell given a new number shows its new parameter's row.
    void designMatrixCollectsTheMarksOfEveryWindowWrittenBack()
    {
        Views f;
        f.form.viewSurvival();
        f.grids().at(1)->toggleMark(1);
        f.grids().at(0)->toggleMark(0);
        f.grids().at(1)->typeText(1, "321");
        trigger(f.grids().at(0), "menu_dm");
        QVERIFY(f.grids().isEmpty());
        QVERIFY(f.design() && f.design()->isVisible());
        const QStringList rows = headers(f.design()->view()->model(), Qt::Vertical);
        QCOMPARE(rows.size(), 2);
        QVERIFY2(rows.last().startsWith(QString::fromUtf8("321 \u00b7")), qPrintable(rows.join(", ")));
    }

    // A view the model cannot fill says why and opens nothing.
    void brokenModelShowsAMessageAndOpensNothing()
    {
        Views f;
        f.model().npar = 100;
        createCellArrays(f.model());
        f.form.viewClosedCapture();
        QVERIFY(f.grids().isEmpty());
        QCOMPARE(f.dialogs.messages().size(), 1);
    }

    // "Varying" numbers above those held outside the window: another open window's text
    // counts as it stands, before it is written back (the numbering itself is the core's).
    void varyingReadsTheOtherOpenWindowsAsTheyStand()
    {
        Example f;
        f.form.viewSurvival();
        f.grids().at(1)->typeText(0, "900");
        trigger(f.grids().at(0), "menu_varying");
        QCOMPARE(f.grids().at(0)->grid().texts.front(), std::string("901"));
    }

    void invalidTextIsFlaggedWhileTyping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("note");
        QTest::newRow("letters") << "12abc" << "Not a whole number: stored as 12";
        QTest::newRow("fixing") << "=0.3" << "";
    }
    void invalidTextIsFlaggedWhileTyping()
    {
        QFETCH(QString, text);
        QFETCH(QString, note);
        Example f;
        GridWindow* window = f.open(&Form1::viewSurvival, 0);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTableView* table = window->table();
        const QModelIndex index = window->gridModel()->indexOf(1);
        table->setCurrentIndex(index);
        table->edit(index);
        auto* editor = dynamic_cast<GridCellEditor*>(table->indexWidget(index));
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QCOMPARE(editor->flagged(), !note.isEmpty());
        if (!note.isEmpty())
            QCOMPARE(QToolTip::text(), note);  // said at once, not only on hovering
        QCOMPARE(pixelsNear(editor->grab().toImage(), GridTableModel::flagColour()) > 0, !note.isEmpty());
        QTest::keyClick(editor, Qt::Key_Return);
        // Once entered, the cell keeps the flag.
        QTRY_COMPARE(window->grid().texts[1], text.toStdString());
        QCOMPARE(pixelsNear(cellPicture(window, 1), GridTableModel::flagColour()) > 0, !note.isEmpty());
    }

    // A window that gains the focus has a current cell (the first) for typing to go to; it
    // must survive the table repainting only what focus changes touch. Delete clears the
    // current cell in one undo step.
    void activeWindowHasACurrentCellAndDeleteClearsIt()
    {
        Example f;
        GridWindow* window = f.open(&Form1::viewSurvival, 0);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTableView* table = window->table();
        QCOMPARE(table->currentIndex(), window->gridModel()->index(0, 0));
        table->setCurrentIndex(window->gridModel()->indexOf(2));
        QTest::keyClick(table, Qt::Key_Delete);
        QCOMPARE(window->grid().texts[2], std::string());
        QVERIFY(!table->indexWidget(window->gridModel()->indexOf(2)));  // no editor left open
        trigger(window, "menu_undo");
        QCOMPARE(window->grid().texts[2], std::string("1"));
    }

    // Movement windows of different groups used to open on one spot. Every window lies
    // on the screen, and no window covers the top-left corner of one opened before it.
    void windowsCascadeOnScreen()
    {
        for (const QPoint mainWindowAt : {QPoint(0, 0), QPoint(4000, 4000)}) {
            Example f;
            f.form.move(mainWindowAt);
            f.form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f.form));
            f.form.viewSurvival();
            f.form.viewMovement();
            const QList<GridWindow*> open = f.grids();
            QCOMPARE(open.size(), 8);
            const QRect screen = f.form.screen()->availableGeometry();
            for (int i = 0; i < open.size(); ++i) {
                QVERIFY2(screen.contains(open[i]->frameGeometry()), qPrintable(open[i]->windowTitle()));
                const QPoint corner = open[i]->frameGeometry().topLeft() + QPoint(4, 4);
                for (int j = i + 1; j < open.size(); ++j)
                    QVERIFY2(!open[j]->frameGeometry().contains(corner),
                             qPrintable(open[j]->windowTitle() + " hides " + open[i]->windowTitle()));
            }
        }
    }

};

TW_GUI_TEST(GridWindowsTest)
#include "grid_windows_test.moc"
