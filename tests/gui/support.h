#pragma once
// Fixtures shared by the widget tests: a main window over the scripted platform, a
// temporary current directory, small models, and ways to find and drive windows.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "app/fixedlistmodel.h"
#include "app/mainwindow.h"
#include "design/widgets/form2.h"
#include "model/model.h"
#include "pim/widgets/gridtablemodel.h"
#include "pim/widgets/gridwindow.h"
#include "platform/scripted.h"
#include "runs/widgets/textviewer.h"

namespace twtest {

using namespace tw;

inline const QString kExample = TW_SOURCE_DIR "/examples/example.inp";
inline const QString kModel1 = TW_TEST_DATA "/constraints/model1.inp";
inline const QString kPeriods = TW_TEST_DATA "/persperiod/periods.inp";
inline const QString kBin = TW_BINARY_DIR "/app/";

// A temporary directory that is the current one while the guard lives: the program
// writes fixed-name files in the current directory.
struct InTempDir {
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    InTempDir() { QDir::setCurrent(dir.path()); }
    ~InTempDir() { QDir::setCurrent(previous); }
    QString path(const QString& name) const { return dir.filePath(name); }
};

// A main window over a scripted platform; ending the program only counts.
struct MainSession {
    ScriptedPlatform scripted;
    ScriptedDialogs& dialogs = scripted.dialogs;
    Form1 form{scripted.platform};
    int exits = 0;

    MainSession() { form.exitProgram = [this] { ++exits; }; }
    ~MainSession() { form.closeGridWindows(Form1::WriteBack::No); }
    MainSession(const MainSession&) = delete;
    MainSession& operator=(const MainSession&) = delete;

    Model& model() { return form.model(); }
    void answerFile(const std::optional<QString>& file) { dialogs.fileAnswers.enqueue(file); }
    /// A control or menu item of the main window by its object name.
    template <class Control = QWidget>
    Control* child(const char* name) const
    {
        auto* found = form.findChild<Control*>(name);
        if (!found)
            qFatal("no child %s", name);
        return found;
    }
    QAction* action(const char* name) const { return child<QAction>(name); }
    bool enabled(const char* name) const { return action(name)->isEnabled(); }
    /// The entries List1 shows.
    QStringList listed() const
    {
        QStringList texts;
        const QAbstractItemModel* list = child<QListView>("List1")->model();
        for (int row = 0; row < list->rowCount(); ++row)
            texts << list->index(row, 0).data().toString();
        return texts;
    }
    // The grid windows still open, in the order they were opened.
    QList<GridWindow*> grids() const
    {
        QList<GridWindow*> open;
        for (GridWindow* w : form.findChildren<GridWindow*>())
            if (!w->isClosed())
                open << w;
        return open;
    }
    Form2* design() const { return form.findChild<Form2*>("Form2"); }
    /// Takes the outside programs from the folder of the given (registered) program path.
    void installAt(const QString& registered)
    {
        scripted.install.registered = registered;
        form.updateInstallDirectory();
    }
};

/// Triggers a menu item of any window by its object name.
inline void trigger(QObject* window, const char* name)
{
    auto* action = window->findChild<QAction*>(name);
    if (!action)
        qFatal("no action %s", name);
    action->trigger();
}

inline QByteArray bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// The texts of every dialog asked so far, questions and file dialogs included.
inline QStringList askedTexts(const ScriptedDialogs& dialogs)
{
    QStringList texts;
    for (const ScriptedDialogs::Asked& asked : dialogs.asked)
        texts << asked.text;
    return texts;
}

inline bool writeFile(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// A model of the given dimensions, every primary period of two occasions, each cell
// its own parameter.
inline Model periodModel(int groups, int nage, int nstrat, int nyrs)
{
    Model m = startupModel();
    m.groups = groups;
    m.nage = nage;
    m.nstrat = nstrat;
    m.nyrs = nyrs;
    m.secpers.assign(nyrs + 1, 2.0);
    m.secpers[0] = 0;
    m.cumsec.assign(nyrs + 1, 0);
    for (int t = 1; t <= nyrs; ++t)
        m.cumsec[t] = static_cast<std::int16_t>(2 * t);
    m.totsec = m.cumsec[nyrs];
    computeDerivedSizes(m);
    m.npar = static_cast<int>(expectedCellCount(m));
    createCellArrays(m);
    return m;
}

// Two groups, two age classes, three strata, three primary periods of two occasions:
// survival and movement cells 1..72, open capture 73..84, closed capture 85..120.
struct Views : MainSession {
    Views() { model() = periodModel(2, 2, 3, 3); }
};

// The bundled example read in a temporary current directory: 2 groups, 2 age classes,
// 3 strata, 5 primary periods, 252 cells, 16 movement cells fixed at .02.
struct Example : InTempDir, MainSession {
    Example()
    {
        if (!form.openPimFile(kExample))
            qFatal("the example does not read");
    }
    GridWindow* open(void (Form1::*view)(), int window)
    {
        (form.*view)();
        return grids().at(window);
    }
    GridWindow* window(const QString& caption) const
    {
        for (GridWindow* w : grids())
            if (w->windowTitle() == caption)
                return w;
        return nullptr;
    }
};

/// The texts a grid window holds, cell by cell.
inline QStringList texts(const GridWindow& window)
{
    QStringList list;
    for (const std::string& text : window.grid().texts)
        list << QString::fromStdString(text);
    return list;
}

template <class Window>
QList<Window*> topLevels()
{
    QList<Window*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<Window*>(w))
            found << window;
    return found;
}

inline TextViewer* viewerOf(const QString& path)
{
    for (TextViewer* viewer : topLevels<TextViewer>())
        if (QFileInfo(viewer->path()).absoluteFilePath() == QFileInfo(path).absoluteFilePath())
            return viewer;
    return nullptr;
}

inline void clickCell(GridWindow& window, int cell, Qt::KeyboardModifiers keys = Qt::ShiftModifier,
                      Qt::MouseButton button = Qt::LeftButton)
{
    const QPoint at = window.table()->visualRect(window.gridModel()->indexOf(cell)).center();
    QTest::mouseClick(window.table()->viewport(), button, keys, at);
}

inline QStringList headers(const QAbstractItemModel* model, Qt::Orientation orientation)
{
    QStringList texts;
    const int count = orientation == Qt::Horizontal ? model->columnCount() : model->rowCount();
    for (int i = 0; i < count; ++i)
        texts << model->headerData(i, orientation).toString();
    return texts;
}

// Types into a table cell through the view's own editor and leaves it open: moving on
// or closing the window must commit it. False when no editor opened.
inline bool typeInto(QTableView* view, int row, int column, const QString& text)
{
    const QModelIndex index = view->model()->index(row, column);
    view->setCurrentIndex(index);
    view->edit(index);
    auto* editor = qobject_cast<QLineEdit*>(view->indexWidget(index));
    if (editor)
        editor->setText(text);
    return editor != nullptr;
}

// An engine that is never started, in the folder, taken as the installation directory.
inline void installEngine(MainSession& s, const QString& folder)
{
    QDir().mkpath(folder);
    writeFile(folder + "/corvane", "#!/bin/false\n");
    s.installAt(folder + "/tallowick2");
}

inline ProcessResult ran()
{
    ProcessResult result;
    result.started = true;
    result.exitCode = 0;
    return result;
}

}  // namespace twtest
