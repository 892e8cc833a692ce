// The grid windows (frm_movement) opened by the main window's view commands: their item
// models, marking by click, painting, the menu states while they are open, write-back on
// closing, the marks taken into the design matrix, typing and Delete, the other windows'
// numbers "age,strata,time varying" avoids, and where the windows open.
#include <QAbstractItemModelTester>
#include <QFileInfo>
#include <QPainter>
#include <QScreen>
#include <QTableView>
#include <QToolTip>
#include <set>

#include "guitest.h"
#include "pim/widgets/gridpainting.h"
#include "pim/widgets/gridplacement.h"
#include "support.h"

using namespace twtest;

namespace {

constexpr int kFixedCell = 4;  // movement from A, group 1: age 1, to C, first interval

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
            const QRect cellRect(table->columnViewportPosition(index.column()), table->rowViewportPosition(index.row()),
                                 table->columnWidth(index.column()) - 1, table->rowHeight(index.row()) - 1);
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

    void menuStatesWhileOpenAndAfterOneWindowCloses()
    {
        Views f;
        auto states = [&f] {
            return QList<bool>{f.enabled("menu_pim_action"), f.action("menu_cons_action")->isVisible(),
                               f.child("lbl_pim")->isVisibleTo(&f.form)};
        };
        QCOMPARE(states(), (QList<bool>{true, false, false}));
        f.form.viewSurvival();
        QCOMPARE(states(), (QList<bool>{false, true, true}));
        f.grids().at(1)->close();
        QCOMPARE(states(), (QList<bool>{true, false, false}));
        QCOMPARE(f.grids().size(), 1);  // the other window stays open and working
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
        QCOMPARE(f.dialogs.messages(),
                 QStringList{"The view needs cell 101, but the model has only 100 cells (NPAR)."});
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

    // A fixed cell shows its value in its colour and says so in its tool tip.
    void fixedCellsShowTheirValueInTheirColour()
    {
        Example f;
        GridWindow* window = f.open(&Form1::viewMovement, 0);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QModelIndex shown = window->gridModel()->indexOf(kFixedCell);
        QCOMPARE(shown.data().toString(), QString("=0.02"));
        QCOMPARE(shown.data(Qt::ToolTipRole).toString(),
                 QString("fixed at 0.02\nCell 3, age 1, to C, interval 1, from primary period 1 to 2"));
        QVERIFY(pixelsNear(cellPicture(window, kFixedCell), GridTableModel::fixedColour()) > 0);
        QCOMPARE(pixelsNear(cellPicture(window, 1), GridTableModel::fixedColour()), 0);
        QCOMPARE(pixelsNear(cellPicture(window, kFixedCell), GridTableModel::flagColour()), 0);
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

    // Each window names what it shows, and its tool tip names the model's file.
    void windowSaysWhatItShowsAndWhichFile()
    {
        Example f;
        f.form.viewMovement();
        GridWindow* fromB2 = f.grids().at(4);
        QCOMPARE(fromB2->findChild<QLabel*>("lbl_view")->text(),
                 QString("Movement from stratum B, group 2 — rows: age class and stratum of arrival; "
                         "columns: intervals"));
        QCOMPARE(fromB2->toolTip(), "Model file: " + QFileInfo(kExample).absoluteFilePath());
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

    // A screen's available area of 1000 x 700 at (100, 50), steps of 30.
    void cascadeFitsTheScreen()
    {
        const QSize small(300, 200);
        const QSize large(3000, 2000);
        const QSize none(0, 0);
        const QPoint start(140, 110);
        const struct {
            const char* name;
            int count;
            QSize wanted;
            QSize smallest;
            QPoint start;
            QSize frame;
            QPoint first;
        } cases[] = {
            {"thirty small", 30, small, none, start, small, start},
            {"one larger than the screen", 1, large, none, start, QSize(900, 630), start},
            // Shrunk to leave room for the next two below and right of the first.
            {"three large", 3, large, none, start, QSize(900, 580), start},
            {"tiny grows to 240 x 160", 2, QSize(50, 40), none, start, QSize(240, 160), start},
            // Room for seven steps and a window of the smallest size.
            {"start beyond the screen", 3, small, none, QPoint(5000, 5000), small, QPoint(650, 380)},
            {"start above the screen", 3, small, none, QPoint(-50, 0), small, QPoint(100, 50)},
            {"least size of the window", 3, large, QSize(400, 300), QPoint(5000, 5000), QSize(550, 450),
             QPoint(490, 240)},
            // Too wide for the screen: a scroll bar (20) along the bottom, the height grown to
            // show every row still.
            {"wide and low", 1, QSize(3000, 300), none, start, QSize(900, 320), start},
            {"narrow and high", 1, QSize(300, 3000), none, start, QSize(320, 630), start},
        };
        const QRect available(100, 50, 1000, 700);
        for (const auto& c : cases) {
            const std::vector<QRect> frames =
                cascadeFrames(0, c.count, {c.wanted, c.smallest, 20}, available, c.start, 30);
            QVERIFY2(int(frames.size()) == c.count, c.name);
            QVERIFY2(frames.front().topLeft() == c.first, c.name);
            std::set<std::pair<int, int>> corners;
            for (const QRect& placed : frames) {
                QVERIFY2(placed.size() == c.frame, c.name);
                QVERIFY2(available.contains(placed), c.name);
                corners.insert({placed.x(), placed.y()});
            }
            QVERIFY2(int(corners.size()) == c.count, c.name);
        }
    }
};

TW_GUI_TEST(GridWindowsTest)
#include "grid_windows_test.moc"
