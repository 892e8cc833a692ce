#pragma once
// Writing a grid window's texts back into the model's parameter index map, and the
// parameter numbers that the cells outside a window hold.

#include <string>
#include <vector>

namespace tw {

struct Model;

struct WriteBackReport {
    std::vector<int> outOfRangeCells;  // model cells that kept their old value
    bool changed = false;              // whether pim or initval changed
};

/// Stores each text (read as readCellEntry reads it) into the model cell that cellmap
/// gives for it. A number is stored as pim; a fixed cell given a number that does not
/// fix it loses its fixed value (initval 0), so that it is not written out as fixed
/// again. "=" and a value fixes the cell: pim takes fixedMarker of its old value and
/// initval the value; a fixed cell whose text is still the one it showed stays as it
/// was. A number outside -32768..32767 leaves its cell as it was and is reported. Any
/// change marks the model unsaved.
WriteBackReport writeBackGrid(Model& model, const std::vector<int>& cellmap, const std::vector<std::string>& texts);

/// The message naming the cells whose numbers could not be stored.
std::string outOfRangeMessage(const std::vector<int>& cells);

/// The cells of an open grid window as they stand: the model cell of each grid cell and
/// its text.
struct GridTexts {
    const std::vector<int>* cellmap = nullptr;
    const std::vector<std::string>* texts = nullptr;
};

/// The parameter numbers (positive pim values) held by the model cells that a window
/// does not show, ascending, each once: a cell shown in one of the other open windows
/// holds what its text there would store, any other cell its pim.
std::vector<int> numbersHeldOutside(const Model& model, const std::vector<int>& windowCells,
                                    const std::vector<GridTexts>& otherWindows);

}  // namespace tw
