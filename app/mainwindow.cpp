#include "app/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/programsdirectory.h"

namespace tw {

namespace {

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
    setWindowTitle("Tallowick2");
    exitProgram = [] { QApplication::quit(); };
    buildControls();
    buildMenus();
    load();
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
    Label1 = new QLabel("Label1", central);
    Label1->setObjectName("Label1");
    Label1->setFont(fixed);
    Label1->setWordWrap(true);
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    left->addWidget(Label1);
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
    List2 = new QListWidget(central);
    List2->setObjectName("List2");
    List2->setVisible(false);
    left->addWidget(List2);
    left->addStretch(1);
    LBL_VERSION = new QLabel("Windows 95", central);
    LBL_VERSION->setObjectName("LBL_VERSION");
    left->addWidget(LBL_VERSION);
    layout->addWidget(leftColumn, 1, 0, Qt::AlignLeft);

    auto* right = new QVBoxLayout;
    Text2 = new QLineEdit(central);
    Text2->setObjectName("Text2");
    right->addWidget(Text2);
    List1 = new QListWidget(central);
    List1->setObjectName("List1");
    List1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    right->addWidget(List1, 1);
    auto* buttons = new QHBoxLayout;
    cmd_add = new QPushButton("Add", central);
    cmd_add->setObjectName("cmd_add");
    cmd_delete = new QPushButton("Delete", central);
    cmd_delete->setObjectName("cmd_delete");
    cmd_modify = new QPushButton("Modify", central);
    cmd_modify->setObjectName("cmd_modify");
    cmd_done = new QPushButton("Done", central);
    cmd_done->setObjectName("cmd_done");
    for (QPushButton* b : {cmd_add, cmd_delete, cmd_modify, cmd_done})
        buttons->addWidget(b);
    right->addLayout(buttons);
    layout->addLayout(right, 0, 1, 2, 1);
    layout->setColumnStretch(1, 1);

    setCentralWidget(central);
    resize(760, 460);

    // The list shows only once it has a use (the fixed parameters): an empty box at
    // start-up would be the largest thing in the window.
    for (QWidget* w : std::initializer_list<QWidget*>{Text2, List1, cmd_add, cmd_delete, cmd_modify, cmd_done})
        w->setVisible(false);

