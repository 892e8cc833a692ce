// The model formulas window as the user drives it on the bundled example: typing updates
// the status lines and the preview after the pause, an error shows its caret, Apply
// changes the model through the session, and the other windows show what it made.
#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QHeaderView>
#include <QTimer>

#include "design/formulaapply.h"
#include "design/widgets/designpreview.h"
#include "design/widgets/formulawindow.h"
#include "pim/gridentry.h"
#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

struct Formulas : Example {
    FormulaWindow* open()
    {
        trigger(&form, "menu_formulas");
        return form.findChild<FormulaWindow*>("frm_formulas");
    }
};

QLabel* labelOf(FormulaWindow* window, const QString& name) { return window->findChild<QLabel*>(name); }

// Types into a kind's field key by key, as the user does.
void type(FormulaWindow* window, CellKind kind, const QString& text)
{
    QLineEdit* field = window->field(kind);
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

QStringList gridTexts(const QAbstractItemModel* grid)
{
    QStringList texts;
    for (int row = 0; row < grid->rowCount(); ++row)
        for (int column = 0; column < grid->columnCount(); ++column)
            texts << grid->index(row, column).data().toString();
    return texts;
}

Model appliedTo(const Model& model, const char* formulas)
{
    return applyFormulas(model, parseFormulaList(formulas).value()).value().model;
}

}  // namespace

class FormulaWindowTest : public QObject {
    Q_OBJECT

private slots:
    void typingUpdatesTheStatusAndThePreviewAfterThePause()
    {
        Formulas s;
        FormulaWindow* window = s.open();
        QVERIFY(window && window->isVisible());
        QAbstractItemModelTester designTester(window->designModel(),
                                              QAbstractItemModelTester::FailureReportingMode::QtTest);
        QLabel* status = labelOf(window, "lbl_status_survival");
        QCOMPARE(status->text(), QString("no formula: 12 parameters kept, 12 columns"));

        type(window, CellKind::Survival, "~ time + stratum");
        QVERIFY(window->pauseTimer()->isActive());
        QCOMPARE(status->text(), QString("no formula: 12 parameters kept, 12 columns"));  // not before the pause
        QTRY_COMPARE(status->text(), QString("12 parameters, 6 columns"));

        // The design matrix: 6 survival columns, then one per parameter of the other kinds.
        const QAbstractItemModel* design = window->designModel();
        QCOMPARE(design->columnCount(), 6 + 6 + 12 + 15);
        QCOMPARE(design->headerData(0, Qt::Horizontal).toString(), QString("survival\n(Intercept)"));

        // The PIM tab shows the survival block of group 1 as the model would hold it.
        const Model expected = appliedTo(s.model(), "survival ~ time + stratum");
        const auto* grid = window->pimModel();
        QVERIFY(grid);
        QStringList numbers;
        for (int cell : grid->layout().cellmap)
            numbers << QString::fromStdString(cellText(expected, cell));
        QCOMPARE(gridTexts(window->pimView()->model()), numbers);
        QCOMPARE(s.model().unsaved, false);  // typing changes nothing
    }

    void errorShowsItsCaretAndKeepsApplyOff()
    {
        Formulas s;
        FormulaWindow* window = s.open();
        type(window, CellKind::Movement, "~ stratum:tosttratum");
        window->refresh();
        QLabel* caret = labelOf(window, "lbl_caret_movement");
        QVERIFY(caret->isVisible());
        QCOMPARE(caret->text(), QString("~ stratum:tosttratum\n          ^"));
        QCOMPARE(labelOf(window, "lbl_status_movement")->text(),
                 QString("unknown variable \"tosttratum\" at column 11; movement cells have group, age, stratum, "
                         "tostratum, time, Time, Age"));
        QVERIFY(!window->findChild<QPushButton*>("cmd_apply")->isEnabled());
        // The other kinds still preview what their formulas make.
        type(window, CellKind::Survival, "~ time");
        window->refresh();
        QCOMPARE(labelOf(window, "lbl_status_survival")->text(), QString("4 parameters, 4 columns"));

        type(window, CellKind::Movement, "~ stratum:tostratum");
        window->refresh();
        QVERIFY(!caret->isVisible());
        QVERIFY(window->findChild<QPushButton*>("cmd_apply")->isEnabled());
    }

