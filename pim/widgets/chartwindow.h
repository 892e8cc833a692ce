#pragma once
// The PIM chart window (object name frm_chart): every PIM block of the model on one
// screen as bars of parameter numbers, with the block commands (menu "Block" and the
// context menu), dragging a bar to shift its block's numbers, undo and redo, zoom, a
// legend and "Save chart as…". The window changes nothing itself: it asks through its
// signals, and whoever runs the commands calls refresh() whenever the model changed.

#include <QMainWindow>
#include <functional>
#include <optional>

#include "model/model.h"
#include "pim/blockcommands.h"

class QAction;
class QLabel;
class QMenu;

namespace tw {

class ChartView;
struct ChartBar;

/// What the chart window asks of the program around it.
struct ChartHost {
    std::function<const Model&()> model;
    std::function<QString()> undoText;  // what Undo would take back; empty: nothing
    std::function<QString()> redoText;
};

class ChartWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit ChartWindow(ChartHost host, QWidget* parent = nullptr);
    ~ChartWindow() override;

    ChartView* view() const { return m_view; }
    /// The block menu, also shown as the context menu.
    QMenu* blockMenu() const { return menu_block; }
    /// Draws the chart anew from the model (at once when shown, else when next shown).
    void refresh();
    /// The size that shows a small model whole; larger ones scroll.
    QSize wantedSize() const;
    /// Sizes and places the window near the main window, within the main window's screen.
    void placeNear(const QWidget& mainWindow);
    /// Asks by how many numbers to shift the block's numbers, within least..most;
    /// nullopt when the question was cancelled. Tests replace it.
    std::function<std::optional<int>(const QString& block, int least, int most)> askShift;

signals:
    void blockCommandRequested(int row, tw::BlockCommand command);
    void shiftRequested(int row, int d);
    void renumberWithoutGapsRequested();
    void renumberWithoutSharingRequested();
    void undoRequested();
    void redoRequested();
    void saveRequested();
    /// The grid window showing the block of row should come forward.
    void openBlockRequested(int row);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildMenus();
    void rebuild();
    void updateActions();
    void askAndShift();
    QString barText(const ChartBar& bar) const;

    ChartHost m_host;
    ChartView* m_view = nullptr;
    QWidget* m_legend = nullptr;
    QLabel* m_status = nullptr;
    bool m_stale = true;
    bool m_rebuildQueued = false;

    // Menus and actions, found by the tests through their object names.
    QMenu* menu_block = nullptr;
    QAction* m_blockName = nullptr;
    QAction* menu_savechart = nullptr;
    QAction* menu_undo = nullptr;
    QAction* menu_redo = nullptr;
    QAction* menu_blockconstant = nullptr;
    QAction* menu_blocktime = nullptr;
    QAction* menu_blockage = nullptr;
    QAction* menu_blockdifferent = nullptr;
    QAction* menu_blockshift = nullptr;
    QAction* menu_blockopen = nullptr;
    QAction* menu_renumbergaps = nullptr;
    QAction* menu_renumbersharing = nullptr;
    QAction* menu_zoomin = nullptr;
    QAction* menu_zoomout = nullptr;
    QAction* menu_fit = nullptr;
};

}  // namespace tw
