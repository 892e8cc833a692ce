#pragma once
// The keyboard of the windows: the mnemonic letter of every menu and item (Alt+F opens
// File) and the usual shortcuts, set by object name after a window built its menus.
// Captions read as before: a mnemonic only underlines a letter, and an "&" that is part
// of a caption is kept.

#include <QChar>
#include <QString>

class QWidget;

namespace tw {

/// The windows whose menus get keys.
enum class KeyboardOf { MainWindow, GridWindow, DesignWindow, ChartWindow };

/// Gives the menus and items of the window (found by object name) their mnemonics and
/// shortcuts; a grid window also gets Ctrl+W, which closes it as its close box does.
void applyKeyboard(QWidget* window, KeyboardOf which);

/// The caption as a menu shows it: a single "&" marks the next letter and is not shown,
/// "&&" shows one "&".
QString shownCaption(const QString& text);

/// The text that shows caption with key (its first occurrence, exact case first, then
/// either case) marked as the mnemonic, every "&" of the caption kept.
QString withMnemonic(const QString& caption, QChar key);

/// The text that shows caption as it is, with no mnemonic ("&" doubled).
QString escapedCaption(const QString& caption);

}  // namespace tw
