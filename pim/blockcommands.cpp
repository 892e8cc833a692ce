#include "pim/blockcommands.h"

#include <algorithm>
#include <string>

#include "model/renumbering.h"

namespace tw {

namespace {

DesignState designOf(const Model& model) { return {model.dm, model.dmrows, model.dmcols}; }

void setDesign(Model& model, const DesignState& state)
{
    model.dm = state.dm;
    model.dmrows = state.dmrows;
    model.dmcols = state.dmcols;
}

// Gives cells[i] the number after[i] as one step: the cells whose number changes, the
// design rows carried along, the model marked unsaved; the change records all of it.
ModelChange applyNumbers(Model& model, const std::vector<int>& cells, const std::vector<std::int16_t>& after)
{
    ModelChange change;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::int16_t old = model.pim[static_cast<std::size_t>(cells[i])];
        if (old == after[i])
            continue;
        change.cells.push_back(cells[i]);
        change.before.push_back(old);
        change.after.push_back(after[i]);
    }
    if (change.empty())
        return change;
    const std::vector<std::int16_t> pimBefore = model.pim;
    for (std::size_t i = 0; i < change.cells.size(); ++i)
        model.pim[static_cast<std::size_t>(change.cells[i])] = change.after[i];
    DesignState design = designOf(model);
    carryDesignRows(model, renumberingOfCells(pimBefore, model.pim));
    if (!(designOf(model) == design)) {
        change.designBefore = std::move(design);
        change.designAfter = designOf(model);
    }
    change.unsavedBefore = model.unsaved;
    model.markChanged();
    return change;
}

// Which new parameter the cell at index of the block belongs to, and how many there can be.
int keyOf(BlockCommand command, const PimBlock& block, std::size_t index)
{
    const auto columns = static_cast<std::size_t>(std::max(block.columns, 1));
    switch (command) {
    case BlockCommand::Constant:
        return 0;
    case BlockCommand::Time:
        return static_cast<int>(index % columns);
    case BlockCommand::Age:
        return static_cast<int>(index / columns);
    case BlockCommand::AllDifferent:
        return static_cast<int>(index);
    }
    return 0;
}

std::string numberError(const std::string& what, long number, int npar)
{
    return what + " would give parameter number " + std::to_string(number)
        + (number < 1 ? ", below 1." : ", above NPAR=" + std::to_string(npar) + ".");
}

// Parameter numbers stay within 1..npar, as the editors keep them (and within 16 bits).
int largestAllowed(const Model& model) { return std::min(model.npar, static_cast<int>(DesignMatrix::kMaxIndex)); }

// A block taken from another model (one read since) would address cells this one lacks.
Status checkBlock(const Model& model, const PimBlock& block)
{
    for (int cell : block.cells)
        if (cell < 1 || cell > model.npar || cell >= static_cast<int>(model.pim.size()))
            return makeError("The block " + blockLabel(block) + " does not belong to this model.");
    return {};
}

// Numbers in order of first appearance: over the blocks in file order (each its own
// numbering when ownNumbers), then over the cells no block holds.
ModelChange renumberInBlockOrder(Model& model, bool ownNumbers)
{
    const std::vector<PimBlock> blocks = pimBlocks(model);
    std::vector<int> cells;
    std::vector<int> stage;  // the block of each cell (blocks.size() for the cells outside)
    cells.reserve(model.pim.size());
    stage.reserve(model.pim.size());
    std::size_t covered = 0;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        cells.insert(cells.end(), blocks[b].cells.begin(), blocks[b].cells.end());
        stage.resize(cells.size(), static_cast<int>(b));
        covered += blocks[b].cells.size();
    }
    for (int cell = static_cast<int>(covered) + 1; cell <= model.npar && cell < static_cast<int>(model.pim.size());
         ++cell) {
        cells.push_back(cell);
        stage.push_back(static_cast<int>(blocks.size()));
    }
    std::vector<int> newNumber(DesignMatrix::kMaxIndex + 1, 0);
    std::vector<int> numberedIn(DesignMatrix::kMaxIndex + 1, -1);
    std::vector<std::int16_t> after(cells.size());
    int next = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::int16_t value = model.pim[static_cast<std::size_t>(cells[i])];
        after[i] = value;
        if (!isEstimated(value))
            continue;
        const auto p = static_cast<std::size_t>(value);
        if (numberedIn[p] < 0 || (ownNumbers && numberedIn[p] != stage[i])) {
            numberedIn[p] = stage[i];
            newNumber[p] = ++next;
        }
        after[i] = static_cast<std::int16_t>(newNumber[p]);
    }
    return applyNumbers(model, cells, after);
}

}  // namespace

