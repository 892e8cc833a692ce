#pragma once
// The model's fixings as lines of the fixed-parameter list: the lines that state the
// fixed cells of a model, the edits of the list taken into the model ("Done"), and the
// list kept in step when a grid window fixes or frees cells.
//
// A fixing line names one cell and the value it is held at, as a constraints file
// writes it: "S(0003)=.02;", optionally with a comment ("S(0003)=.02 /* phi */;").

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "model/result.h"

namespace tw {

/// A fixing line read: cell i held at value v.
struct Fixing {
    int cell = 0;
    double value = 0;
    bool operator==(const Fixing&) const = default;
};

/// Reads "S(i)=v…": blanks, "S(" or "s(", the whole number i in 1..npar, ")", "=", and
/// a number v (decimalValue of the rest of the line, as the constraints reader takes
/// it). nullopt for any other text: an equality "S(i)=S(j)", no value, a cell outside
/// 1..npar.
std::optional<Fixing> readFixingLine(std::string_view line, int npar);

/// The line of a fixed cell in the constraints file's form: "S(0003)=.02;".
std::string fixingLine(int cell, double value);

/// One line per fixed cell (pim below -2) of cells 1..npar, in cell order.
std::vector<std::string> fixingLines(const Model& model);

/// Why an entry of the list cannot be taken into the model.
std::string notAFixingMessage(const std::string& entry, int npar);

/// "Done": takes into the model the edits that turn model.fixedlist into entries. Each
/// cell named by an added or changed line is fixed at the value of the last line naming
/// it (applyConstraint: 0, -1 and -2 are the special values); each cell named only by
/// removed lines, and still held by them, is estimated again with a parameter number of
/// its own, one above the largest in use. Lines left as they were change nothing. The
/// model then keeps entries as its list and is marked changed when anything differs.
/// An added or changed entry that is not a fixing line of a cell in 1..npar is refused
/// with notAFixingMessage, and nothing changes.
Status applyListEdits(Model& model, const std::vector<std::string>& entries);

/// Whether each of the cells given was fixed, and at what: taken before a grid
/// write-back, so that changedFixings can tell which cells it fixed or freed.
struct FixingState {
    bool fixed = false;
    double value = 0;
    bool operator==(const FixingState&) const = default;
};
std::vector<FixingState> fixingStates(const Model& model, const std::vector<int>& cells);

/// The cells (ascending, each once) whose fixing differs from the states taken for the
/// same cells: fixed or freed, or fixed at another value.
std::vector<int> changedFixings(const Model& model, const std::vector<int>& cells,
                                const std::vector<FixingState>& before);

/// Brings the list in step with the model for the cells given (ascending): the lines
/// naming them are dropped and each of them that is fixed gets its fixingLine, placed in
/// cell order among the lines that name cells. Other lines stay as they are.
void followFixings(std::vector<std::string>& lines, const Model& model, const std::vector<int>& cells);

}  // namespace tw
