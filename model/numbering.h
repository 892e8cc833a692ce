#pragma once
// The parameter numbering POINT(i): every estimated cell gets the number of its
// parameter, numbers run without gaps, and fixed cells are marked negative and sent
// behind the estimated parameters. The model's pim (for cells with a positive
// result) and nparms change, and the design rows go with their parameters
// (carryDesignRows); its labels stay per cell: the exchanges and moves of
// labels act on a copy that only the check listing "quarlet.chk" shows.
//
// Cost grows linearly with npar and the fixed list: ties are found through a table
// from parameter to first cell, and renumberings through per-number cell lists.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "model/result.h"

namespace tw {

inline constexpr const char* kCheckListingName = "quarlet.chk";
inline constexpr const char* kAllFixedMessage = "All params are fixed. Nothing to estimate";

struct NumberingResult {
    std::vector<int> point;             // POINT over 0..npar (index 0 unused)
    std::string listing;                // the text of "quarlet.chk": one line per cell, each ended by CR LF
    int allFixedEvents = 0;             // fixed cells that found no estimated cell to trade with
};

/// Progress in percent (0..99) while the numbering runs.
using NumberingProgress = std::function<void(int percent)>;

/// Numbers the parameters of the model in place. Entries of the fixed list whose
/// number (decimalValue from the third character) is not a whole cell number in 1..npar are
/// skipped. When fewer distinct parameters remain than counted, the gap closing ends
/// at the first number no cell holds, and nparms becomes the count found.
NumberingResult computePointNumbering(Model& model, const NumberingProgress& progress = {});

/// The cell a fixed-list entry names (decimalValue from its third character); 0 when the
/// entry names no whole cell number in 1..npar.
int listedCell(const std::string& entry, int npar);

/// Appends one line of the listing, ended by CR LF: the cell right-aligned in five
/// characters, the signed texts of POINT and pim right-aligned in five, each field
/// followed by a blank, then the label when POINT is positive. A wider value is
/// written in full (the field grows).
void appendCheckListingLine(std::string& listing, int cell, int point, int pim, std::string_view label);

/// Writes the listing to a file (replaced atomically); refuses a path that is one of the
/// files the command reads (inputs: the model file read among them).
Status saveCheckListing(const std::string& listing, const std::string& path, const std::vector<std::string>& inputs);

}  // namespace tw
