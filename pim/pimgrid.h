#pragma once
// The editable contents of one grid window: the text of every grid cell and its mark
// for the design matrix, with the commands of the window's "Constraints" menu. A plain
// value type, so that an undo step is the difference between two grids.
//
// The commands work on the texts, in increasing cell order, reading a source cell's
// text at the moment it is copied. A cell takes part in a command unless its text is
// exactly "0" (or zeros are to be changed too).

#include <string>
#include <vector>

namespace tw {

struct GridWindowLayout;

enum class Zeros { Skip, Change };

enum class GridCommand {
    ConstantOverAll,     // "Constant over time,strata,age"
    ConstantOverTime,    // "Constant over time"
    ConstantOverStrata,  // "Constant over strata"
    ConstantOverAge,     // "Constant over age"
    Varying,             // "age,strata,time varying"
};

struct PimGrid {
    int rowLength = 0;   // cells in one row
    int rowsPerAge = 0;  // rows in one age class
    std::vector<std::string> texts;
    std::vector<char> marks;  // 1: marked for the design matrix

    bool operator==(const PimGrid&) const = default;

    int cellCount() const { return static_cast<int>(texts.size()); }
    int ageClassSize() const { return rowLength * rowsPerAge; }
    bool takesPart(int cell, Zeros zeros) const { return zeros == Zeros::Change || texts[cell] != "0"; }
    bool marked(int cell) const { return marks[cell] != 0; }
    void toggleMark(int cell) { marks[cell] = marks[cell] ? 0 : 1; }
};

/// The grid of a freshly built window: its built texts, nothing marked.
PimGrid gridFromLayout(const GridWindowLayout& layout);

/// Applies one command of the "Constraints" menu to the texts; "age,strata,time
/// varying" numbers the cells from 1, as numberVarying does with no numbers held.
void applyCommand(PimGrid& grid, GridCommand command, Zeros zeros);

/// "age,strata,time varying": gives the taking-part cells, in grid order, numbers that
/// none of heldOutside (ascending) has, so that they tie no cell outside the window:
/// one above its largest and on; where those would pass 32767, the smallest numbers it
/// lacks (a model of at most 32767 cells always leaves enough).
void numberVarying(PimGrid& grid, Zeros zeros, const std::vector<int>& heldOutside);

/// "Oops": every cell gets back the text it had when its window was built, whatever
/// its text and the zeros setting. built must hold one text per cell.
void restoreBuilt(PimGrid& grid, const std::vector<std::string>& built);

/// The model cells of the marked grid cells, in grid order.
std::vector<int> markedCells(const PimGrid& grid, const std::vector<int>& cellmap);

/// One cell whose text changed.
struct TextChange {
    int cell = 0;
    std::string before;
    std::string after;
    bool operator==(const TextChange&) const = default;
};

/// The cells whose texts differ between two text lists of the same size, in cell order.
std::vector<TextChange> textChanges(const std::vector<std::string>& before, const std::vector<std::string>& after);

}  // namespace tw
