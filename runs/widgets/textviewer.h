#pragma once
// The program's own text viewer: a read-only window on one text file in a fixed-pitch
// font, with find (Ctrl+F), reload, "Open in external editor", and the engine's error
// lines highlighted. Used for the engine output, the converter listing and input files.

#include <QMainWindow>

#include "platform/platform.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace tw {

class TextViewer : public QMainWindow {
    Q_OBJECT

public:
    /// Shows the file in a viewer: an open viewer of the same file is reloaded and
    /// raised, otherwise a new window opens (deleted when closed). A file that cannot be
    /// read is reported in a message box and gives nullptr.
    static TextViewer* showFile(Platform& platform, const QString& path, QWidget* parent = nullptr);

    TextViewer(Platform& platform, const QString& path, QWidget* parent = nullptr);

    QString path() const { return m_path; }
    /// The text shown.
    QString text() const;
    /// Numbers (0-based) of the lines highlighted as engine errors.
    QList<int> highlightedLines() const;

public slots:
    /// Reads the file again, keeping the scroll position; false (with a message) when
    /// it cannot be read.
    bool reload();
    /// Shows the find field and selects its text.
    void startFind();
    /// Selects the next (or, with backward, the previous) occurrence of the find text,
    /// wrapping around; false when the text does not occur.
    bool findNext();
    bool findPrevious();
    void openExternally();

private:
    bool find(bool backward);

    QPlainTextEdit* textView = nullptr;
    QLineEdit* findField = nullptr;

    Platform& m_platform;
    QString m_path;
    QWidget* m_findBar = nullptr;
    QLabel* m_findStatus = nullptr;
};

}  // namespace tw
