#include "session/session.h"

#include "model/constraintsreader.h"
#include "model/constraintstopims.h"
#include "model/constraintswriter.h"
#include "model/fileerrors.h"
#include "model/numbering.h"
#include "model/pimreader.h"
#include "model/pimwriter.h"

namespace tw {

namespace {

constexpr const char* kPleaseWait = "Please wait...";

Outcome failed(Error error)
{
    Outcome outcome;
    outcome.failure = std::move(error);
    return outcome;
}

Outcome cancelled()
{
    Outcome outcome;
    outcome.cancelled = true;
    return outcome;
}

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
    if (m_fixedList.entries() == m_model.fixedlist)
        return;
    m_model.fixedlist = m_fixedList.entries();
    m_model.markChanged();
}

bool Session::holdsUnsavedWork(const FrontEnd& front) const
{
    return m_model.unsaved || front.holdsEdits();
}

void Session::keep(Model model)
{
    m_model = std::move(model);
    if (m_model.fixedlist != m_fixedList.entries())
        m_fixedList.replaceEntries(m_model.fixedlist);
}

Outcome Session::readPims(FrontEnd& front)
{
    if (holdsUnsavedWork(front) && !front.confirm(kReplaceQuestion))
        return cancelled();
    const auto name = chosenFile(front.openFile({"PIM input file", "*.*", {}}));
    if (!name)
        return unchosen(name);
    PimReadNotes notes;
    Result<Model> read = readPimFile(*name, &notes, [&front](int percent) { front.progress(percent, {}); });
    if (!read)
        return failed(read.error());
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
    const auto name = chosenFile(front.openFile({"CORVANE input file", "*.*", {}}));
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
    const auto name = chosenFile(front.openFile({"CONSTRAINTs file", m_model.infile, {}}));
    if (!name)
        return unchosen(name);
    if (!front.writeBackEdits())
        return cancelled();
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
    if (!front.writeBackEdits())
        return cancelled();
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
    const auto name = chosenFile(front.saveFile({"save as", "quarlet.mss", {}}));
    if (!name)
        return unchosen(name);
    if (!front.writeBackEdits())
        return cancelled();
    // The writer saves from a copy and keeps the renumbering only when the file was written.
    const Status saved = savePimFile(m_model, *name, [&front](int percent) { front.progress(percent, {}); });
    if (!saved)
        return saveFailed(saved.error());
    m_modelFile = *name;
    Outcome outcome;
    outcome.status = "Saved: " + fullPath(*name) + " (PIM form), " + parameterSummary(m_model);
    outcome.file = ModelFile{*name, ModelForm::Pim};
    return outcome;
}

Outcome Session::saveConstraints(FrontEnd& front, const std::string& target)
{
    if (!available(Command::SaveConstraints))
        return notAvailable(Command::SaveConstraints);
    if (const FileChoice name = chosenFile(target); !name)
        return unchosen(name);
    if (!front.writeBackEdits())
        return cancelled();
    if (const Status saved = tw::saveConstraints(m_model, target); !saved)
        return saveFailed(saved.error());
    m_model.unsaved = false;
    m_modelFile = target;
    Outcome outcome;
    outcome.messages.push_back({kProgramTitle, constraintsSavedMessage(target)});
    outcome.status = "Saved: " + fullPath(target) + " (constraints form)";
    outcome.file = ModelFile{target, ModelForm::Constraints};
    return outcome;
}

}  // namespace tw
