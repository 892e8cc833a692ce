// The design-matrix window as the user drives it: built from marked cells through the
// main window, edited, and closed by its menu or its close box.
#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMenuBar>
#include <QScrollBar>

#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

// Twelve cells, each its own parameter, labelled "c1".."c12"; dmcols = 6; entries in
// columns 2 and 5 only.
struct Design : Session {
    Design()
    {
        Model& m = model();
        m.npar = 12;
        createCellArrays(m);
        for (int i = 1; i <= 12; ++i)
            m.labels[i] = "c" + std::to_string(i);
        m.nparms = 12;
        m.dmrows = 12;
        m.dmcols = 6;
        m.dm.set(3, 2, 1);
        m.dm.set(7, 2, 2);
        m.dm.set(7, 5, 3);
        m.dm.setColUsed(2);
        m.dm.setColUsed(5);
        m.modelform = "pim";
    }
    Form2* open(const std::vector<int>& cells)
    {
        form.menu_cons->menuAction()->setVisible(true);
        form.openDesignMatrix(cells);
        Form2* found = design();
        return found && QTest::qWaitForWindowExposed(found) ? found : nullptr;
    }
};

void pressHeader(Form2* form, int section, bool twice = false)
{
    QHeaderView* header = form->view()->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
    if (twice)
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, at);
    else
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

