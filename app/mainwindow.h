#pragma once
// Form1, the main window: the menus, the dimensions label, the status bar and the
// fixed-parameter list editor over one session. Each command asks the platform for names
// and answers through the session's front end, runs the session's command, shows what it
// returns and enables the menus the session allows; the title names the model's file and
// marks unsaved work. Each group of commands lives in its own commands_*.cpp; the windows
// a command opens are remembered by QPointer members, and nothing else of a command
// outlives it.

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <vector>

#include "platform/platform.h"
#include "session/session.h"

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QProgressBar;
class QPushButton;
class QUndoStack;

namespace tw {

enum class ViewKind;
class ChartWindow;
class FixedListModel;
class Form2;
class Form3;
class FormulaWindow;
class GridWindow;

/// Form1: the main window, home of the session.
class Form1 : public QMainWindow {
    Q_OBJECT

public:
    explicit Form1(Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    /// Ends the program (all its windows); tests replace it to observe the end.
    std::function<void()> exitProgram;

    Session& session() { return m_session; }
    Model& model() { return m_session.model(); }
    const Model& model() const { return m_session.model(); }
    Platform& platform() { return m_platform; }
    /// The item model of the fixed-parameter list (List1).
    FixedListModel* fixedListModel() const { return m_fixedListModel; }

    /// Recomputes the installation directory from the platform.
    void updateInstallDirectory();
    /// Reads a PIM-form model file as "Get input file w/ PIM's" does with a chosen name.
    bool openPimFile(const QString& path);
    /// Reads a model file with the reader of its form, told by its content (a file given
    /// at start, dropped on the window); says why when it cannot be read.
    bool openModelFile(const QString& path);
    /// Reads a model file with the reader of the form given (the recent-models list).
    bool openModel(const ModelFile& file);

    /// Closes the open grid windows; with WriteBack::Yes each writes its cells back
    /// into the model first (before saves and renumbering), with WriteBack::No the
    /// windows are discarded (a reader replaced the model they showed).
    enum class WriteBack { Yes, No };
    void closeGridWindows(WriteBack writeBack);

    /// Shows the design-matrix window with one row per model cell given (marked grid
    /// cells in window order and grid order), after the grid windows were written back.
    void openDesignMatrix(const std::vector<int>& rowCells);

public slots:
    // Main window (mainwindow.cpp).
    void quit();
    // File commands of both roads (commands_files.cpp).
    void getPimFile();
    void savePims();
    void getConstraintsFile();
    void saveConstraints();
    void convertConstraints();
    void computePoint();
    void runEachPeriod();
    // The fixed-parameter list editor (commands_fixedlist.cpp).
    void showFixedList();
    void listModify();
    void listAdd();
    void listDelete();
    void listDone();
    // PIM views (commands_views.cpp).
    void viewSurvival();
    void viewOpenCapture();
    void viewClosedCapture();
    void viewMovement();
    // The PIM chart window (commands_chart.cpp).
    void showChart();
    // Model formulas (commands_formulas.cpp).
    void modelFormulas();
    // Outside programs (commands_runs.cpp).
    void runEngine();
    void convertCaptureHistories();
    void setEngineLocation();
    // Help (commands_help.cpp).
    void showUserGuide();
    void showAbout();

signals:
    /// The model may have changed: a command ran, or a window wrote its edits back.
    void modelChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    /// Notes the order in which the program's windows open, for the Window menu, and
    /// which grid window was active last.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A model file dropped on the window is read (commands_recent.cpp).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class Front;  // the session's front end over the platform and the windows (front.cpp)

    void buildControls();
    void buildMenus();
    QWidget* buildListEditor(QWidget* parent);
    void load();
    void fillWindowMenu();
    bool askQuit();
    void showError(const QString& title, const Error& error, Severity severity = Severity::Warning);
    /// Says in the status bar what a command did.
    void showStatus(const QString& text);
    /// The title names the model's file and carries the modified mark while work is unsaved.
    void updateTitle();

    /// Runs a command of the session and shows what it returns; the fixed-parameter list
    /// view follows a list the command replaced.
    Outcome run(const std::function<Outcome(FrontEnd&)>& command, const std::optional<QString>& presetFile = {});
    void showOutcome(const Outcome& outcome);
    /// Enables the menu items of the commands the session allows now.
    void updateActions();

    // The list editor (commands_fixedlist.cpp).
    void showListEditor(bool shown);
    void listDoubleClicked();
    void listTextEdited(const QString& text);
    int selectedListRow() const;
    /// Runs a command of the list editor: a change of the entries is one undo step, and
    /// the steps of typing into one entry fold into one.
    enum class ListStep { Typing, Other };
    void editFixedList(const std::function<void(FixedList&)>& command, const QString& description,
                       ListStep step = ListStep::Other);
    /// The program changed the list: the view follows, the undo steps are dropped.
    void fixedListReplaced();
    void showListField();

    // The recent-models list of the File menu (commands_recent.cpp).
    std::vector<ModelFile> recentModels() const;
    void rememberModel(const ModelFile& file);
    void fillRecentMenu();
    void openRecentModel(const ModelFile& file);
    // The chart window's requests (commands_chart.cpp).
    void connectChart();
    /// Brings forward the grid window that shows the block of the chart's row, opening
    /// its view (after writing back the windows of another view) when none shows it.
    void openBlockGrid(int row);

    // Windows (commands_views.cpp, commands_design.cpp).
    void openViews(ViewKind kind);
    /// The grid window the main window's "Constraints" items act on: the one active
    /// last, or else the one opened last; nullptr when none is open.
    GridWindow* activeGridWindow() const;
    /// Runs the grid window command of that object name in the active grid window.
    void runOnActiveGrid(const QString& gridCommand);
    void showActiveGridZeros();
    /// Closes the open grid windows of one view, each writing back.
    void closeViewWindows(ViewKind kind);
    void gridWindowClosed(GridWindow* window);
    void designMatrixRequested();
    /// Whether anything would be lost: unsaved model changes, or edits still held by an
    /// open grid window or the design-matrix window that the model has not seen yet.
    bool holdsUnsavedWork() const;
    bool gridWindowsHoldEdits() const;
    bool designWindowHoldsEdits() const;
    /// Hides the design-matrix window and drops its rows without writing them back (a
    /// reader replaced the model its rows point into).
    void discardDesignWindow();
    /// Runs the design-matrix window's Close when it is open, so its typed entries reach
    /// the model before a save, renumbering or conversion; false when Close refused (the
    /// window showed why and stays open) and the command must not go on.
    bool writeBackDesignWindow();
    /// Closes an open design-matrix window as its close box does (asking whether to keep
    /// typed entries); false when it stays open.
    bool closeDesignWindow();

    Platform& m_platform;
    Session m_session;

    // Windows this one opened, while they are open.
    std::vector<QPointer<GridWindow>> m_gridWindows;  // in the order opened
    QPointer<GridWindow> m_activeGrid;                // the grid window active last
    QPointer<Form2> m_designWindow;                   // created once, then hidden and shown
    QPointer<Form3> m_conversionDialog;
    QPointer<QWidget> m_userGuide;
    QPointer<ChartWindow> m_chartWindow;              // created once, then hidden and shown
    QPointer<FormulaWindow> m_formulaWindow;          // created once, then hidden and shown
    std::vector<QPointer<QWidget>> m_openedWindows;  // every window shown, the last shown last
    QString m_engineRunFile;  // the file of the last engine run, proposed at the next

    // The fixed-parameter list editor.
    FixedListModel* m_fixedListModel = nullptr;
    QUndoStack* m_listUndo = nullptr;

    // Controls and menus, found by the tests through their object names.
    QLabel* Label1 = nullptr;
    QLabel* lbl_pim = nullptr;
    QLabel* LBL_VERSION = nullptr;
    QLabel* lbl_status = nullptr;
    QLabel* lbl_start = nullptr;
    QListView* List1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* cmd_add = nullptr;
    QPushButton* cmd_delete = nullptr;
    QPushButton* cmd_modify = nullptr;
    QPushButton* cmd_done = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QMenu* menu_cons = nullptr;
    QMenu* menu_pim = nullptr;
    QMenu* menu_window = nullptr;
    QMenu* menu_recent = nullptr;
    QAction* menu_save = nullptr;
    QAction* menu_savepims = nullptr;
    QAction* menu_cnvtcons = nullptr;
    QAction* menu_setengine = nullptr;
    QAction* menu_chngzeros = nullptr;
    std::vector<QAction*> m_viewActions;  // the four probability views: need a model
};

}  // namespace tw
