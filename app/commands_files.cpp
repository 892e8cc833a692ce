// The file commands of both roads and the per-period runs: each runs the session's
// command and then shows the controls it leaves in view.
#include "app/mainwindow.h"

#include <QListView>
#include <QPushButton>
#include <filesystem>

#include "model/constraintsreader.h"
#include "model/modelform.h"

namespace tw {

namespace {

// The menu command that reads a form, with its shortcut.
std::string readerOf(ModelForm form)
{
    return form == ModelForm::Pim ? "\"" + std::string(commandCaption(Command::ReadPims)) + "\" (Ctrl+O)"
                                  : "\"" + std::string(commandCaption(Command::ReadConstraints)) + "\" (Ctrl+Shift+O)";
}

// A file in the other form read by the wrong command: the PIM reader's refusal of a file
// the constraints reader reads says which command reads it; the constraints reader, which
// takes a file in PIM form without a word as one parameter per cell, warns that the PIMs
// were left out.
Outcome withFormHint(Outcome outcome, ModelForm readAs)
{
    const std::string path = outcome.failure ? outcome.failure->file : outcome.file ? outcome.file->path : "";
    if (path.empty() || outcome.cancelled)
        return outcome;
    const std::optional<ModelForm> form = shownModelFormOfFile(path);
    if (!form || *form == readAs)
        return outcome;
    const std::string held = *form == ModelForm::Pim ? "as PIMs" : "as constraints";
    if (outcome.failure && readAs == ModelForm::Pim) {
        if (readConstraintsFile(path))
            outcome.failure->message += ".\nThe file holds its model " + held + ": read it with " + readerOf(*form) + ".";
    } else if (!outcome.failure && readAs == ModelForm::Constraints) {
        const std::string name = std::filesystem::path(path).filename().string();
        outcome.messages.push_back({kProgramTitle,
                                    name + " holds its model " + held + ", which " + readerOf(readAs)
                                        + " leaves out: every cell became a parameter of its own. To keep its "
                                          "PIMs, read it with "
                                        + readerOf(*form) + ".",
                                    Severity::Warning});
    }
    return outcome;
}

}  // namespace

void Form1::getPimFile()
{
    run([this](FrontEnd& front) { return withFormHint(m_session.readPims(front), ModelForm::Pim); });
}

bool Form1::openPimFile(const QString& path)
{
    return run([this](FrontEnd& front) { return m_session.readPims(front); }, path).done();
}

void Form1::savePims()
{
    run([this](FrontEnd& front) { return m_session.savePims(front); });
}

void Form1::getConstraintsFile()
{
    if (run([this](FrontEnd& front) {
            return withFormHint(m_session.readConstraints(front), ModelForm::Constraints);
        }).done())
        listDone();  // the reader ends with the editor hidden
}

void Form1::saveConstraints()
{
    run([this](FrontEnd& front) { return m_session.saveConstraints(front); });
}

void Form1::convertConstraints()
{
    run([this](FrontEnd& front) { return m_session.convert(front); });
}

void Form1::computePoint()
{
    run([this](FrontEnd& front) { return m_session.point(front); });
}

void Form1::runEachPeriod()
{
    if (!run([this](FrontEnd& front) { return m_session.runEachPeriod(front); }).done())
        return;
    List1->setVisible(true);
    cmd_done->setVisible(true);
}

}  // namespace tw
