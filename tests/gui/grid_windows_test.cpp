// The grid windows (frm_movement) opened by the main window's view commands: how many,
// marking by click, the menu states while they are open, write-back on closing, the way
// into the design matrix; what they show and take beyond parameter numbers (fixed cells
// shown as their value and fixed by typing "=" and a value, texts that would not be stored
// as they read flagged while typing, Delete, "age,strata,time varying" tying nothing
// outside its window, the line naming what a window shows) and where they open.
#include <QAbstractItemModelTester>
#include <QFileInfo>
#include <QPainter>
#include <QScreen>
#include <QTableView>
#include <QToolTip>
#include <QUndoStack>
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

// Distinct parameter numbers that the model's cells hold, apart from the given cells.
std::set<int> numbersApartFrom(const Model& model, const std::vector<int>& cells)
{
    std::set<int> numbers;
    const std::set<int> skip(cells.begin(), cells.end());
    for (int cell = 1; cell <= model.npar; ++cell)
        if (!skip.count(cell) && model.pim[cell] > 0)
            numbers.insert(model.pim[cell]);
    return numbers;
}

}  // namespace

class GridWindowsTest : public QObject {
    Q_OBJECT

private slots:
    // One window per group, per group and stratum of departure for movement; each over an
    // item model that passes the tester (the captions are the views' own, tested in the core).
    void windowCountsAndModels()
    {
        const std::pair<void (Form1::*)(), int> views[] = {
            {&Form1::viewSurvival, 2}, {&Form1::viewOpenCapture, 1}, {&Form1::viewClosedCapture, 1},
            {&Form1::viewMovement, 6}};
        for (const auto& [view, count] : views) {
            Views f;
            (f.form.*view)();
            for (GridWindow* w : f.grids()) {
                QCOMPARE(w->objectName(), QString("frm_movement"));
                QVERIFY(w->isVisible());
                QAbstractItemModelTester tester(w->gridModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
                QVERIFY(w->gridModel()->setData(w->gridModel()->indexOf(0), "42"));
            }
            QCOMPARE(int(f.grids().size()), count);
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
        QCOMPARE(f.model().pim[1], 1);
        QVERIFY(f.model().unsaved);
        f.model().pim[37] = 37;  // a closed window writes back only once
        f.form.closeGridWindows(Form1::WriteBack::Yes);
        QCOMPARE(f.model().pim[37], 37);
    }

    void designMatrixCollectsMarksAndClosesEveryWindow()
    {
        Views f;
        f.form.viewSurvival();
        QList<GridWindow*> open = f.grids();
        open.at(1)->toggleMark(1);
        open.at(0)->toggleMark(0);
        open.at(1)->typeText(1, "321");
        trigger(open.at(0), "menu_dm");
        QVERIFY(f.grids().isEmpty());
        QCOMPARE(f.model().pim[46], 321);  // written back before the design matrix reads it
        QVERIFY(f.enabled("menu_pim_action"));
        QVERIFY(f.design() && f.design()->isVisible());
        QCOMPARE(f.design()->view()->model()->rowCount(), 2);
    }

    void brokenModelShowsAMessageAndOpensNothing()
    {
        Views f;
        f.model().npar = 100;
        createCellArrays(f.model());
        f.form.viewClosedCapture();
        QVERIFY(f.grids().isEmpty());
        QVERIFY(f.enabled("menu_pim_action"));
        QCOMPARE(f.dialogs.messages(),
                 QStringList{"The view needs cell 101, but the model has only 100 cells (NPAR)."});
    }

    // The example holds 1..35 and more; survival group 1 numbered from 1 would tie
    // itself to group 2, movement and capture cells. The window gives the numbering the
    // other windows' texts as they stand (the rule itself is tested in the core).
    void varyingTiesNothingOutsideItsWindow()
    {
        Example f;
        f.form.viewSurvival();
        GridWindow* group1 = f.grids().at(0);
        GridWindow* group2 = f.grids().at(1);
        group2->typeText(0, "900");  // not written back yet: still holds 900
        trigger(group1, "menu_varying");
        QCOMPARE(group1->grid().texts.front(), std::string("901"));
        trigger(group2, "menu_oops");  // 900 is gone, but group 1 keeps what it was given
        group2->close();
        group1->close();
        const std::vector<int>& cells = group1->cellmap();
        const std::set<int> outside = numbersApartFrom(f.model(), cells);
        std::set<int> inside;
        for (int cell : cells)
            inside.insert(f.model().pim[cell]);
        QCOMPARE(int(inside.size()), int(cells.size()));  // every cell its own parameter
        for (int number : inside)
            QVERIFY2(!outside.count(number), qPrintable(QString("%1 ties a cell outside").arg(number)));
    }

    // A fixed cell shows its value in its colour. Typing "=0.3" fixes the cell at 0.3; typing
    // a number into a fixed cell makes it estimated again; both reach the model at closing.
    void fixedCellsShowTheirValueAndTypingFixesAndUnfixesThem()
    {
        Example f;
        GridWindow* window = f.open(&Form1::viewMovement, 0);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QModelIndex shown = window->gridModel()->indexOf(kFixedCell);
        QCOMPARE(shown.data().toString(), QString("=0.02"));
        QCOMPARE(shown.data(Qt::ToolTipRole).toString(),
                 QString("fixed at 0.02\nCell 3, age 1, to C, interval 1, from primary period 1 to 2"));
        QCOMPARE(shown.data(Qt::ForegroundRole).value<QColor>(), GridTableModel::fixedColour());
        QVERIFY(pixelsNear(cellPicture(window, kFixedCell), GridTableModel::fixedColour()) > 0);
        QCOMPARE(pixelsNear(cellPicture(window, 1), GridTableModel::fixedColour()), 0);
        QCOMPARE(pixelsNear(cellPicture(window, kFixedCell), GridTableModel::flagColour()), 0);

        const int estimated = window->cellmap()[1];
        const int fixed = window->cellmap()[kFixedCell];
        const std::int16_t oldPim = f.model().pim[estimated];
        QCOMPARE(f.model().unsaved, 0);
        QVERIFY(typeInto(window->table(), 0, 1, "=0.3"));
        QVERIFY(typeInto(window->table(), 1, 0, "19"));  // left open: closing commits it
        QCOMPARE(window->grid().texts[1], std::string("=0.3"));
        window->close();
        QCOMPARE(f.model().pim[estimated], fixedMarker(oldPim));
        QCOMPARE(f.model().initval[estimated], 0.3);
        QCOMPARE(f.model().pim[fixed], std::int16_t(19));
        QCOMPARE(f.model().initval[fixed], 0.0);
        QCOMPARE(f.model().unsaved, 1);
        // Shown again as fixed when the view opens again.
        f.form.closeGridWindows(Form1::WriteBack::Yes);
        GridWindow* again = f.open(&Form1::viewMovement, 0);
        QCOMPARE(again->grid().texts[1], std::string("=0.3"));
        QCOMPARE(again->grid().texts[kFixedCell], std::string("19"));
    }

    void invalidTextIsFlaggedWhileTyping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("note");
        QTest::newRow("letters") << "12abc" << "Not a whole number: stored as 12";
        QTest::newRow("too large") << "40000" << "Outside -32768..32767: the cell keeps its parameter number";
        QTest::newRow("whole number") << "12" << "";
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
        QCOMPARE(editor->text(), text);
        QCOMPARE(editor->flagged(), !note.isEmpty());
        if (!note.isEmpty()) {
            QCOMPARE(editor->toolTip(), note);
            QCOMPARE(QToolTip::text(), note);  // said at once, not only on hovering
        }
        const QImage typing = editor->grab().toImage();
        QCOMPARE(pixelsNear(typing, GridTableModel::flagColour()) > 0, !note.isEmpty());
        QTest::keyClick(editor, Qt::Key_Return);
        // Once entered, the cell keeps the flag and says the same in its tool tip.
        QTRY_COMPARE(window->grid().texts[1], text.toStdString());
        QCOMPARE(index.data(Qt::ToolTipRole).toString().section('\n', 0, 0) == note, !note.isEmpty());
        QCOMPARE(pixelsNear(cellPicture(window, 1), GridTableModel::flagColour()) > 0, !note.isEmpty());
    }

    // A window that gains the focus has a current cell (the first) for typing to go to; it
    // must survive the table repainting only what focus changes touch. Delete clears the
    // current cell in one undo step; a cleared cell stores 0.
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
        QCOMPARE(window->undoStack()->count(), 1);
        trigger(window, "menu_undo");
        QCOMPARE(window->grid().texts[2], std::string("1"));
        trigger(window, "menu_redo");
        const int cell = window->cellmap()[2];
        window->close();
        QCOMPARE(f.model().pim[cell], std::int16_t(0));
    }

    // Each window names what it shows, and its tool tip names the model's file.
    void windowSaysWhatItShowsAndWhichFile()
    {
        Example f;
        f.form.viewMovement();
        GridWindow* fromB2 = f.grids().at(4);
        QCOMPARE(fromB2->windowTitle(), QString("movement B- . - group 2"));
        QCOMPARE(fromB2->findChild<QLabel*>("lbl_view")->text(),
                 QString("Movement from stratum B, group 2 — rows: age class and stratum of arrival; columns: intervals"));
        QVERIFY(fromB2->findChild<QLabel*>("lbl_view")->isVisible());
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
            {"one small", 1, small, none, start, small, start},
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
            const std::vector<QRect> frames = cascadeFrames(0, c.count, {c.wanted, c.smallest, 20}, available, c.start, 30);
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