class DesignWindowTest : public QObject {
    Q_OBJECT

private slots:
    void buildLaysOutMarkedRows_data()
    {
        QTest::addColumn<QList<int>>("cells");
        QTest::addColumn<QStringList>("rowHeaders");
        QTest::addColumn<QStringList>("columnHeaders");
        QTest::newRow("fiveRowsInMarkOrder")
            << QList<int>{1, 2, 3, 9, 10} << QStringList{"c1", "c2", "c3", "c9", "c10"} << QStringList{"B2"};
        QTest::newRow("noMarks") << QList<int>{} << QStringList{} << QStringList{};
    }
    void buildLaysOutMarkedRows()
    {
        QFETCH(QList<int>, cells);
        Design s;
        Form2* form = s.open(std::vector<int>(cells.begin(), cells.end()));
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QString("Design matrix"));
        QCOMPARE(form->Label1->text(),
                 QString("To delete cols, click on col header(s), then choose Cols-del from menus"));
        QTEST(headers(form->view()->model(), Qt::Vertical), "rowHeaders");
        QTEST(headers(form->view()->model(), Qt::Horizontal), "columnHeaders");
    }

    void windowHugsASmallTableButShowsEveryCommand()
    {
        Design s;
        Form2* form = s.open({3, 7});
        QVERIFY(form);
        QVERIFY(form->menuBar()->sizeHint().width() <= form->width());
        QHeaderView* header = form->view()->horizontalHeader();
        QVERIFY(header->length() <= form->view()->viewport()->width());  // every column in view
        QVERIFY(form->width() < header->length() + 600);
        QVERIFY(form->height() < 400);
    }

    void halfTypedUnderB5IsStoredAtClose()
    {
        Design s;
        Form2* form = s.open({3, 7});
        QVERIFY(form);
        QVERIFY(typeInto(form->view(), 1, 1, "0.5"));
        form->menu_close->trigger();
        QCOMPARE(s.model().dm.get(7, 5), 0.5);
        QCOMPARE(s.model().unsaved, 1);
        QVERIFY(!form->isVisible());
        QVERIFY(!s.form.menu_cons->menuAction()->isVisible());
        QCOMPARE(form->view()->model()->rowCount(), 0);
    }

    void headerPressesSelectAndDeleteHidesButStillStores_data()
    {
        QTest::addColumn<QList<int>>("pressed");
        QTest::addColumn<QList<bool>>("hidden");
        QTest::newRow("headers1and2") << QList<int>{1, 1, 2, 2} << QList<bool>{false, true, true};
        QTest::newRow("header0Alone") << QList<int>{0, 0} << QList<bool>{false, false, false};
        QTest::newRow("pressedOnceIsWhiteNotSelected") << QList<int>{1} << QList<bool>{false, false, false};
    }
    void headerPressesSelectAndDeleteHidesButStillStores()
    {
        QFETCH(QList<int>, pressed);
        QFETCH(QList<bool>, hidden);
        Design s;
        s.model().dm.set(7, 1, 4);
        Form2* form = s.open({7});  // columns B1, B2, B5
        QVERIFY(form);
        for (int section : pressed)
            pressHeader(form, section);
        form->menu_delcols->trigger();
        for (int j = 0; j < 3; ++j)
            QCOMPARE(form->view()->isColumnHidden(j), hidden[j]);
        QVERIFY(typeInto(form->view(), 0, 2, "6"));
        form->menu_close->trigger();
        QCOMPARE(s.model().dm.get(7, 5), 6.0);
    }

    void shiftPressHighlightsTheBlockAndTogglesIt()
    {
        Design s;
        s.model().dm.set(1, 1, 1);
        Form2* form = s.open({1, 2, 3});  // columns B1, B2
        QVERIFY(form);
        QTableView* view = form->view();
        auto press = [&](int row, int column, Qt::KeyboardModifiers keys) {
            QTest::mouseClick(view->viewport(), Qt::LeftButton, keys,
                              view->visualRect(view->model()->index(row, column)).center());
        };
        auto yellow = [&] {
            QList<QPoint> cells;
            for (int x = 0; x < 3; ++x)
                for (int j = 0; j < 2; ++j)
                    if (view->model()->index(x, j).data(Qt::BackgroundRole).value<QBrush>().color() == Qt::yellow)
                        cells << QPoint(j, x);
            return cells;
        };
        press(0, 0, {});
        press(1, 1, Qt::ShiftModifier);
        QCOMPARE(yellow(), (QList<QPoint>{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
        press(1, 1, Qt::ShiftModifier);
        QCOMPARE(yellow(), (QList<QPoint>{{0, 0}, {1, 0}, {0, 1}}));
        press(2, 1, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(yellow().size(), 3);
    }

    void scrollRightThenLeftReturns()
    {
        Design s;
        for (int c = 1; c <= 30; ++c)
            s.model().dm.set(7, c, c);
        s.model().dmcols = 30;
        Form2* form = s.open({7});
        QVERIFY(form);
        QScrollBar* bar = form->view()->horizontalScrollBar();
        form->menu_right->trigger();
        QCOMPARE(bar->value(), 4);
        QCOMPARE(form->view()->columnAt(0), 4);
        form->menu_right->trigger();
        form->menu_left->trigger();
        form->menu_left->trigger();
        QCOMPARE(bar->value(), 0);
        form->menu_down->trigger();  // one row: stays
        QCOMPARE(form->view()->verticalScrollBar()->value(), 0);
    }

    void closeBoxAsksOnlyAfterEdits_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<double>("stored");
        QTest::newRow("yesWritesBack") << "9" << int(Dialogs::Choice::Yes) << false << 9.0;
        QTest::newRow("noDiscards") << "9" << int(Dialogs::Choice::No) << false << 2.0;
        QTest::newRow("cancelStays") << "9" << int(Dialogs::Choice::Cancel) << true << 2.0;
        QTest::newRow("noEditAsksNothing") << "" << int(Dialogs::Choice::Cancel) << false << 2.0;
    }
    void closeBoxAsksOnlyAfterEdits()
    {
        QFETCH(QString, typed);
        QFETCH(int, answer);
        Design s;
        Form2* form = s.open({7});
        QVERIFY(form);
        if (!typed.isEmpty())
            QVERIFY(typeInto(form->view(), 0, 0, typed));
        s.dialogs.choiceAnswers.enqueue(Dialogs::Choice(answer));
        form->close();
        QCOMPARE(s.dialogs.asked.size(), typed.isEmpty() ? 0 : 1);
        if (!typed.isEmpty()) {
            QCOMPARE(s.dialogs.asked[0].kind, QString("yesNoCancel"));
            QCOMPARE(s.dialogs.asked[0].text, QString("Keep the design-matrix entries you typed?"));
        }
        QTEST(form->isVisible(), "visible");
        QTEST(s.model().dm.get(7, 2), "stored");
    }

    void nonNumberRefusesCloseAndSelectsTheCell()
    {
        Design s;
        Form2* form = s.open({3, 7});
        QVERIFY(form);
        QVERIFY(typeInto(form->view(), 0, 0, "5"));
        QVERIFY(typeInto(form->view(), 1, 1, "abc"));
        form->menu_close->trigger();
        QCOMPARE(s.dialogs.messages(), QStringList{"The entry \"abc\" in row \"c7\" under B5 is not a number."});
        QVERIFY(form->isVisible());
        QCOMPARE(form->view()->currentIndex(), form->view()->model()->index(1, 1));
        QCOMPARE(s.model().dm.get(3, 2), 1.0);  // nothing written
        QCOMPARE(s.model().unsaved, 0);
        QVERIFY(s.form.menu_cons->menuAction()->isVisible());
    }

    void headerEditedByDoubleClickKeepsSelectionAndBadNumberRefuses()
    {
        Design s;
        Form2* form = s.open({7});
        QVERIFY(form);
        pressHeader(form, 1, true);
        QVERIFY(form->headerEditor());
        QVERIFY(!form->view()->model()->headerData(1, Qt::Horizontal, Qt::BackgroundRole).isValid());
        form->headerEditor()->setText("B0");
        form->menu_close->trigger();
        QCOMPARE(s.dialogs.messages(),
                 QStringList{"The header \"B0\" of column 2 does not name a design-matrix column (B1 to B32767)."});
        QVERIFY(form->isVisible());
        QVERIFY(form->headerEditor());  // opened again on the refused header
        form->headerEditor()->setText("B9");
        QTest::keyClick(form->headerEditor(), Qt::Key_Return);
        QCOMPARE(form->view()->model()->headerData(1, Qt::Horizontal).toString(), QString("B9"));
        form->menu_close->trigger();
        QCOMPARE(s.model().dm.get(7, 9), 3.0);
        QCOMPARE(s.model().dmcols, 9);
    }

    void secondBuildReusesTheWindowAndReplacesItsRows()
    {
        Design s;
        Form2* first = s.open({1, 2, 3});
        QVERIFY(first);
        QCOMPARE(s.open({7}), first);
        QCOMPARE(headers(first->view()->model(), Qt::Vertical), QStringList{"c7"});
        first->menu_close->trigger();
        QCOMPARE(s.open({3}), first);
        QVERIFY(first->isVisible());
        QCOMPARE(s.form.findChildren<Form2*>().size(), 1);
    }

    void fixedCellRowIsReadOnly()
    {
        Design s;
        s.model().pim[4] = -4;
        Form2* form = s.open({4, 7});
        QVERIFY(form);
        QAbstractItemModel* model = form->view()->model();
        QVERIFY(!(model->flags(model->index(0, 0)) & Qt::ItemIsEditable));
        QVERIFY(model->flags(model->index(1, 0)) & Qt::ItemIsEditable);
        QCOMPARE(model->index(0, 0).data().toString(), QString());
        QVERIFY(!model->setData(model->index(0, 0), "1"));
    }

    void itemModelPassesTheTesterThroughEveryCommand()
    {
        Design s;
        Form2* form = s.open({3, 7});
        QVERIFY(form);
        QAbstractItemModelTester tester(form->itemModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        form->menu_addcols->trigger();
        form->menu_ident->trigger();
        form->itemModel()->pressCell(0, PressKeys::Other);
        form->itemModel()->pressCell(5, PressKeys::ShiftOnly);
        QVERIFY(form->itemModel()->setHeaderData(2, Qt::Horizontal, "B8"));
        s.form.openDesignMatrix({1, 2, 3, 7});
        form->menu_close->trigger();
        s.form.openDesignMatrix({});
    }
};

TW_GUI_TEST(DesignWindowTest)
#include "design_window_test.moc"
