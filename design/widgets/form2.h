#pragma once
// The design-matrix window: the table of the marked rows' design-matrix entries with its
// column commands, scrolling, highlighting, undo and redo, and Close, which writes the
// typed entries into the model. One window serves the whole program: Close hides it and
// the next build shows it again.

#include <QMainWindow>
#include <QLineEdit>
#include <QPointer>
#include <functional>
#include <vector>

#include "design/widgets/designitemmodel.h"
#include "platform/platform.h"

class QAction;
class QLabel;
class QMenu;
class QTableView;
class QUndoStack;

namespace tw {

/// Form2: the design-matrix window.
class Form2 : public QMainWindow {
    Q_OBJECT

public:
    /// model gives the model the window reads and writes (looked up at every use).
    Form2(std::function<Model&()> model, Dialogs& dialogs, QWidget* parent = nullptr);

    /// Fills the table with one row per model cell given (replacing whatever it held)
    /// and shows the window.
    void build(const std::vector<int>& rowCells);
    /// Hides the window and drops its rows and typed entries, writing nothing back.
    void discard();

    const DesignTable& table() const { return m_itemModel->table(); }
    DesignItemModel* itemModel() const { return m_itemModel; }
    QTableView* view() const { return m_view; }
    QUndoStack* undoStack() const { return m_undo; }
    /// The open header editor, if any.
    QLineEdit* headerEditor() const { return m_headerEditor; }
    /// Opens the editor of a column header's text.
    void editHeader(int column);

signals:
    /// Close wrote the table back (the main window hides its "Constraints" menu).
    void closedByCommand();

public slots:
    void closeTable();
    void identity();
    void addColumn();
    void deleteColumns();
    void scrollLeft();
    void scrollUp();
    void scrollDown();
    void scrollRight();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class EditCommand;  // one undo step: a DesignEdit

    void buildMenus();
    /// Makes the change from the table shown to after one undo step (none when nothing changes).
    void pushEdit(const DesignTable& after, const QString& description);
    void applyEdit(const DesignEdit& edit, ChangeSide side);
    void fitSize();
    bool writeBack();
    void commitOpenEditors();
    void showRefusal(const DesignRefusal& refusal);
    void applyHiddenColumns();
    void scroll(ScrollDirection direction);
    void applyScroll();
    void syncScrollFromView();
    void headerPressed(int column);
    void headerDoubleClicked(int column);
    void finishHeaderEdit(bool commit);

    // Menus and controls, found by the tests through their object names.
    QLabel* Label1 = nullptr;
    QAction* menu_close = nullptr;
    QAction* menu_ident = nullptr;
    QMenu* menu_cols = nullptr;
    QAction* menu_addcols = nullptr;
    QAction* menu_delcols = nullptr;
    QAction* menu_left = nullptr;
    QAction* menu_up = nullptr;
    QAction* menu_down = nullptr;
    QAction* menu_right = nullptr;

    std::function<Model&()> m_model;
    Dialogs& m_dialogs;
    DesignItemModel* m_itemModel = nullptr;
    QTableView* m_view = nullptr;
    QUndoStack* m_undo = nullptr;
    QPointer<QLineEdit> m_headerEditor;
    int m_headerEditColumn = -1;
    int m_lastPressedHeader = -1;
    HeaderShade m_shadeBeforePress = HeaderShade::Default;
    bool m_applyingScroll = false;
};

}  // namespace tw
