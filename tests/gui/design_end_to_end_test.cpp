// The design matrix from one end to the other, as a user gets there: the bundled
// example read, cells marked in a survival window, entries typed in the design-matrix
// window, the model saved with its PIMs and the saved file read back.
#include <algorithm>

#include "guitest.h"
#include "model/pimreader.h"
#include "support.h"

using namespace twtest;

class DesignEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void typedEntriesReachTheSavedDesignSection()
    {
        QTemporaryDir dir;
        Session s;
        QVERIFY(s.form.openPimFile(kExample));
        const DesignMatrix before = s.model().dm;
        s.form.viewSurvival();
        GridWindow* window = s.grids().at(0);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        for (int parameter : {1, 3}) {  // the first grid cell holding each parameter
            const std::vector<int>& cells = window->cellmap();
            const auto at = std::find_if(cells.begin(), cells.end(),
                                         [&](int c) { return c > 0 && s.model().pim[std::size_t(c)] == parameter; });
            QVERIFY(at != cells.end());
            clickCell(*window, int(at - cells.begin()));
        }
        window->menu_dm->trigger();

        Form2* form = s.design();
        QVERIFY(form && form->isVisible());
        QCOMPARE(form->view()->model()->rowCount(), 2);
        QCOMPARE(headers(form->view()->model(), Qt::Horizontal), QStringList({"B1", "B4"}));
        QVERIFY(typeInto(form->view(), 0, 1, "0.5"));
        QVERIFY(typeInto(form->view(), 1, 0, "-2"));  // moving on or Close commits the editor
        form->menu_close->trigger();

        const QString saved = dir.filePath("saved.inp");
        s.answerFile(saved);
        s.form.menu_savepims->trigger();
        QCOMPARE(s.dialogs.messages(), QStringList());
        auto read = readPimFile(saved.toStdString());
        QVERIFY2(read.ok(), read.ok() ? "" : read.error().text().c_str());
        DesignMatrix expected = before;  // everything else as the example had it
        expected.set(1, 4, 0.5);
        expected.set(3, 1, -2.0);
        QCOMPARE(read->dm.entries(), expected.entries());
        QVERIFY(read->dm.entries() != before.entries());
        QCOMPARE(read->pim, s.model().pim);
    }
};

TW_GUI_TEST(DesignEndToEndTest)
#include "design_end_to_end_test.moc"
