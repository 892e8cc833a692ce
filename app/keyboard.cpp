#include "app/keyboard.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>
#include <span>

namespace tw {

namespace {

struct Key {
    const char* name;  // object name of a menu or an action
    char mnemonic;
    QKeyCombination shortcut = {};
    // Quit and Help work from every window of the program, the others in their own.
    Qt::ShortcutContext context = Qt::WindowShortcut;
};

constexpr auto kCtrl = Qt::CTRL;
constexpr auto kCtrlShift = Qt::CTRL | Qt::SHIFT;

const Key kMainWindow[] = {
    {"menu_file", 'F'},
    {"menu_cnvcaph", 'h'},
    {"menu_get", 'c', kCtrlShift | Qt::Key_O},
    {"menu_getpim", 'G', kCtrl | Qt::Key_O},
    {"menu_cnvtcons", 'o'},
    {"menu_save", 'n', kCtrlShift | Qt::Key_S},
    {"menu_savepims", 'S', kCtrl | Qt::Key_S},
    {"menu_run", 'R', kCtrl | Qt::Key_R},
    {"menu_setengine", 'l'},
    {"menu_recent", 'm'},
    {"menu_quit", 'Q', kCtrl | Qt::Key_Q, Qt::ApplicationShortcut},
    {"menu_edit", 'E'},
    {"menu_undo", 'U'},
    {"menu_redo", 'R'},
    {"menu_pim", 'P'},
    {"menu_surv", 'S'},
    {"menu_openp", 'o'},
    {"menu_closedP", 'c'},
    {"menu_move", 'M'},
    {"menu_formulas", 'd'},
    {"menu_fixed", 'F'},
    {"menu_chart", 'h'},
    {"menu_cons", 'C'},
    {"menu_constant", 'C'},
    {"menu_time", 't'},
    {"menu_strata", 's'},
    {"menu_age", 'a'},
    {"mnu_varying", 'v'},
    {"menu_oops", 'O'},
    {"menu_chngzeros", 'z'},
    {"menu_special", 'S'},
    {"menu_runsurv", 'R'},
    {"menu_point", 'P'},
    {"menu_window", 'W'},
    {"menu_help", 'H'},
    {"menu_userguide", 'U', QKeyCombination(Qt::Key_F1), Qt::ApplicationShortcut},
    {"menu_about", 'A'},
};

const Key kGridWindow[] = {
    {"mnu_cons", 'C'},   {"menu_constant", 'C'}, {"menu_time", 't'}, {"menu_strata", 's'},
    {"menu_age", 'a'},   {"menu_varying", 'v'},  {"menu_oops", 'O'}, {"menu_chngzeros", 'z'},
    {"menu_dm", 'D'},    {"menu_edit", 'E'},     {"menu_undo", 'U'}, {"menu_redo", 'R'},
};

const Key kDesignWindow[] = {
    {"menu_close", 'C', kCtrl | Qt::Key_W},
    {"menu_ident", 'I'},
    {"menu_cols", 'o'},
    {"menu_addcols", 'A'},
    {"menu_delcols", 'D'},
    {"menu_left", 'L'},
    {"menu_up", 'U'},
    {"menu_down", 'D'},
    {"menu_right", 'R'},
    {"menu_edit", 'E'},
    {"menu_undo", 'U'},
    {"menu_redo", 'R'},
};

const Key kChartWindow[] = {
    {"menu_chartfile", 'C'},      {"menu_savechart", 'S'},      {"menu_closechart", 'C'},
    {"menu_chartedit", 'E'},      {"menu_undo", 'U'},           {"menu_redo", 'R'},
    {"menu_block", 'B'},          {"menu_blockconstant", 'C'},  {"menu_blocktime", 'T'},
    {"menu_blockage", 'A'},       {"menu_blockdifferent", 'd'}, {"menu_blockshift", 'S'},
    {"menu_blockopen", 'O'},      {"menu_renumbergaps", 'g'},   {"menu_renumbersharing", 'h'},
    {"menu_chartview", 'V'},      {"menu_zoomin", 'i'},         {"menu_zoomout", 'o'},
    {"menu_fit", 'F'},
};

std::span<const Key> keysOf(KeyboardOf which)
{
    switch (which) {
    case KeyboardOf::MainWindow:
        return kMainWindow;
    case KeyboardOf::GridWindow:
        return kGridWindow;
    case KeyboardOf::DesignWindow:
        return kDesignWindow;
    case KeyboardOf::ChartWindow:
        return kChartWindow;
    }
    return {};
}

void markText(QAction* action, QChar mnemonic)
{
    const QString marked = withMnemonic(shownCaption(action->text()), mnemonic);
    if (action->text() != marked)
        action->setText(marked);
}

// An undo stack sets the text of its actions again at every step ("Undo Typing in
// cell 3"): the mnemonic is put back whenever the text changes.
void mark(QAction* action, const Key& key)
{
    const QChar mnemonic(key.mnemonic);
    markText(action, mnemonic);
    QObject::connect(action, &QAction::changed, action, [action, mnemonic] { markText(action, mnemonic); });
    if (key.shortcut != QKeyCombination()) {
        action->setShortcut(QKeySequence(key.shortcut));
        action->setShortcutContext(key.context);
    }
}

}  // namespace

void applyKeyboard(QWidget* window, KeyboardOf which)
{
    for (const Key& key : keysOf(which)) {
        if (auto* menu = window->findChild<QMenu*>(key.name)) {
            menu->setTitle(withMnemonic(shownCaption(menu->title()), QChar(key.mnemonic)));
            continue;
        }
        if (auto* action = window->findChild<QAction*>(key.name))
            mark(action, key);
    }
    if (which != KeyboardOf::GridWindow)
        return;
    auto* close = new QAction(window);
    close->setObjectName("menu_closewindow");
    close->setShortcut(QKeySequence(kCtrl | Qt::Key_W));
    window->addAction(close);
    QObject::connect(close, &QAction::triggered, window, &QWidget::close);
}

QString shownCaption(const QString& text)
{
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

QString escapedCaption(const QString& caption)
{
    QString text = caption;
    return text.replace('&', "&&");
}

QString withMnemonic(const QString& caption, QChar key)
{
    qsizetype at = caption.indexOf(key, 0, Qt::CaseSensitive);
    if (at < 0)
        at = caption.indexOf(key, 0, Qt::CaseInsensitive);
    if (at < 0)
        return escapedCaption(caption);
    return escapedCaption(caption.left(at)) + '&' + escapedCaption(caption.mid(at));
}

}  // namespace tw
