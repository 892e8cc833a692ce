// The design-matrix window as the user drives it: built from marked cells through the
// main window, edited, and closed by its menu or its close box.
#include <QAbstractItemModelTester>
#include <QHeaderView>

#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

// Twelve cells, each its own parameter, labelled "c1".."c12"; dmcols = 6; entries in
// columns 2 and 5 only.
struct Design : MainSession {
    Design()
    {
        Model& m = model();
        m.npar = 12;
        createCellArrays(m);
        for (int i = 1; i <= 12; ++i)
            m.labels.set(static_cast<std::size_t>(i), "c" + std::to_string(i));
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
        action("menu_cons_action")->setVisible(true);
        form.openDesignMatrix(cells);
        Form2* found = design();
        return found && QTest::qWaitForWindowExposed(found) ? found : nullptr;
    }
};

void pressHeader(Form2* form, int section)
{
    QHeaderView* header = form->view()->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

class DesignWindowTest : public QObject {
    Q_OBJECT

private slots:
    void typedEntryIsStoredAtClose()
    {
        Design s;
        Form2* form = s.open({3, 7});
        QVERIFY(form);
        QCOMPARE(headers(form->view()->model(), Qt::Horizontal), QStringList({"B2", "B5"}));
        QVERIFY(typeInto(form->view(), 1, 1, "0.5"));
        trigger(form, "menu_close");
        QCOMPARE(s.model().dm.get(7, 5), 0.5);
        QVERIFY(s.model().unsaved);
        QVERIFY(!form->isVisible());
        QVERIFY(!s.action("menu_cons_action")->isVisible());
        QCOMPARE(form->view()->model()->rowCount(), 0);
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
        if (!typed.isEmpty())
            QCOMPARE(s.dialogs.asked[0].text, QString("Keep the design-matrix entries you typed?"));
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
        trigger(form, "menu_close");
        QCOMPARE(s.dialogs.messages(), QStringList{"The entry \"abc\" in row \"7 \u00b7 c7\" under B5 is not a number."});
        QVERIFY(form->isVisible());
        QCOMPARE(form->view()->currentIndex(), form->view()->model()->index(1, 1));
        QCOMPARE(s.model().dm.get(3, 2), 1.0);  // nothing written
        QVERIFY(!s.model().unsaved);
        QVERIFY(s.action("menu_cons_action")->isVisible());
    }

    void undoAndRedoStepThroughTypingIdentityAndDelete()
    {
        Design s;
        Form2* form = s.open({3, 7});  // columns B2 and B5
        QVERIFY(form);
        QAbstractItemModelTester tester(form->itemModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(typeInto(form->view(), 0, 1, "5"));
        form->view()->setCurrentIndex({});  // leaving the cell commits the entry
        trigger(form, "menu_ident");
        pressHeader(form, 1);
        pressHeader(form, 1);
        trigger(form, "menu_delcols");
        QVERIFY(form->view()->isColumnHidden(1));
        QCOMPARE(form->undoStack()->count(), 3);
        for (int i = 0; i < 3; ++i)
            trigger(form, "menu_undo");
        QVERIFY(!form->view()->isColumnHidden(1));
        QVERIFY(!form->table().hasEdits());
        for (int i = 0; i < 3; ++i)
            trigger(form, "menu_redo");
        QVERIFY(form->view()->isColumnHidden(1));
        QCOMPARE(form->itemModel()->index(1, 0).data().toString(), QString("0"));
        trigger(form, "menu_undo");
        trigger(form, "menu_undo");  // back to the typed entry
        trigger(form, "menu_close");
        QCOMPARE(s.model().dm.get(3, 5), 5.0);
        QCOMPARE(s.model().dm.get(7, 5), 3.0);
        QCOMPARE(form->undoStack()->count(), 0);
    }

    void itemModelPassesTheTesterThroughEveryCommand()
    {
        Design s;
        Form2* form = s.open({3, 7});
        QVERIFY(form);
        QAbstractItemModelTester tester(form->itemModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        trigger(form, "menu_addcols");
        trigger(form, "menu_ident");
        form->itemModel()->pressCell(0, PressKeys::Other);
        form->itemModel()->pressCell(5, PressKeys::ShiftOnly);
        QVERIFY(form->itemModel()->setHeaderData(2, Qt::Horizontal, "B8"));
        s.form.openDesignMatrix({1, 2, 3, 7});
        trigger(form, "menu_close");
        s.form.openDesignMatrix({});
    }
};

TW_GUI_TEST(DesignWindowTest)
#include "design_window_test.moc"
