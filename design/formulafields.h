#pragma once
// What the formulas window makes of its four fields, one formula per kind: each field
// read on its own (an empty field: the kind keeps its parameters), then the formulas
// applied together to the model. A kind whose formula is refused is kept as it is in the
// model shown, so that the other kinds still show what their formulas make.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "design/designdata.h"
#include "design/formula.h"
#include "design/formulaapply.h"
#include "model/model.h"

namespace tw {

struct FormulaFields {
    std::array<std::optional<FormulaError>, kKindCount> errors;  // by kind: why its formula is refused
    std::optional<FormulaError> error;   // why the formulas together are refused (no kind to blame)
    FormulaSet formulas;                 // the formulas read, refused ones left out
    std::optional<FormulaModel> applied; // the model they make; nullopt when error is set
    std::vector<CellDesign> design;      // design data of cells 1..npar of the model (index 0 unused)

    /// Whether every field was read and the formulas applied: what Apply may take.
    bool complete() const;
};

/// Reads the fields (by kind: "~ time + stratum", blank for none) and applies them to model.
FormulaFields readFormulaFields(const Model& model, const std::array<std::string, kKindCount>& texts);

/// The status line of a kind when its formula is not refused: "14 parameters, 6 columns",
/// "no formula: 14 parameters kept, 14 columns" or "no movement cells in this model".
std::string fieldStatus(const FormulaFields& fields, CellKind kind);

}  // namespace tw
