#pragma once
// The grid window (object name frm_movement): the window in which the user edits one
// PIM of the model. A table of text cells over a GridTableModel, the "Constraints"
// commands, undo and redo, marking cells for the design matrix (Shift and click) and
// paging sideways. The window keeps its own number and cell map; whoever listens to
// closing() writes it back.

#include <QMainWindow>
#include <QPointer>
#include <functional>

#include "pim/gridview.h"
#include "pim/pimgrid.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;
class QUndoStack;

namespace tw {

struct Model;
class GridTableModel;
class GridCellDelegate;

/// frm_movement: a grid window over one PIM of the model.
class GridWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit GridWindow(GridWindowLayout layout, QWidget* parent = nullptr);
    ~GridWindow() override;

    int number() const;
    const std::vector<int>& cellmap() const;
    const GridWindowLayout& layout() const;
    const PimGrid& grid() const;
    GridTableModel* gridModel() const { return m_model; }
    QTableView* table() const { return m_table; }
    QUndoStack* undoStack() const { return m_undo; }

    /// The main window's "Pim" menu: while it is disabled, a text change disables
    /// "Design Matrix" for the rest of this window's life.
    void setPimMenu(QAction* pimMenu) { m_pimMenu = pimMenu; }

    /// Names the model's file (made absolute) in the window's tool tip; none for "".
    void setModelFile(const QString& path);

    /// Supplies, for "age,strata,time varying", the parameter numbers held outside this
    /// window (ascending), which its new numbers must avoid. Unset, the numbers start at 1.
    void setNumbersOutside(std::function<std::vector<int>(const GridWindow&)> numbersOutside)
    {
        m_numbersOutside = std::move(numbersOutside);
    }

    /// The size that shows the whole grid, however large.
    QSize wantedSize() const;

    /// Makes the next close skip the write-back (the model the window showed is gone).
    void discard() { m_discarded = true; }
    bool discarded() const { return m_discarded; }
    /// Whether the window has been closed (closing() was emitted).
    bool isClosed() const { return m_closed; }

    /// The commands, each one undo step (none when it changes nothing).
    void runCommand(GridCommand command);
    void oops();
    /// Sets one cell's text as if typed: one undo step. Delete types an empty text.
    void typeText(int cell, const QString& text);
    void toggleMark(int cell);
    /// Pages the grid sideways by three columns: "<<" moves the cells left (later
    /// columns come into view), ">>" moves them right.
    void pageLeft();
    void pageRight();

signals:
    /// Emitted once, when the window closes, before it goes away.
    void closing(tw::GridWindow* window);
    /// "Design Matrix" was chosen in this window.
    void designMatrixRequested(tw::GridWindow* window);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildControls();
    void pushTexts(const std::vector<std::string>& after, const QString& description);
    void textsChanged();
    void fitSize();
    QSize tableSize() const;
    void fitTableWidth();

    // Menus and controls, found by the tests through their object names.
    QMenu* mnu_cons = nullptr;
    QAction* menu_constant = nullptr;
    QAction* menu_time = nullptr;
    QAction* menu_strata = nullptr;
    QAction* menu_age = nullptr;
    QAction* menu_varying = nullptr;
    QAction* menu_oops = nullptr;
    QAction* menu_chngzeros = nullptr;
    QAction* menu_dm = nullptr;
    QAction* menu_undo = nullptr;
    QAction* menu_redo = nullptr;
    QPushButton* cmd_left = nullptr;
    QPushButton* cmd_right = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lbl_view = nullptr;  // the line naming what the window shows

    GridTableModel* m_model = nullptr;
    GridCellDelegate* m_delegate = nullptr;
    QTableView* m_table = nullptr;
    QUndoStack* m_undo = nullptr;
    QPointer<QAction> m_pimMenu;
    std::function<std::vector<int>(const GridWindow&)> m_numbersOutside;
    bool m_discarded = false;
    bool m_closed = false;
};

/// The model cells of the marked grid cells of the windows, window after window in
/// the order given and, within a window, in grid order through its own cell map.
std::vector<int> markedModelCells(const std::vector<QPointer<GridWindow>>& windows);

/// The parameter numbers held by the model's cells outside a window, ascending: the
/// cells of the other open windows as their texts stand, the model's for the rest.
std::vector<int> numbersOutside(const Model& model, const GridWindow& window,
                                const std::vector<QPointer<GridWindow>>& windows);

}  // namespace tw
