// The keyboard: the captions keep their "&" once mnemonics are added, the shortcuts run
// their commands, and Ctrl+W closes a grid or design window writing it back.
#include <QSignalSpy>

#include "app/keyboard.h"
#include "guitest.h"
#include "support.h"

using namespace twtest;

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    // A caption's own "&" was once taken for the mnemonic marker and dropped from the menu.
    void captionsKeepTheirAmpersand()
    {
        MainSession s;
        QCOMPARE(shownCaption(s.action("menu_constant")->text()), QString("Constant over time, strata & age"));
        QCOMPARE(shownCaption(s.action("menu_time")->text()), QString("Constant ove time"));
    }

    // Each shortcut runs its command in the main window; Quit and Help also from a grid window
    // (they were the main window's alone), whose other keys stay its own.
    void shortcutsRunTheirCommands()
    {
        const std::pair<const char*, const char*> bindings[] = {
            {"menu_getpim", "Ctrl+O"}, {"menu_get", "Ctrl+Shift+O"}, {"menu_savepims", "Ctrl+S"},
            {"menu_save", "Ctrl+Shift+S"}, {"menu_run", "Ctrl+R"}, {"menu_quit", "Ctrl+Q"},
            {"menu_userguide", "F1"},  // last: it opens a window of its own
        };
        Example s;
        s.form.show();
        s.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&s.form));
        for (const auto& [name, keys] : bindings) {
            QAction* action = s.action(name);
            QCOMPARE(action->shortcut(), QKeySequence(keys));
            QSignalSpy triggered(action, &QAction::triggered);
            QTest::keySequence(&s.form, action->shortcut());
            QVERIFY2(triggered.size() == 1, name);
        }
        s.form.viewSurvival();
        GridWindow* grid = s.grids().at(0);
        grid->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), grid);
        QSignalSpy quit(s.action("menu_quit"), &QAction::triggered);
        QSignalSpy saved(s.action("menu_savepims"), &QAction::triggered);
        QSignalSpy help(s.action("menu_userguide"), &QAction::triggered);
        for (const char* keys : {"Ctrl+S", "Ctrl+Q", "F1"})
            QTest::keySequence(grid, QKeySequence(keys));
        QCOMPARE((QList<qsizetype>{quit.size(), saved.size(), help.size()}), (QList<qsizetype>{1, 0, 1}));
        delete s.form.findChild<QWidget*>("userGuide");
    }

    // Ctrl+W is the menu's Close: it writes the window back without the close box's question.
    void ctrlWClosesAWindowWritingItBack()
    {
        for (const bool design : {false, true}) {
            Views s;
            QWidget* window = nullptr;
            if (design) {
                s.model().nparms = 120;
                s.model().dmcols = 1;
                s.model().dm.set(1, 1, 1);
                s.form.openDesignMatrix({1});
                window = s.design();
                QVERIFY(window && QTest::qWaitForWindowActive(window));
                QVERIFY(typeInto(s.design()->view(), 0, 0, "0.25"));
            } else {
                s.form.viewSurvival();
                GridWindow* grid = s.grids().at(0);
                QCOMPARE(grid->cellmap()[0], 1);
                grid->typeText(0, "9");
                window = grid;
                window->show();
                window->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(window));
            }
            QTest::keySequence(window, QKeySequence("Ctrl+W"));
            QVERIFY(!window->isVisible());
            QCOMPARE(design ? s.model().dm.get(1, 1) : double(s.model().pim[1]), design ? 0.25 : 9.0);
            QVERIFY(s.dialogs.asked.isEmpty());
        }
    }
};

TW_GUI_TEST(KeyboardTest)
#include "keyboard_test.moc"
