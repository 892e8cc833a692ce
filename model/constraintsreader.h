#pragma once
// Reading a model file in the constraints form: the dimensions of its model statement,
// the cell labels of its LABELS section and the equalities and fixings of its
// CONSTRAINTS section, both read up to the test statement or "PROC STOP" (before or
// after the estimation statement). The model is built aside from the start-up model with an empty
// fixed-parameter list; the caller swaps it in on success and then numbers the
// parameters.
//
// The constraint-line rules here are shared with the conversion of constraints to PIMs.

#include <istream>
#include <string>
#include <string_view>

#include "model/lines.h"
#include "model/model.h"
#include "model/result.h"

namespace tw {

/// One line of a CONSTRAINTS section: cell i tied to cell j (an equality), or held at
/// a value (a fixing).
struct ConstraintLine {
    int cell = 0;      // i
    int other = 0;     // j of an equality; 0 for a fixing
    double value = 0;  // v of a fixing
    bool equality() const { return other > 0; }
};

/// Whether a line is a constraint line (or, in a LABELS section, a label line): its
/// first characters other than blanks and tabs are "S(" or "s(". Returns the 0-based
/// index just after that "S(", or npos for any other line.
std::size_t constraintCellStart(std::string_view line);

/// Parses a constraint line (one for which constraintCellStart is not npos). The cell
/// numbers i and j must be whole numbers in 1..npar; the equality position and the
/// fixing value are taken from the whole line. Errors name the reader's file and line.
Result<ConstraintLine> parseConstraintLine(std::string_view line, int npar, const LineReader& reader);

/// Cell number of a label line (1..npar, whole) or an error naming the line.
Result<int> parseLabelCell(std::string_view line, int npar, const LineReader& reader);

/// The label of a label line: the text after the first "=" (the whole line when there
/// is none) up to, not including, the last two characters of the line; empty when
/// that range is empty.
std::string labelOf(std::string_view line);

/// Applies a constraint line to the map. An equality copies cell j's map value, or
/// its fixing when j is fixed. A fixing at exactly 0, -1 or -2 sets that special
/// value; any other value fixes the cell (initval = v, pim = fixedMarker of the old
/// map value). Returns true for a fixing at a value (a line the fixed list records).
bool applyConstraint(Model& model, const ConstraintLine& line);

/// The outcome of a read: the new model and the Label1 caption of its dimensions.
struct ConstraintsRead {
    Model model;
    std::string caption;
};

/// Reads a constraints-form model file from a stream; name is the file name used for
/// infile and in error messages.
Result<ConstraintsRead> readConstraints(std::istream& in, const std::string& name);

/// Opens and reads a constraints-form model file.
Result<ConstraintsRead> readConstraintsFile(const std::string& path);

}  // namespace tw
