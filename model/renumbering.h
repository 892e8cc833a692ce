#pragma once
// The design matrix through a renumbering of the parameters. A design row belongs to a
// parameter, not to a number: when the numbers change, each row goes with its parameter,
// rows that no parameter keeps go, and the columns left without an entry go too.
// Every renumbering of the model (the PIM writer's gap closing, POINT(i), the block
// commands) passes through carryDesignRows, so that a saved file never pairs a
// parameter with another parameter's row.

#include <cstdint>
#include <vector>

#include "model/model.h"

namespace tw {

/// A renumbering of the parameters as the design matrix sees it.
struct Renumbering {
    /// For each parameter number after the renumbering (the index), the number before it
    /// whose design row it takes; 0 when it takes none. Index 0 is never used. Several new
    /// numbers may take the row of one old number (a parameter split in two keeps its row
    /// in both).
    std::vector<int> sources;
    /// Whether any cell's parameter number changed.
    bool changesNumbers = false;
};

/// The renumbering that gives parameter p the number newNumberOf[p] (0 when no cell keeps
/// p); newNumberOf[0] is not used. Each new number should come from one p.
Renumbering renumberingOfMap(const std::vector<int>& newNumberOf);

/// The renumbering given cell by cell: cells 1..n with a positive number both in before
/// and in after tie after[i] to before[i]. A new number that some cell kept keeps its own
/// row (cells that join a parameter take its row); otherwise, where cells of one new
/// number held several old ones, the first such cell decides. Other cells are not looked
/// at.
Renumbering renumberingOfCells(const std::vector<std::int16_t>& before, const std::vector<std::int16_t>& after);

/// Carries the design matrix through a renumbering. When no number changes, nothing
/// changes. Otherwise new row q holds the entries old row sources[q] held; rows that are
/// no one's source go (row 0 among them), and so do entries in column 0 or in a column
/// not in use, which no save writes. The columns left holding an entry keep their order
/// and their names, are numbered 1, 2, ... and are the columns in use; dmrows becomes the
/// largest number that has a source (the number of parameters once gaps are closed) and
/// dmcols the number of columns. When no entry is left the matrix is emptied (names too)
/// and dmrows and dmcols stay, for the PIM writer to size. Linear in the sources plus the
/// entries.
void carryDesignRows(Model& model, const Renumbering& renumbering);

}  // namespace tw
