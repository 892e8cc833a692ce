#pragma once
// Commands of the PIM chart, each one step on the model: new parameter numbers for the
// estimated cells of one block (Constant, Time, Age, All different), a shift of a
// block's numbers, and the renumberings of the whole model. Fixed cells and special
// values never change; the design rows go with their parameters (carryDesignRows); a
// command that changes something marks the model unsaved. Each returns a ModelChange
// that undoes and redoes it exactly, for an undo stack to hold.

#include <cstdint>
#include <optional>
#include <vector>

#include "model/model.h"
#include "model/result.h"
#include "pim/pimblocks.h"

namespace tw {

enum class BlockCommand : std::uint8_t {
    Constant,      // one new parameter for every estimated cell
    Time,          // one per column (interval; session and occasion for closed capture), across age classes
    Age,           // one per age class
    AllDifferent,  // one per cell
};

/// The command's name as menus and messages show it ("All different").
const char* commandName(BlockCommand command);

/// The design matrix with its sizes, as a command found or left it.
struct DesignState {
    DesignMatrix dm;
    double dmrows = 0;
    int dmcols = 0;
    bool operator==(const DesignState&) const = default;
};

/// What one command changed: the cells' numbers before and after, and the design
/// matrix before and after when it changed.
struct ModelChange {
    std::vector<int> cells;
    std::vector<std::int16_t> before;
    std::vector<std::int16_t> after;
    std::optional<DesignState> designBefore;
    std::optional<DesignState> designAfter;
    int unsavedBefore = 0;

    /// Whether the command changed nothing (the model was not touched).
    bool empty() const { return cells.empty(); }
};

/// Gives the block's estimated cells new numbers above the largest number in use.
/// Fails, changing nothing, when they would pass npar.
Result<ModelChange> runBlockCommand(Model& model, const PimBlock& block, BlockCommand command);

/// Adds d to the number of every estimated cell of the block; numbers that land on
/// another block's numbers share them. Fails, changing nothing, when a number would
/// leave 1..npar.
Result<ModelChange> shiftBlockNumbers(Model& model, const PimBlock& block, int d);

/// Numbers the parameters 1, 2, ... in order of first appearance, block by block in
/// file order (cells outside the blocks, if any, last).
ModelChange renumberWithoutGaps(Model& model);

/// As renumberWithoutGaps, but each block gets numbers of its own: a parameter held by
/// several blocks becomes one parameter per block, each with the parameter's design row.
ModelChange renumberWithoutSharing(Model& model);

/// Puts the model back as it was before the change (cells, design matrix, unsaved). Only
/// for the model as the change left it: whatever else changes the model (a grid window,
/// a save, which renumbers) ends the changes an undo history may hold.
void undoChange(Model& model, const ModelChange& change);

/// Applies the change again to the model as undoChange left it (or as the command left
/// it: applying it twice changes nothing more), and marks the model unsaved.
void redoChange(Model& model, const ModelChange& change);

}  // namespace tw
