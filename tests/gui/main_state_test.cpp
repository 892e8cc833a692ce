// The "Constraints" items of the main window act on the active grid window, and on no other.
#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

void activate(QWidget* window)
{
    QEvent activated(QEvent::WindowActivate);
    QApplication::sendEvent(window, &activated);
}

}  // namespace

class MainStateTest : public QObject {
    Q_OBJECT

private slots:
    void constraintsItemsActOnTheActiveGridWindow()
    {
        MainSession s;
        s.model() = periodModel(2, 1, 2, 3);
        s.form.viewSurvival();
        QList<GridWindow*> grids = s.grids();
        QCOMPARE(grids.size(), 2);
        const QStringList first = texts(*grids[0]);
        const QStringList second = texts(*grids[1]);
        activate(grids[0]);
        s.action("menu_time")->trigger();
        QCOMPARE(texts(*grids[0]), QStringList({first[0], first[0], first[2], first[2]}));
        QCOMPARE(texts(*grids[1]), second);

        activate(grids[1]);
        s.action("mnu_varying")->trigger();
        QVERIFY(texts(*grids[1]) != second);
        s.action("menu_oops")->trigger();
        QCOMPARE(texts(*grids[1]), second);

        // With the active window closed, the one opened last is the active one.
        activate(grids[0]);
        grids[0]->close();
        s.action("menu_strata")->trigger();
        QVERIFY(texts(*grids[1]) != second);
    }
};

TW_GUI_TEST(MainStateTest)
#include "main_state_test.moc"
