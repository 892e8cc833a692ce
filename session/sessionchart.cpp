// The commands of the PIM chart: block commands, shifts and renumberings as steps of the
// history, their undo and redo, the chart saved as a picture, and the blocks described.
#include "session/session.h"
#include "session/outcomes.h"

#include <filesystem>
#include <system_error>

#include "model/atomicfile.h"
#include "pim/chartdata.h"

namespace tw {

namespace {

constexpr const char* kNoBlocks = "The model has no PIM blocks: read a model file first.";
// An open window wrote its edits into the model just before an undo or redo.
constexpr const char* kHistoryEnded =
    "The edits of the open windows changed the model, so the chart's earlier steps can no longer be undone or redone.";

std::string signedNumber(int d) { return (d > 0 ? "+" : "") + std::to_string(d); }

// The block of that index. The write-back before a command changes numbers, never the
// dimensions, so the block stays the model's.
Result<PimBlock> blockOf(const Model& model, int block)
{
    std::vector<PimBlock> blocks = pimBlocks(model);
    if (block < 0 || block >= static_cast<int>(blocks.size()))
        return makeError("The model has no PIM block " + std::to_string(block + 1) + ".");
    return std::move(blocks[static_cast<std::size_t>(block)]);
}

}  // namespace

Outcome Session::changeModel(FrontEnd& front, const std::string& description,
                             const std::function<Result<ModelChange>(Model&)>& change)
{
    if (Outcome stopped; !takeEdits(front, stopped))
        return stopped;
    // A step is taken back on the model as the history left it; a window that wrote back
    // just now (or anything else since) ends the history first.
    m_history.forgetIfChanged(m_model);
    Result<ModelChange> made = change(m_model);
    if (!made)
        return failed(made.error());
    if (!made->empty())
        m_history.push(std::move(*made), description, m_model);
    return {};
}

Outcome Session::changeBlock(FrontEnd& front, int block, BlockCommand command)
{
    const auto found = blockOf(m_model, block);
    if (!found)
        return failed(found.error());
    return changeModel(front, std::string(commandName(command)) + ": " + blockLabel(*found),
                       [&found, command](Model& model) { return runBlockCommand(model, *found, command); });
}

Outcome Session::shiftBlock(FrontEnd& front, int block, int d)
{
    const auto found = blockOf(m_model, block);
    if (!found)
        return failed(found.error());
    return changeModel(front, "Shift by " + signedNumber(d) + ": " + blockLabel(*found),
                       [&found, d](Model& model) { return shiftBlockNumbers(model, *found, d); });
}

Outcome Session::renumberWithoutGaps(FrontEnd& front)
{
    return changeModel(front, "Renumber without gaps",
                       [](Model& model) -> Result<ModelChange> { return tw::renumberWithoutGaps(model); });
}

Outcome Session::renumberWithoutSharing(FrontEnd& front)
{
    return changeModel(front, "Renumber without sharing",
                       [](Model& model) -> Result<ModelChange> { return tw::renumberWithoutSharing(model); });
}

Outcome Session::undo(FrontEnd& front)
{
    const bool hadStep = !undoText().empty();
    if (!front.writeBackEdits())
        return cancelled();
    Outcome outcome;
    if (!m_history.undo(m_model) && hadStep)
        outcome.messages.push_back({kProgramTitle, kHistoryEnded});
    return outcome;
}

Outcome Session::redo(FrontEnd& front)
{
    const bool hadStep = !redoText().empty();
    if (!front.writeBackEdits())
        return cancelled();
    Outcome outcome;
    if (!m_history.redo(m_model) && hadStep)
        outcome.messages.push_back({kProgramTitle, kHistoryEnded});
    return outcome;
}

Outcome Session::saveChart(FrontEnd& front)
{
    const auto answer = front.saveFile({"Save chart as", "chart.png", modelFolder(), FileKind::Chart});
    if (!answer)
        return cancelled();
    const auto name = chosenFile(answer);
    if (!name)
        return failed(makeError(kNoFileSelected));
    const Result<ChartFormat> format = chartFormatOf(*name);
    if (!format)
        return failed(format.error());
    if (sameFile(*name, m_model.infile))
        return failed(makeError("Input & Output filenames (" + m_model.infile + ") must be different!"));
    std::error_code error;
    if (std::filesystem::exists(*name, error) && !front.confirm(replaceFileQuestion(*name)))
        return cancelled();
    const ChartData chart = buildChartData(m_model);
    if (chart.rows.empty())
        return failed(makeError(kNoBlocks));
    const Result<std::string> drawn = front.drawChart(chart, *format);
    if (!drawn)
        return failed(drawn.error());
    const Status saved = saveAtomically(*name, [&drawn](std::ostream& out) -> Status {
        out.write(drawn->data(), static_cast<std::streamsize>(drawn->size()));
        return {};
    });
    if (!saved)
        return failed(saved.error());
    return {};
}

Outcome Session::describeBlocks() const
{
    if (pimBlocks(m_model).empty())
        return failed(makeError(kNoBlocks));
    Outcome outcome;
    outcome.output = tw::describeBlocks(m_model);
    return outcome;
}

}  // namespace tw
