#include "app/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QStatusBar>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>

#include "app/fixedlistmodel.h"
#include "app/keyboard.h"
#include "model/paths.h"
#include "pim/widgets/gridwindow.h"
#include "platform/programsdirectory.h"
#include "runs/enginerun.h"

namespace tw {

namespace {

constexpr const char* kNoModel = "No model loaded";
constexpr const char* kStartHint =
    "Read a model file with File \u25b8 Get input file w/ PIM's (Ctrl+O) or w/ constraints (Ctrl+Shift+O), "
    "or drop it on this window. Help \u25b8 User guide (F1) walks through the examples.";

QAction* addItem(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QMenu* addMenu(QMenuBar* bar, const char* name, const QString& caption)
{
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(QString(name) + "_action");
    return menu;
}

// A small decoration: capture occasions as rows of marks across strata.
QPixmap decoration()
{
    QPixmap pixmap(160, 120);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colours[] = {QColor(40, 110, 160), QColor(200, 120, 40), QColor(70, 150, 80)};
    for (int stratum = 0; stratum < 3; ++stratum) {
        painter.setPen(QPen(colours[stratum], 2));
        painter.drawLine(10, 25 + stratum * 35, 150, 25 + stratum * 35);
        for (int occasion = 0; occasion < 6; ++occasion)
            if ((occasion + stratum) % 3 != 1)
                painter.drawEllipse(QPointF(20 + occasion * 24, 25 + stratum * 35), 6, 6);
    }
    return pixmap;
}

}  // namespace

Form1::Form1(Platform& platform, QWidget* parent) : QMainWindow(parent), m_platform(platform)
{
    setObjectName("Form1");
    setAcceptDrops(true);
    exitProgram = [] { QApplication::quit(); };
    buildControls();
    buildMenus();
    applyKeyboard(this, KeyboardOf::MainWindow);
    load();
    qApp->installEventFilter(this);
}

Form1::~Form1() = default;

void Form1::buildControls()
{
    auto* central = new QWidget(this);
    auto* layout = new QGridLayout(central);

    auto* image = new QLabel(central);
    image->setObjectName("Image1");
    image->setPixmap(decoration());
    layout->addWidget(image, 0, 0, Qt::AlignTop | Qt::AlignLeft);

    // The left column keeps one width whatever the labels say, so the list beside it
    // does not jump when a model is read or a view opened; longer texts wrap.
    auto* leftColumn = new QWidget(central);
    auto* left = new QVBoxLayout(leftColumn);
    left->setContentsMargins(0, 0, 0, 0);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // Room for the widest usual caption, "npar=32767 nage=9 groups=99 nyrs=99 nstrat=9".
    leftColumn->setFixedWidth(std::max(QFontMetrics(fixed).horizontalAdvance(QString(46, '0')), 240));
    Label1 = new QLabel(kNoModel, central);
    Label1->setObjectName("Label1");
    Label1->setFont(fixed);
    Label1->setWordWrap(true);
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    left->addWidget(Label1);
    // What to do first, until a model is read.
    lbl_start = new QLabel(QString::fromUtf8(kStartHint), central);
    lbl_start->setObjectName("lbl_start");
    lbl_start->setWordWrap(true);
    left->addWidget(lbl_start);
    lbl_pim = new QLabel("pim label", central);
    lbl_pim->setObjectName("lbl_pim");
    lbl_pim->setWordWrap(true);
    lbl_pim->setVisible(false);
    left->addWidget(lbl_pim);
    ProgressBar1 = new QProgressBar(central);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setVisible(false);
    left->addWidget(ProgressBar1);
    auto* text1 = new QLineEdit(central);  // the template cell the grid windows copy
    text1->setObjectName("Text1");
    text1->setVisible(false);
    left->addWidget(text1);
    auto* list2 = new QListView(central);  // no command uses it
    list2->setObjectName("List2");
    list2->setVisible(false);
    left->addWidget(list2);
    left->addStretch(1);
    LBL_VERSION = new QLabel("Windows 95", central);
    LBL_VERSION->setObjectName("LBL_VERSION");
    left->addWidget(LBL_VERSION);
    layout->addWidget(leftColumn, 1, 0, Qt::AlignLeft);

    layout->addWidget(buildListEditor(central), 0, 1, 2, 1);
    layout->setColumnStretch(1, 1);

    setCentralWidget(central);

    // What the last command did; a widget of the bar, so that a menu's status tips
    // pass over it without wiping it out.
    lbl_status = new QLabel(this);
    lbl_status->setObjectName("lbl_status");
    lbl_status->setContentsMargins(4, 0, 4, 0);
    statusBar()->setObjectName("statusBar");
    statusBar()->addWidget(lbl_status, 1);
    resize(760, 460);
}

void Form1::buildMenus()
{
    QMenuBar* bar = menuBar();
    QMenu* file = addMenu(bar, "menu_file", "File");
    connect(addItem(file, "menu_cnvcaph", "Convert cap-hist to CORVANE input"), &QAction::triggered, this,
            &Form1::convertCaptureHistories);
    connect(addItem(file, "menu_get", commandCaption(Command::ReadConstraints)), &QAction::triggered, this,
            &Form1::getConstraintsFile);
    connect(addItem(file, "menu_getpim", commandCaption(Command::ReadPims)), &QAction::triggered, this,
            &Form1::getPimFile);
    menu_cnvtcons = addItem(file, "menu_cnvtcons", commandCaption(Command::Convert));
    connect(menu_cnvtcons, &QAction::triggered, this, &Form1::convertConstraints);
    menu_save = addItem(file, "menu_save", commandCaption(Command::SaveConstraints));
    connect(menu_save, &QAction::triggered, this, &Form1::saveConstraints);
    menu_savepims = addItem(file, "menu_savepims", commandCaption(Command::SavePims));
    connect(menu_savepims, &QAction::triggered, this, &Form1::savePims);
    connect(addItem(file, "menu_run", "Run model with CORVANE"), &QAction::triggered, this, &Form1::runEngine);
    menu_setengine = addItem(file, "menu_setengine", QString::fromUtf8("Set CORVANE location\u2026"));
    connect(menu_setengine, &QAction::triggered, this, &Form1::setEngineLocation);
    file->setToolTipsVisible(true);  // the engine's path
    file->addSeparator();
    menu_recent = file->addMenu("Recent models");
    menu_recent->setObjectName("menu_recent");
    menu_recent->setToolTipsVisible(true);
    connect(menu_recent, &QMenu::aboutToShow, this, &Form1::fillRecentMenu);
    file->addSeparator();
    connect(addItem(file, "menu_quit", "Quit"), &QAction::triggered, this, &Form1::quit);

    // Undo and Redo of the fixed-parameter list editor.
    QMenu* edit = addMenu(bar, "menu_edit", "Edit");
    QAction* undo = m_listUndo->createUndoAction(this, "Undo");
    undo->setObjectName("menu_undo");
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redo = m_listUndo->createRedoAction(this, "Redo");
    redo->setObjectName("menu_redo");
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    edit->addAction(undo);
    edit->addAction(redo);

    menu_pim = addMenu(bar, "menu_pim", "Pim");
    m_viewActions = {addItem(menu_pim, "menu_surv", "Survival probs"), addItem(menu_pim, "menu_openp", "open capture probs"),
                     addItem(menu_pim, "menu_closedP", "closed capture probs"),
                     addItem(menu_pim, "menu_move", "Movement probs")};
    connect(m_viewActions[0], &QAction::triggered, this, &Form1::viewSurvival);
    connect(m_viewActions[1], &QAction::triggered, this, &Form1::viewOpenCapture);
    connect(m_viewActions[2], &QAction::triggered, this, &Form1::viewClosedCapture);
    connect(m_viewActions[3], &QAction::triggered, this, &Form1::viewMovement);
    connect(addItem(menu_pim, "menu_formulas", QString::fromUtf8("Model formulas\u2026")), &QAction::triggered, this,
            &Form1::modelFormulas);
    connect(addItem(menu_pim, "menu_fixed", "Fixed parms"), &QAction::triggered, this, &Form1::showFixedList);
    connect(addItem(menu_pim, "menu_chart", "PIM chart"), &QAction::triggered, this, &Form1::showChart);

    // The main window's Constraints items run the commands of the same names in the
    // active grid window.
    menu_cons = addMenu(bar, "menu_cons", "Constraints");
    const std::pair<const char*, const char*> commands[] = {
        {"menu_constant", "menu_constant"}, {"menu_time", "menu_time"}, {"menu_strata", "menu_strata"},
        {"menu_age", "menu_age"},           {"mnu_varying", "menu_varying"}, {"menu_oops", "menu_oops"}};
    const QString captions[] = {"Constant over time, strata && age", "Constant ove time", "Constant over strata",
                                "Constant over age", "age,strata,time varying", "Oops"};
    for (std::size_t i = 0; i < std::size(commands); ++i) {
        const QString gridCommand = commands[i].second;
        connect(addItem(menu_cons, commands[i].first, captions[i]), &QAction::triggered, this,
                [this, gridCommand] { runOnActiveGrid(gridCommand); });
    }
    menu_chngzeros = addItem(menu_cons, "menu_chngzeros", "Change zeros too");
    menu_chngzeros->setCheckable(true);
    connect(menu_chngzeros, &QAction::triggered, this, [this] { runOnActiveGrid("menu_chngzeros"); });
    connect(menu_cons, &QMenu::aboutToShow, this, &Form1::showActiveGridZeros);

    QMenu* special = addMenu(bar, "menu_special", "Special");
    connect(addItem(special, "menu_runsurv", commandCaption(Command::RunEachPeriod)), &QAction::triggered, this,
            &Form1::runEachPeriod);
    connect(addItem(special, "menu_point", commandCaption(Command::Point)), &QAction::triggered, this,
            &Form1::computePoint);

    menu_window = addMenu(bar, "menu_window", "Window");
    connect(menu_window, &QMenu::aboutToShow, this, &Form1::fillWindowMenu);

    QMenu* help = addMenu(bar, "menu_help", "Help");
    connect(addItem(help, "menu_userguide", "User guide"), &QAction::triggered, this, &Form1::showUserGuide);
    connect(addItem(help, "menu_about", "About"), &QAction::triggered, this, &Form1::showAbout);
}

void Form1::load()
{
#ifdef Q_OS_WIN
    const auto os = m_platform.environment.variable("OS");
    LBL_VERSION->setText(os && os->contains("NT") ? "Windows NT/2000" : "Windows 95/98");
#elif defined(Q_OS_MACOS)
    LBL_VERSION->setText("macOS");
#else
    LBL_VERSION->setText("Linux");
#endif
    menu_cons->menuAction()->setVisible(false);
    connect(m_listUndo, &QUndoStack::indexChanged, this, &Form1::updateTitle);
    updateActions();
    updateInstallDirectory();
    const QString engine = QString::fromStdString(programIn(m_session.installDirectory(), kEngineProgram));
    showStatus("Engine: " + engine + (QFileInfo(engine).isFile() ? "" : " (not found)"));
}

void Form1::updateInstallDirectory()
{
    m_session.setInstallDirectory(outsideProgramsDirectory(m_platform.install).toStdString());
    const QString engine = QString::fromStdString(programIn(m_session.installDirectory(), kEngineProgram));
    menu_setengine->setToolTip("Now: " + engine);
    menu_setengine->setStatusTip("The engine now started: " + engine);
}

void Form1::updateActions()
{
    const std::pair<Command, QAction*> actions[] = {
        {Command::SaveConstraints, menu_save}, {Command::SavePims, menu_savepims}, {Command::Convert, menu_cnvtcons}};
    for (const auto& [command, action] : actions)
        action->setEnabled(m_session.available(command));
    for (QAction* view : m_viewActions)
        view->setEnabled(model().loaded());
    lbl_start->setVisible(!model().loaded());
    updateTitle();
}

void Form1::updateTitle()
{
    const QString file = QString::fromStdString(m_session.modelFile());
    setWindowTitle(file.isEmpty() ? QString("Tallowick2[*]")
                                  : QFileInfo(file).fileName() + QString::fromUtf8("[*] \u2014 Tallowick2"));
    setWindowModified(holdsUnsavedWork());
}

void Form1::showStatus(const QString& text)
{
    lbl_status->setText(text);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    // An activated grid window becomes the one the Constraints items act on.
    if (event->type() == QEvent::WindowActivate)
        if (auto* grid = qobject_cast<GridWindow*>(watched); grid && !grid->isClosed())
            m_activeGrid = grid;
    // Only a show by the program counts: the window system's own (restoring a window
    // from an icon) opens nothing.
    if (event->type() != QEvent::Show || event->spontaneous() || !watched->isWidgetType())
        return QMainWindow::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    const Qt::WindowType type = widget->windowType();
    if (widget->isWindow() && (type == Qt::Window || type == Qt::Dialog) && !qobject_cast<QMenu*>(widget)) {
        std::erase_if(m_openedWindows, [widget](const QPointer<QWidget>& w) { return w == widget || w.isNull(); });
        m_openedWindows.emplace_back(widget);
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::fillWindowMenu()
{
    menu_window->clear();
    for (const QPointer<QWidget>& opened : m_openedWindows) {
        QWidget* window = opened;
        if (!window || window->isHidden())
            continue;
        // A title's modified mark shows as "*"; an "&" in it is no mnemonic.
        QString title = window->windowTitle();
        title.replace("[*]", window->isWindowModified() ? "*" : "");
        QAction* item = menu_window->addAction(escapedCaption(title));
        connect(item, &QAction::triggered, window, [window] {
            window->showNormal();
            window->raise();
            window->activateWindow();
        });
    }
    QAction* end = menu_window->addAction("<<< end of list >>>");
    end->setEnabled(false);
}

void Form1::changeEvent(QEvent* event)
{
    // The window list lives in the Window menu; the fixed-parameter list stays the model's.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        updateInstallDirectory();
    QMainWindow::changeEvent(event);
}

bool Form1::holdsUnsavedWork() const
{
    return model().unsaved || m_session.fixedListPending() || gridWindowsHoldEdits() || designWindowHoldsEdits();
}

bool Form1::askQuit()
{
    if (!holdsUnsavedWork())
        return true;
    return m_platform.dialogs.okCancel(
        this, "Tallowick2", "You haven't saved the file! Are you sure you really really really want to quit?");
}

void Form1::quit()
{
    if (!askQuit())
        return;
    model().unsaved = false;  // answered: the close of the main window must not ask again
    updateTitle();
    exitProgram();
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (!askQuit()) {
        event->ignore();
        return;
    }
    event->accept();
    // Closing the main window ends the program with all its windows.
    exitProgram();
}

void Form1::showError(const QString& title, const Error& error, Severity severity)
{
    m_platform.dialogs.message(this, title, QString::fromStdString(error.text()), severity);
}

}  // namespace tw