const char* commandName(BlockCommand command)
{
    switch (command) {
    case BlockCommand::Constant:
        return "Constant";
    case BlockCommand::Time:
        return "Time";
    case BlockCommand::Age:
        return "Age";
    case BlockCommand::AllDifferent:
        return "All different";
    }
    return "";
}

Result<ModelChange> runBlockCommand(Model& model, const PimBlock& block, BlockCommand command)
{
    TW_TRY(checkBlock(model, block));
    std::size_t keys = 1;
    if (command == BlockCommand::Time)
        keys = static_cast<std::size_t>(std::max(block.columns, 0));
    else if (command == BlockCommand::Age)
        keys = static_cast<std::size_t>(std::max(block.ages, 0));
    else if (command == BlockCommand::AllDifferent)
        keys = block.cells.size();
    std::vector<int> numberOfKey(keys, 0);
    for (std::size_t i = 0; i < block.cells.size(); ++i)
        if (isEstimated(model.pim[static_cast<std::size_t>(block.cells[i])]))
            numberOfKey[static_cast<std::size_t>(keyOf(command, block, i))] = 1;
    int next = largestParameter(model);
    for (int& number : numberOfKey)
        if (number != 0)
            number = ++next;
    if (next > largestAllowed(model))
        return makeError(numberError('"' + std::string(commandName(command)) + '"', next, model.npar));

    std::vector<std::int16_t> after(block.cells.size());
    for (std::size_t i = 0; i < block.cells.size(); ++i) {
        const std::int16_t value = model.pim[static_cast<std::size_t>(block.cells[i])];
        after[i] = isEstimated(value) ? static_cast<std::int16_t>(numberOfKey[static_cast<std::size_t>(keyOf(command, block, i))])
                                      : value;
    }
    return applyNumbers(model, block.cells, after);
}

Result<ModelChange> shiftBlockNumbers(Model& model, const PimBlock& block, int d)
{
    TW_TRY(checkBlock(model, block));
    std::vector<std::int16_t> after(block.cells.size());
    for (std::size_t i = 0; i < block.cells.size(); ++i) {
        const std::int16_t value = model.pim[static_cast<std::size_t>(block.cells[i])];
        after[i] = value;
        if (!isEstimated(value))
            continue;
        const long shifted = static_cast<long>(value) + d;
        if (shifted < 1 || shifted > largestAllowed(model))
            return makeError(numberError("Shifting by " + std::to_string(d), shifted, model.npar));
        after[i] = static_cast<std::int16_t>(shifted);
    }
    return applyNumbers(model, block.cells, after);
}

ModelChange renumberWithoutGaps(Model& model) { return renumberInBlockOrder(model, false); }

ModelChange renumberWithoutSharing(Model& model) { return renumberInBlockOrder(model, true); }

void undoChange(Model& model, const ModelChange& change)
{
    for (std::size_t i = 0; i < change.cells.size(); ++i)
        model.pim[static_cast<std::size_t>(change.cells[i])] = change.before[i];
    if (change.designBefore)
        setDesign(model, *change.designBefore);
    if (!change.empty())
        model.unsaved = change.unsavedBefore;
}

void redoChange(Model& model, const ModelChange& change)
{
    for (std::size_t i = 0; i < change.cells.size(); ++i)
        model.pim[static_cast<std::size_t>(change.cells[i])] = change.after[i];
    if (change.designAfter)
        setDesign(model, *change.designAfter);
    if (!change.empty())
        model.markChanged();
}

}  // namespace tw
