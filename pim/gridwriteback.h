#pragma once
// Writing a grid window's texts back into the model's parameter index map.

#include <string>
#include <vector>

namespace tw {

struct Model;

struct WriteBackReport {
    std::vector<int> outOfRangeCells;  // model cells that kept their old value
    bool changed = false;              // whether pim or initval changed
};

/// Stores the rounded decimal value of each text (decimalValue; no number reads as 0; halves go
/// to the even neighbour) as pim of the model cell that cellmap gives for it. A text
/// whose value lies outside -32768..32767 leaves that cell's pim as it was and is
/// reported. A fixed cell given a value that does not fix it loses its fixed value
/// (initval 0), so that it is not written out as fixed again. Any change marks the
/// model unsaved.
WriteBackReport writeBackGrid(Model& model, const std::vector<int>& cellmap, const std::vector<std::string>& texts);

/// The message naming the cells whose numbers could not be stored.
std::string outOfRangeMessage(const std::vector<int>& cells);

}  // namespace tw
