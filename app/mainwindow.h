#pragma once
// Form1, the main window: home of the model, its menus and the fixed-parameter list.
// Each group of commands is implemented in its own source file (commands_*.cpp) and
// keeps its window state in its own struct, defined there.

#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

#include "model/model.h"
#include "model/result.h"
#include "platform/platform.h"

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;

namespace tw {

class Form1 : public QMainWindow {
    Q_OBJECT

public:
    explicit Form1(Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    /// Ends the program (all its windows); tests replace it to observe the end.
    std::function<void()> exitProgram;

    Model& model() { return m_model; }
    const Model& model() const { return m_model; }
    Platform& platform() { return m_platform; }

    /// Shows an error from the core in a message box.
    void showError(const QString& title, const Error& error);
    /// Asks before a read replaces a model with unsaved changes; true to go on.
    bool confirmReplace();
    /// Refreshes the fixed-parameter list view from the model.
    void refreshFixedList();
    /// Recomputes the installation directory (apppath) from the platform.
    void updateAppPath();
    /// Reads a PIM-form model file as "Get input file w/ PIM's" does with a chosen name.
    bool openPimFile(const QString& path);

    /// Closes the open grid windows; with WriteBack::Yes each writes its cells back
    /// into the model first (before saves and renumbering), with WriteBack::No the
    /// windows are discarded (a reader replaced the model they showed).
    enum class WriteBack { Yes, No };
    void closeGridWindows(WriteBack writeBack);

    /// Shows the design-matrix window with one row per model cell given (marked grid
    /// cells in window order and grid order), after the grid windows were written back.
    void openDesignMatrix(const std::vector<int>& rowCells);
    /// Hides the design-matrix window and drops its rows without writing them back (a
    /// reader replaced the model its rows point into).
    void discardDesignWindow();
    /// Runs the design-matrix window's Close when it is open, so its typed entries reach
    /// the model before a save, renumbering or conversion; false when Close refused (the
    /// window showed why and stays open) and the command must not go on.
    bool writeBackDesignWindow();

    // Controls and menus, named as the tests find them.
    QLabel* Label1 = nullptr;
    QLabel* lbl_pim = nullptr;
    QLabel* LBL_VERSION = nullptr;
    QListWidget* List1 = nullptr;
    QListWidget* List2 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* cmd_add = nullptr;
    QPushButton* cmd_delete = nullptr;
    QPushButton* cmd_modify = nullptr;
    QPushButton* cmd_done = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

    QMenu* menu_file = nullptr;
    QAction* menu_cnvcaph = nullptr;
    QAction* menu_get = nullptr;
    QAction* menu_getpim = nullptr;
    QAction* menu_cnvtcons = nullptr;
    QAction* menu_save = nullptr;
    QAction* menu_savepims = nullptr;
    QAction* menu_run = nullptr;
    QAction* menu_setengine = nullptr;
    QAction* menu_quit = nullptr;
    QMenu* menu_pim = nullptr;
    QAction* menu_surv = nullptr;
    QAction* menu_openp = nullptr;
    QAction* menu_closedP = nullptr;
    QAction* menu_move = nullptr;
    QAction* menu_fixed = nullptr;
    QMenu* menu_cons = nullptr;
    QAction* menu_constant = nullptr;
    QAction* menu_time = nullptr;
    QAction* menu_strata = nullptr;
    QAction* menu_age = nullptr;
    QAction* mnu_varying = nullptr;
    QAction* menu_oops = nullptr;
    QAction* menu_chngzeros = nullptr;
    QMenu* menu_special = nullptr;
    QAction* menu_runsurv = nullptr;
    QAction* menu_point = nullptr;
    QMenu* menu_window = nullptr;

public slots:
    // Main window (mainwindow.cpp).
    void quit();
    // PIM road (commands_pim.cpp).
    void getPimFile();
    void savePims();
    // Constraint road and fixed-parameter list (commands_constraints.cpp).
    void getConstraintsFile();
    void saveConstraints();
    void convertConstraints();
    void computePoint();
    void showFixedList();
    void listDoubleClicked();
    void listTextChanged(const QString& text);
    void listAdd();
    void listDelete();
    void listModify();
    void listDone();
    // PIM views (commands_views.cpp).
    void viewSurvival();
    void viewOpenCapture();
    void viewClosedCapture();
    void viewMovement();
    // Outside programs (commands_runs.cpp).
    void runEngine();
    void convertCaptureHistories();
    void setEngineLocation();
    // Per-period runs (commands_persperiod.cpp).
    void runEachPeriod();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void load();
    void activate();
    void fillWindowMenu();
    bool askQuit();
    /// Whether anything would be lost: unsaved model changes, or edits still held by an
    /// open grid window or the design-matrix window that the model has not seen yet.
    bool holdsUnsavedWork() const;
    bool gridWindowsHoldEdits() const;   // commands_views.cpp
    bool designWindowHoldsEdits() const;  // commands_design.cpp

    // Per-command-group state, each defined in its own source file.
    struct ConstraintsState;
    struct ViewsState;
    struct RunsState;
    struct DesignState;
    std::shared_ptr<ConstraintsState> m_constraints;
    std::shared_ptr<ViewsState> m_views;
    std::shared_ptr<RunsState> m_runs;
    std::shared_ptr<DesignState> m_design;

    Platform& m_platform;
    Model m_model;
};

}  // namespace tw