    connect(List1, &QListWidget::itemDoubleClicked, this, &Form1::listDoubleClicked);
    connect(Text2, &QLineEdit::textChanged, this, &Form1::listTextChanged);
    connect(cmd_add, &QPushButton::clicked, this, &Form1::listAdd);
    connect(cmd_delete, &QPushButton::clicked, this, &Form1::listDelete);
    connect(cmd_modify, &QPushButton::clicked, this, &Form1::listModify);
    connect(cmd_done, &QPushButton::clicked, this, &Form1::listDone);
}

void Form1::buildMenus()
{
    QMenuBar* bar = menuBar();
    menu_file = addMenu(bar, "menu_file", "File");
    menu_cnvcaph = addItem(menu_file, "menu_cnvcaph", "Convert cap-hist to CORVANE input");
    menu_get = addItem(menu_file, "menu_get", "Get input file w/ constraints");
    menu_getpim = addItem(menu_file, "menu_getpim", "Get input file w/ PIM's");
    menu_cnvtcons = addItem(menu_file, "menu_cnvtcons", "Convert constraints to PIMs");
    menu_save = addItem(menu_file, "menu_save", "Save model w/ constraints");
    menu_savepims = addItem(menu_file, "menu_savepims", "Save model w/ PIM's");
    menu_run = addItem(menu_file, "menu_run", "Run model with CORVANE");
    menu_setengine = addItem(menu_file, "menu_setengine", QString::fromUtf8("Set CORVANE location\u2026"));
    menu_quit = addItem(menu_file, "menu_quit", "Quit");

    menu_pim = addMenu(bar, "menu_pim", "Pim");
    menu_surv = addItem(menu_pim, "menu_surv", "Survival probs");
    menu_openp = addItem(menu_pim, "menu_openp", "open capture probs");
    menu_closedP = addItem(menu_pim, "menu_closedP", "closed capture probs");
    menu_move = addItem(menu_pim, "menu_move", "Movement probs");
    menu_fixed = addItem(menu_pim, "menu_fixed", "Fixed parms");

    // The main window's Constraints items carry no command of their own; the working
    // commands of the same names belong to each grid window.
    menu_cons = addMenu(bar, "menu_cons", "Constraints");
    menu_constant = addItem(menu_cons, "menu_constant", "Constant over time, strata & age");
    menu_time = addItem(menu_cons, "menu_time", "Constant ove time");
    menu_strata = addItem(menu_cons, "menu_strata", "Constant over strata");
    menu_age = addItem(menu_cons, "menu_age", "Constant over age");
    mnu_varying = addItem(menu_cons, "mnu_varying", "age,strata,time varying");
    menu_oops = addItem(menu_cons, "menu_oops", "Oops");
    menu_chngzeros = addItem(menu_cons, "menu_chngzeros", "Change zeros too");

    menu_special = addMenu(bar, "menu_special", "Special");
    menu_runsurv = addItem(menu_special, "menu_runsurv", "Run each Primary period through KESTON");
    menu_point = addItem(menu_special, "menu_point", "Compute POINT(i)");

    menu_window = addMenu(bar, "menu_window", "Window");
    connect(menu_window, &QMenu::aboutToShow, this, &Form1::fillWindowMenu);

    connect(menu_cnvcaph, &QAction::triggered, this, &Form1::convertCaptureHistories);
    connect(menu_get, &QAction::triggered, this, &Form1::getConstraintsFile);
    connect(menu_getpim, &QAction::triggered, this, &Form1::getPimFile);
    connect(menu_cnvtcons, &QAction::triggered, this, &Form1::convertConstraints);
    connect(menu_save, &QAction::triggered, this, &Form1::saveConstraints);
    connect(menu_savepims, &QAction::triggered, this, &Form1::savePims);
    connect(menu_run, &QAction::triggered, this, &Form1::runEngine);
    connect(menu_setengine, &QAction::triggered, this, &Form1::setEngineLocation);
    connect(menu_quit, &QAction::triggered, this, &Form1::quit);
    connect(menu_surv, &QAction::triggered, this, &Form1::viewSurvival);
    connect(menu_openp, &QAction::triggered, this, &Form1::viewOpenCapture);
    connect(menu_closedP, &QAction::triggered, this, &Form1::viewClosedCapture);
    connect(menu_move, &QAction::triggered, this, &Form1::viewMovement);
    connect(menu_fixed, &QAction::triggered, this, &Form1::showFixedList);
    connect(menu_runsurv, &QAction::triggered, this, &Form1::runEachPeriod);
    connect(menu_point, &QAction::triggered, this, &Form1::computePoint);
}

void Form1::load()
{
    m_model = startupModel();
#ifdef Q_OS_WIN
    const auto os = m_platform.environment.variable("OS");
    LBL_VERSION->setText(os && os->contains("NT") ? "Windows NT/2000" : "Windows 95/98");
#elif defined(Q_OS_MACOS)
    LBL_VERSION->setText("macOS");
#else
    LBL_VERSION->setText("Linux");
#endif
    menu_cons->menuAction()->setVisible(false);
    menu_save->setEnabled(false);
    menu_savepims->setEnabled(false);
    menu_cnvtcons->setEnabled(false);
    updateAppPath();
}

void Form1::activate()
{
    // The window list lives in the Window menu; the fixed-parameter list stays the model's.
    updateAppPath();
}

void Form1::updateAppPath()
{
    m_model.apppath = outsideProgramsDirectory(m_platform.install).toStdString();
}

void Form1::fillWindowMenu()
{
    menu_window->clear();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isWindow() || window->isHidden() || qobject_cast<QMenu*>(window))
            continue;
        QAction* item = menu_window->addAction(window->windowTitle());
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
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        activate();
    QMainWindow::changeEvent(event);
}

bool Form1::holdsUnsavedWork() const
{
    return m_model.unsaved == 1 || gridWindowsHoldEdits() || designWindowHoldsEdits();
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
    m_model.unsaved = 0;  // answered: the close of the main window must not ask again
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

void Form1::showError(const QString& title, const Error& error)
{
    m_platform.dialogs.message(this, title, QString::fromStdString(error.text()));
}

bool Form1::confirmReplace()
{
    if (!holdsUnsavedWork())
        return true;
    return m_platform.dialogs.okCancel(this, "Tallowick2", "The model has unsaved changes. Replace it?");
}

void Form1::refreshFixedList()
{
    const int current = List1->currentRow();
    List1->clear();
    for (const std::string& entry : m_model.fixedlist)
        List1->addItem(QString::fromStdString(entry));
    if (current >= 0 && current < List1->count())
        List1->setCurrentRow(current);
}

}  // namespace tw
