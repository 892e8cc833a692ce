#include "session/session.h"

#include <filesystem>
#include <system_error>

#include "model/atomicfile.h"
#include "model/constraintsreader.h"
#include "model/constraintstopims.h"
#include "model/constraintswriter.h"
#include "model/fileerrors.h"
#include "model/numbering.h"
#include "model/pimreader.h"
#include "model/pimwriter.h"
#include "session/fixings.h"
#include "session/outcomes.h"

namespace tw {

namespace {

constexpr const char* kPleaseWait = "Please wait...";

Outcome notAvailable(Command command)
{
    return failed(makeError("\"" + std::string(commandCaption(command)) + "\" is not available at this point"));
}

// The end of a command whose file dialog gave no name: quiet when it was cancelled.
Outcome unchosen(const FileChoice& choice)
{
    return choice.none() == FileChoice::None::Cancelled ? cancelled() : failed(makeError(kNoFileSelected));
}

Outcome saveFailed(Error error)
{
    Outcome outcome = failed(std::move(error));
    outcome.failureSeverity = Severity::Critical;
    return outcome;
}

// Numbers the parameters of a model held aside and writes the listing; the caller keeps
// the model only when the listing was written.
Status numberAside(Model& model, FrontEnd& front, Outcome& outcome)
{
    front.progress(0, kPleaseWait);
    const NumberingResult numbered =
        computePointNumbering(model, [&front](int percent) { front.progress(percent, kPleaseWait); });
    TW_TRY(saveCheckListing(numbered.listing, kCheckListingName, {model.infile}));
    if (numbered.allFixedEvents > 0)
        outcome.messages.push_back({kProgramTitle, kAllFixedMessage, Severity::Warning});
    return {};
}

}  // namespace

std::string replaceFileQuestion(const std::string& target)
{
    return std::filesystem::path(target).filename().string() + " already exists.\nDo you want to replace it?";
}

FileChoice chosenFile(const std::optional<std::string>& answer)
{
    if (!answer)
        return FileChoice::None::Cancelled;
    if (answer->empty() || *answer == "*.*")
        return FileChoice::None::NoFileSelected;
    return *answer;
}

std::string parameterSummary(const Model& model)
{
    long fixed = 0;
    for (std::size_t cell = 1; cell < model.pim.size(); ++cell)
        fixed += isFixedMarker(model.pim[cell]) ? 1 : 0;
    std::string text = std::to_string(model.nparms) + (model.nparms == 1 ? " parameter" : " parameters");
    if (fixed > 0)
        text += ", " + std::to_string(fixed) + " fixed";
    return text;
}

const char* commandCaption(Command command)
{
    switch (command) {
    case Command::ReadPims:
        return "Get input file w/ PIM's";
    case Command::ReadConstraints:
        return "Get input file w/ constraints";
    case Command::Convert:
        return "Convert constraints to PIMs";
    case Command::SaveConstraints:
        return "Save model w/ constraints";
    case Command::SavePims:
        return "Save model w/ PIM's";
    case Command::Point:
        return "Compute POINT(i)";
    case Command::RunEachPeriod:
        return "Run each Primary period through KESTON";
    }
    return "";
}

Session::Session() = default;

bool Session::available(Command command) const
{
    switch (command) {
    case Command::Convert:
        return m_convert;
    case Command::SaveConstraints:
        return m_saveConstraints;
    case Command::SavePims:
        return m_savePims;
    case Command::ReadPims:
    case Command::ReadConstraints:
    case Command::Point:
    case Command::RunEachPeriod:
        break;
    }
    return true;
}

void Session::setFixedList(FixedList list)
{
    m_fixedList = std::move(list);
    m_fixedListPending = m_fixedList.entries() != m_model.fixedlist;
}

Outcome Session::applyFixedList()
{
    if (!m_fixedListPending)
        return {};
    if (const Status applied = applyListEdits(m_model, m_fixedList.entries()); !applied)
        return failed(applied.error());
    m_fixedListPending = false;
    return {};
}

Session::GridWriteBack Session::writeBackGrid(const std::vector<int>& cellmap, const std::vector<std::string>& texts)
{
    const std::vector<FixingState> before = fixingStates(m_model, cellmap);
    GridWriteBack done{tw::writeBackGrid(m_model, cellmap, texts)};
    if (!done.report.changed)
        return done;
    const std::vector<int> changed = changedFixings(m_model, cellmap, before);
    if (changed.empty())
        return done;
    std::vector<std::string> editor = m_fixedList.entries();
    followFixings(editor, m_model, changed);
    followFixings(m_model.fixedlist, m_model, changed);
    done.listFollowed = editor != m_fixedList.entries();
    m_fixedList.replaceEntries(std::move(editor));
    m_fixedListPending = m_fixedList.entries() != m_model.fixedlist;
    return done;
}

namespace {

// The current directory; empty (the dialog's own choice) when it cannot be had.
std::string currentFolder()
{
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    return error ? std::string() : current.string();
}

}  // namespace

std::string Session::openFolder() const
{
    return m_openFolder.empty() ? currentFolder() : m_openFolder;
}

void Session::noteOpened(const std::string& file)
{
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(file, error);
    if (!error)
        m_openFolder = full.parent_path().string();
}

std::string Session::modelFolder() const
{
    std::error_code error;
    if (!m_model.infile.empty())
        if (const std::filesystem::path full = std::filesystem::absolute(m_model.infile, error); !error)
            return full.parent_path().string();
    return currentFolder();
}

bool Session::holdsUnsavedWork(const FrontEnd& front) const
{
    return m_model.unsaved || fixedListPending() || front.holdsEdits();
}

FileChoice Session::askOpen(FrontEnd& front, std::string title, std::string proposed)
{
    FileChoice name = chosenFile(front.openFile({std::move(title), std::move(proposed), openFolder(), FileKind::Model}));
    if (name)
        noteOpened(*name);
    return name;
}

std::optional<std::string> Session::askSave(FrontEnd& front, std::string proposed, Outcome& outcome, FileKind kind)
{
    const auto answer = front.saveFile({"save as", std::move(proposed), modelFolder(), kind});
    if (!answer) {
        outcome.cancelled = true;
        return std::nullopt;
    }
    const FileChoice name = chosenFile(answer);
    if (!name) {
        outcome.failure = makeError(kNoFileSelected);
        return std::nullopt;
    }
    // The model's own file is refused before the question whether to replace it.
    if (sameFile(m_model.infile, *name)) {
        outcome.failure = makeError("Input & Output filenames (" + m_model.infile + ") must be different!");
        return std::nullopt;
    }
    std::error_code error;
    if (std::filesystem::exists(*name, error) && !front.confirm(replaceFileQuestion(*name))) {
        outcome.cancelled = true;
        return std::nullopt;
    }
    return *name;
}

bool Session::takeEdits(FrontEnd& front, Outcome& outcome)
{
    if (const Outcome applied = applyFixedList(); applied.failure) {
        outcome.failure = applied.failure;
        return false;
    }
    if (!front.writeBackEdits()) {
        outcome.cancelled = true;
        return false;
    }
    return true;
}

void Session::keep(Model model)
{
    m_model = std::move(model);
    m_history.clear();
    if (m_model.fixedlist != m_fixedList.entries())
        m_fixedList.replaceEntries(m_model.fixedlist);
    m_fixedListPending = false;
}

Outcome Session::readPims(FrontEnd& front)
{
    if (holdsUnsavedWork(front) && !front.confirm(kReplaceQuestion))
        return cancelled();
    const auto name = askOpen(front, "PIM input file", "*.*");
    if (!name)
        return unchosen(name);
    PimReadNotes notes;
    Result<Model> read = readPimFile(*name, &notes, [&front](int percent) { front.progress(percent, {}); });
    if (!read)
        return failed(read.error());
    read->fixedlist = fixingLines(*read);
    front.discardEdits();
    keep(std::move(*read));
    m_saveConstraints = true;
    m_savePims = true;
    m_modelFile = *name;
    Outcome outcome;
    outcome.caption = notes.caption;
    outcome.status = "Read: " + fullPath(*name) + ", " + parameterSummary(m_model);
    outcome.file = ModelFile{*name, ModelForm::Pim};
    return outcome;
}

Outcome Session::readConstraints(FrontEnd& front)
{
    if (holdsUnsavedWork(front) && !front.confirm(kReplaceQuestion))
        return cancelled();
    const auto name = askOpen(front, "CORVANE input file", "*.*");
    if (!name)
        return unchosen(name);
    auto read = readConstraintsFile(*name);
    if (!read)
        return failed(read.error());
    Outcome outcome;
    if (const Status numbered = numberAside(read->model, front, outcome); !numbered)
        return failed(numbered.error());
    read->model.markChanged();
    front.discardEdits();
    keep(std::move(read->model));
    m_fixedList.done();
    m_saveConstraints = true;
    m_savePims = false;
    m_convert = true;
    m_modelFile = *name;
    outcome.caption = read->caption;
    outcome.status = "Read: " + fullPath(*name) + "; numbered: " + parameterSummary(m_model);
    outcome.file = ModelFile{*name, ModelForm::Constraints};
    return outcome;
}

Outcome Session::convert(FrontEnd& front)
{
    if (!available(Command::Convert))
        return notAvailable(Command::Convert);
    const auto name = askOpen(front, "CONSTRAINTs file", m_model.infile);
    if (!name)
        return unchosen(name);
    if (Outcome stopped; !takeEdits(front, stopped))
        return stopped;
    Model converted = m_model;
    if (const Status done = convertConstraintsFile(converted, *name); !done)
        return failed(done.error());
    keep(std::move(converted));
    m_savePims = true;
    Outcome outcome;
    outcome.status = "Converted: " + parameterSummary(m_model);
    return outcome;
}

Outcome Session::point(FrontEnd& front)
{
    if (Outcome stopped; !takeEdits(front, stopped))
        return stopped;
    Model numbered = m_model;
    Outcome outcome;
    if (const Status done = numberAside(numbered, front, outcome); !done)
        return failed(done.error());
    numbered.markChanged();
    keep(std::move(numbered));
    outcome.status = "Numbered: " + parameterSummary(m_model);
    return outcome;
}

Outcome Session::savePims(FrontEnd& front)
{
    if (!available(Command::SavePims))
        return notAvailable(Command::SavePims);
    Outcome outcome;
    const auto name = askSave(front, "quarlet.mss", outcome);
    if (!name || !takeEdits(front, outcome))
        return outcome;
    // The writer saves from a copy and keeps the renumbering only when the file was written.
    const Status saved = savePimFile(m_model, *name, [&front](int percent) { front.progress(percent, {}); });
    if (!saved)
        return saveFailed(saved.error());
    m_history.clear();  // the save renumbered the parameters
    m_modelFile = *name;
    outcome.status = "Saved: " + fullPath(*name) + " (PIM form), " + parameterSummary(m_model);
    outcome.file = ModelFile{*name, ModelForm::Pim};
    return outcome;
}

Outcome Session::saveConstraints(FrontEnd& front)
{
    if (!available(Command::SaveConstraints))
        return notAvailable(Command::SaveConstraints);
    Outcome outcome;
    const auto target = askSave(front, kConstraintsOutputName, outcome);
    if (!target || !takeEdits(front, outcome))
        return outcome;
    if (const Status saved = tw::saveConstraints(m_model, *target); !saved)
        return saveFailed(saved.error());
    m_model.unsaved = false;
    m_history.clear();
    m_modelFile = *target;
    outcome.messages.push_back({kProgramTitle, constraintsSavedMessage(*target)});
    outcome.status = "Saved: " + fullPath(*target) + " (constraints form)";
    outcome.file = ModelFile{*target, ModelForm::Constraints};
    return outcome;
}

}  // namespace tw
