// The design-matrix window as the user drives it (its close box, undo and redo of its
// commands), and the model formulas window on the bundled example: typing updates the
// preview after the pause, Apply changes the model, a model read meanwhile is previewed.
// What the entries and formulas make is the core's.
#include <QAbstractItemModelTester>
#include <QHeaderView>

#include "design/formulaapply.h"
#include "design/widgets/designpreview.h"
#include "design/widgets/formulawindow.h"
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

struct Formulas : Example {
    FormulaWindow* open()
    {
        trigger(&form, "menu_formulas");
        return form.findChild<FormulaWindow*>("frm_formulas");
    }
};

QString labelText(FormulaWindow* window, const QString& name) { return window->findChild<QLabel*>(name)->text(); }

bool applyEnabled(FormulaWindow* window) { return window->findChild<QPushButton*>("cmd_apply")->isEnabled(); }

// Types into a kind's field key by key, as the user does; refreshing skips the pause.
void type(FormulaWindow* window, CellKind kind, const QString& text, bool refresh = true)
{
    QLineEdit* field = window->field(kind);
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
    if (refresh)
        window->refresh();
}

Model appliedTo(const Model& model, const char* formulas)
{
    return applyFormulas(model, parseFormulaList(formulas).value()).value().model;
}

}  // namespace

class DesignWindowTest : public QObject {
    Q_OBJECT

private slots:
    void closeBoxAsksOnlyAfterEdits()
    {
        const struct {
            const char* name;
            QString typed;
            Dialogs::Choice answer;
            bool visible;
            double stored;
        } cases[] = {
            {"Yes writes back", "9", Dialogs::Choice::Yes, false, 9.0},
            {"No discards", "9", Dialogs::Choice::No, false, 2.0},
            {"Cancel stays", "9", Dialogs::Choice::Cancel, true, 2.0},
            {"no edit asks nothing", "", Dialogs::Choice::Cancel, false, 2.0},
        };
        for (const auto& c : cases) {
            Design s;
            Form2* form = s.open({7});
            QVERIFY(form);
            if (!c.typed.isEmpty())
                QVERIFY(typeInto(form->view(), 0, 0, c.typed));
            s.dialogs.choiceAnswers.enqueue(c.answer);
            form->close();
            const QStringList asked{"Keep the design-matrix entries you typed?"};
            QCOMPARE(askedTexts(s.dialogs), c.typed.isEmpty() ? QStringList() : asked);
            QVERIFY2(form->isVisible() == c.visible, c.name);
            QVERIFY2(s.model().dm.get(7, 2) == c.stored, c.name);
        }
    }

    void undoAndRedoStepThroughTypingIdentityAndDeleteAndTheModelPassesTheTester()
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

        // The item model passes the tester through the other commands too.
        QCOMPARE(s.open({3, 7}), form);
        trigger(form, "menu_addcols");
        trigger(form, "menu_ident");
        form->itemModel()->pressCell(0, PressKeys::Other);
        form->itemModel()->pressCell(5, PressKeys::ShiftOnly);
        QVERIFY(form->itemModel()->setHeaderData(2, Qt::Horizontal, "B8"));
        s.form.openDesignMatrix({1, 2, 3, 7});
        trigger(form, "menu_close");
        s.form.openDesignMatrix({});
    }

    void formulaPreviewFollowsTheTypingAfterThePause()
    {
        Formulas s;
        FormulaWindow* window = s.open();
        QVERIFY(window && window->isVisible());
        QAbstractItemModelTester designTester(window->designModel(),
                                              QAbstractItemModelTester::FailureReportingMode::QtTest);
        type(window, CellKind::Survival, "~ time + stratum", false);
        QTRY_COMPARE(labelText(window, "lbl_status_survival"), QString("12 parameters, 6 columns"));
    }

    void formulaWindowWritesBackTheGridsAndApplyChangesTheModel()
    {
        Formulas s;
        // A grid window holding an edit is written back and closed as the window opens.
        s.form.viewSurvival();
        s.grids().first()->typeText(0, "99");
        s.form.modelFormulas();
        QVERIFY(s.grids().isEmpty());
        QCOMPARE(s.model().pim[1], 99);
        const Model before = s.model();

        FormulaWindow* window = s.form.findChild<FormulaWindow*>("frm_formulas");
        type(window, CellKind::Survival, "~ time + stratum", false);
        type(window, CellKind::Movement, "~ -1 + stratum:tostratum", false);
        QTest::mouseClick(window->findChild<QPushButton*>("cmd_apply"), Qt::LeftButton);
        const Model expected = appliedTo(before, "survival ~ time + stratum; movement ~ -1 + stratum:tostratum");
        QCOMPARE(s.model().pim, expected.pim);
        QVERIFY(s.model().dm == expected.dm);
    }

    void formulaPreviewFollowsAModelReadWhileTheWindowIsOpen()
    {
        MainSession s;
        s.form.modelFormulas();
        auto* window = s.form.findChild<FormulaWindow*>("frm_formulas");
        QVERIFY(window && window->isVisible());
        type(window, CellKind::Survival, "~ time");

        // A model read meanwhile: the window, activated again, previews the formula on it.
        QVERIFY(s.form.openPimFile(kExample));
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(window, &activate);
        QCOMPARE(labelText(window, "lbl_status_survival"), QString("4 parameters, 4 columns"));
        QVERIFY(applyEnabled(window));
        QCOMPARE(window->designModel()->rowCount(), window->fields().applied->model.nparms);
    }
};

TW_GUI_TEST(DesignWindowTest)
#include "design_window_test.moc"
