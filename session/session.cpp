#include "session/session.h"

#include "model/constraintsreader.h"
#include "model/constraintstopims.h"
#include "model/constraintswriter.h"
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

// Numbers the parameters of a model held aside and writes the listing; the caller keeps
// the model only when the listing was written.
Status numberAside(Model& model, FrontEnd& front, Outcome& outcome)
{
    front.progress(0, kPleaseWait);
    const NumberingResult numbered =
        computePointNumbering(model, [&front](int percent) { front.progress(percent, kPleaseWait); });
    TW_TRY(saveCheckListing(numbered.listing, kCheckListingName, {model.infile}));
    if (numbered.allFixedEvents > 0)
        outcome.messages.push_back({kProgramTitle, kAllFixedMessage});
    return {};
}

}  // namespace

std::optional<std::string> chosenFile(const std::optional<std::string>& answer)
{
    if (!answer || answer->empty() || *answer == "*.*")
        return std::nullopt;
    return answer;
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
        return failed(makeError(kNoFileSelected));
    PimReadNotes notes;
    Result<Model> read = readPimFile(*name, &notes, [&front](int percent) { front.progress(percent, {}); });
    if (!read)
        return failed(read.error());
    front.discardEdits();
    keep(std::move(*read));
    m_saveConstraints = true;
    m_savePims = true;
    Outcome outcome;
    outcome.caption = notes.caption;
    return outcome;
}

Outcome Session::readConstraints(FrontEnd& front)
{
    if (holdsUnsavedWork(front) && !front.confirm(kReplaceQuestion))
        return cancelled();
    const auto name = chosenFile(front.openFile({"CORVANE input file", "*.*", {}}));
    if (!name)
        return failed(makeError(kNoFileSelected));
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
    outcome.caption = read->caption;
    return outcome;
}

Outcome Session::convert(FrontEnd& front)
{
    if (!available(Command::Convert))
        return notAvailable(Command::Convert);
    const auto name = chosenFile(front.openFile({"CONSTRAINTs file", m_model.infile, {}}));
    if (!name)
        return failed(makeError(kNoFileSelected));
    if (!front.writeBackEdits())
        return cancelled();
    Model converted = m_model;
    if (const Status done = convertConstraintsFile(converted, *name); !done)
        return failed(done.error());
    keep(std::move(converted));
    m_savePims = true;
    return {};
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
    return outcome;
}

Outcome Session::savePims(FrontEnd& front)
{
    if (!available(Command::SavePims))
        return notAvailable(Command::SavePims);
    const auto answer = front.saveFile({"save as", "quarlet.mss", {}});
    if (!answer)
        return cancelled();
    const auto name = chosenFile(answer);
    if (!name)
        return failed(makeError(kNoFileSelected));
    if (!front.writeBackEdits())
        return cancelled();
    // The writer saves from a copy and keeps the renumbering only when the file was written.
    const Status saved = savePimFile(m_model, *name, [&front](int percent) { front.progress(percent, {}); });
    if (!saved)
        return failed(saved.error());
    return {};
}

Outcome Session::saveConstraints(FrontEnd& front, const std::string& target)
{
    if (!available(Command::SaveConstraints))
        return notAvailable(Command::SaveConstraints);
    if (!chosenFile(target))
        return failed(makeError(kNoFileSelected));
    if (!front.writeBackEdits())
        return cancelled();
    if (const Status saved = tw::saveConstraints(m_model, target); !saved)
        return failed(saved.error());
    m_model.unsaved = false;
    Outcome outcome;
    outcome.messages.push_back({kProgramTitle, constraintsSavedMessage(target)});
    return outcome;
}

}  // namespace tw