    void applyChangesTheModelAndTheOtherWindowsShowIt()
    {
        Formulas s;
        // A grid window holding an edit is written back and closed as the window opens.
        s.form.viewSurvival();
        s.grids().first()->typeText(0, "99");
        s.form.modelFormulas();
        QVERIFY(s.grids().isEmpty());
        QCOMPARE(s.model().pim[1], 99);
        s.model().unsaved = false;
        const Model before = s.model();

        FormulaWindow* window = s.form.findChild<FormulaWindow*>("frm_formulas");
        type(window, CellKind::Survival, "~ time + stratum");
        type(window, CellKind::Movement, "~ -1 + stratum:tostratum");
        QTest::mouseClick(window->findChild<QPushButton*>("cmd_apply"), Qt::LeftButton);
        const Model expected = appliedTo(before, "survival ~ time + stratum; movement ~ -1 + stratum:tostratum");
        QCOMPARE(s.model().pim, expected.pim);
        QVERIFY(s.model().dm == expected.dm);
        QVERIFY(s.model().unsaved);
        QVERIFY(labelOf(window, "lbl_formulas")->text().startsWith("Applied:"));

        // The grid windows show the new numbers.
        s.form.viewSurvival();
        QVERIFY(!s.grids().isEmpty());
        for (GridWindow* grid : s.grids())
            for (std::size_t i = 0; i < grid->cellmap().size(); ++i)
                QCOMPARE(grid->grid().texts[i], cellText(expected, grid->cellmap()[i]));
        s.form.closeGridWindows(Form1::WriteBack::Yes);

        // The design-matrix window names the columns in its headers' tool tips.
        s.form.openDesignMatrix({1});
        Form2* design = s.design();
        QVERIFY(design);
        QCOMPARE(design->view()->model()->headerData(0, Qt::Horizontal).toString(), QString("B1"));
        QVERIFY(design->view()->model()->headerData(0, Qt::Horizontal, Qt::ToolTipRole)
                    .toString()
                    .startsWith("survival:(Intercept)\n"));
    }

    void windowKeepsTheFormulasOfTheSessionAndCloseLeavesTheModel()
    {
        Formulas s;
        const Model before = s.model();
        FormulaWindow* window = s.open();
        type(window, CellKind::Closed, "~ session");
        window->refresh();
        QTest::mouseClick(window->findChild<QPushButton*>("cmd_close"), Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QCOMPARE(s.model().pim, before.pim);
        QVERIFY(s.model().dm == before.dm);
        QVERIFY(!s.model().unsaved);
        QCOMPARE(s.form.session().formulaTexts()[kindIndex(CellKind::Closed)], std::string("~ session"));
        QCOMPARE(s.open(), window);
        QCOMPARE(window->field(CellKind::Closed)->text(), QString("~ session"));
        QCOMPARE(labelOf(window, "lbl_status_closed")->text(), QString("5 parameters, 5 columns"));
    }

    void previewFollowsAModelReadWhileTheWindowIsOpen()
    {
        MainSession s;
        s.form.modelFormulas();
        auto* window = s.form.findChild<FormulaWindow*>("frm_formulas");
        QVERIFY(window && window->isVisible());
        QCOMPARE(labelOf(window, "lbl_formulas")->text(), QString("There is no model yet: read a model file first."));
        QVERIFY(!window->findChild<QPushButton*>("cmd_apply")->isEnabled());
        type(window, CellKind::Survival, "~ time");
        window->refresh();
        QCOMPARE(labelOf(window, "lbl_status_survival")->text(), QString());
        QCOMPARE(window->designModel()->rowCount(), 0);

        // A model read meanwhile: the window, activated again, previews the formula on it.
        QVERIFY(s.form.openPimFile(kExample));
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(window, &activate);
        QCOMPARE(labelOf(window, "lbl_status_survival")->text(), QString("4 parameters, 4 columns"));
        QVERIFY(window->findChild<QPushButton*>("cmd_apply")->isEnabled());
        QCOMPARE(window->designModel()->rowCount(), window->fields().applied->model.nparms);
    }
};

TW_GUI_TEST(FormulaWindowTest)
#include "formula_window_test.moc"
