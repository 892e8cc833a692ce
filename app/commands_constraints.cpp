// The constraint road and the fixed-parameter list editor.
#include "app/mainwindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include "model/constraintsreader.h"
#include "model/constraintstopims.h"
#include "model/numbering.h"
#include "model/constraintswriter.h"

namespace tw {

struct Form1::ConstraintsState {
    std::string consfile;  // the constraints file chosen for the last conversion

    // The list editor's edit field is bound to one entry only after a double-click or
    // "Modify"; then typing changes that entry. Text typed while it is unbound stays
    // apart until "Add". The binding holds only while the list is the one it was made
    // on: any change the program makes to the list ends it.
    int listidx = -1;
    std::vector<std::string> boundList;
    bool settingText = false;  // the program is setting the edit field
};

namespace {

const QString kTitle = "Tallowick2";

template <class State>
State& stateOf(std::shared_ptr<State>& state)
{
    if (!state)
        state = std::make_shared<State>();
    return *state;
}

// The name a file dialog returned, or nullopt for no choice (cancelled, empty, "*.*").
std::optional<QString> chosenFile(const std::optional<QString>& answer)
{
    if (!answer || answer->isEmpty() || *answer == "*.*")
        return std::nullopt;
    return answer;
}

}  // namespace

void Form1::getConstraintsFile()
{
    const auto name = chosenFile(m_platform.dialogs.openFile(this, "CORVANE input file", "*.*"));
    if (!name) {
        m_platform.dialogs.message(this, kTitle, "No file selected");
        return;
    }
    if (!confirmReplace())
        return;
    auto read = readConstraintsFile(name->toStdString());
    if (!read) {
        showError(kTitle, read.error());
        return;
    }

    closeGridWindows(WriteBack::No);
    discardDesignWindow();
    read->model.apppath = m_model.apppath;
    m_model = std::move(read->model);
    stateOf(m_constraints).listidx = -1;
    Label1->setText(QString::fromStdString(read->caption));
    Label1->setVisible(true);
    refreshFixedList();
    List1->setVisible(true);
    computePoint();
    m_model.unsaved = true;
    menu_save->setEnabled(true);
    menu_savepims->setEnabled(false);
    menu_cnvtcons->setEnabled(true);
    listDone();
}

void Form1::saveConstraints()
{
    if (!writeBackDesignWindow())
        return;
    closeGridWindows(WriteBack::Yes);
    const Status saved = tw::saveConstraints(m_model, kConstraintsOutputName);
    if (!saved) {
        showError(kTitle, saved.error());
        return;
    }
    m_model.unsaved = false;
    m_platform.dialogs.message(this, kTitle, QString::fromStdString(constraintsSavedMessage(kConstraintsOutputName)));
}

void Form1::convertConstraints()
{
    ConstraintsState& state = stateOf(m_constraints);
    const auto name =
        chosenFile(m_platform.dialogs.openFile(this, "CONSTRAINTs file", QString::fromStdString(m_model.infile)));
    if (!name) {
        m_platform.dialogs.message(this, kTitle, "No file selected");
        return;
    }
    state.consfile = name->toStdString();
    if (!writeBackDesignWindow())
        return;
    closeGridWindows(WriteBack::Yes);
    const Status converted = convertConstraintsFile(m_model, state.consfile);
    if (!converted) {
        showError(kTitle, converted.error());
        return;
    }
    menu_savepims->setEnabled(true);
}

void Form1::computePoint()
{
    if (!writeBackDesignWindow())
        return;
    closeGridWindows(WriteBack::Yes);
    // The label shows "Please wait..." while the numbering runs, then its caption again.
    const QString caption = Label1->text();
    const bool captionShown = Label1->isVisible();
    ProgressBar1->setValue(0);
    ProgressBar1->setVisible(true);
    Label1->setText("Please wait...");
    Label1->setVisible(true);
    repaint();

    const NumberingResult numbered =
        computePointNumbering(m_model, [this](int percent) { ProgressBar1->setValue(percent); });
    m_model.markChanged();
    if (numbered.allFixedEvents > 0)
        m_platform.dialogs.message(this, kTitle, kAllFixedMessage);
    const Status listed = saveCheckListing(numbered.listing, kCheckListingName, {m_model.infile});

    ProgressBar1->setVisible(false);
    Label1->setText(caption);
    Label1->setVisible(captionShown);
    if (!listed)
        showError(kTitle, listed.error());
}

// ---- The fixed-parameter list editor --------------------------------------------

void Form1::showFixedList()
{
    ConstraintsState& state = stateOf(m_constraints);
    for (QWidget* w : std::initializer_list<QWidget*>{cmd_done, cmd_add, cmd_delete, cmd_modify, List1, Text2})
        w->setVisible(true);
    refreshFixedList();
    state.listidx = -1;
    state.settingText = true;
    Text2->setText(m_model.fixedlist.empty() ? QString() : QString::fromStdString(m_model.fixedlist.front()));
    state.settingText = false;
}

void Form1::listDoubleClicked()
{
    for (QWidget* w : std::initializer_list<QWidget*>{Text2, cmd_add, cmd_delete, cmd_modify, cmd_done})
        w->setVisible(true);
    listModify();
}

void Form1::listModify()
{
    ConstraintsState& state = stateOf(m_constraints);
    const int row = List1->currentItem() && List1->currentItem()->isSelected() ? List1->currentRow() : -1;
    if (row < 0 || row >= static_cast<int>(m_model.fixedlist.size())) {
        state.listidx = -1;  // no entry: the field keeps its text, bound to nothing
        return;
    }
    state.listidx = row;
    state.boundList = m_model.fixedlist;
    state.settingText = true;
    Text2->setText(QString::fromStdString(m_model.fixedlist[static_cast<std::size_t>(row)]));
    state.settingText = false;
}

void Form1::listTextChanged(const QString& text)
{
    ConstraintsState& state = stateOf(m_constraints);
    if (state.settingText || state.listidx < 0)
        return;
    if (m_model.fixedlist != state.boundList) {
        state.listidx = -1;  // the program changed the list since the binding
        return;
    }
    const auto index = static_cast<std::size_t>(state.listidx);
    m_model.fixedlist[index] = text.toStdString();
    state.boundList[index] = m_model.fixedlist[index];
    if (QListWidgetItem* item = List1->item(state.listidx))
        item->setText(text);
    m_model.markChanged();
}

void Form1::listAdd()
{
    ConstraintsState& state = stateOf(m_constraints);
    state.listidx = -1;
    m_model.fixedlist.push_back(Text2->text().toStdString());
    m_model.markChanged();
    refreshFixedList();
    state.settingText = true;
    Text2->clear();
    state.settingText = false;
}

void Form1::listDelete()
{
    ConstraintsState& state = stateOf(m_constraints);
    QListWidgetItem* current = List1->currentItem();
    if (!current || !current->isSelected())
        return;
    const int row = List1->currentRow();
    if (row < 0 || row >= static_cast<int>(m_model.fixedlist.size()))
        return;
    state.listidx = -1;
    m_model.fixedlist.erase(m_model.fixedlist.begin() + row);
    m_model.markChanged();
    refreshFixedList();
    List1->setCurrentRow(-1);
    List1->clearSelection();
}

void Form1::listDone()
{
    stateOf(m_constraints).listidx = -1;
    for (QWidget* w : std::initializer_list<QWidget*>{Text2, List1, cmd_add, cmd_delete, cmd_modify, cmd_done})
        w->setVisible(false);
}

}  // namespace tw
