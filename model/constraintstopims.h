#pragma once
// Converting constraints to PIMs: applies the CONSTRAINTS section of a constraints-form
// file (the one after its estimation statement, the line holding "NAME=") to the map of
// the loaded model, counts the parameters and gives the model an identity design
// matrix. A file whose dimensions differ from the loaded model's, that names a cell
// outside 1..npar, or that lacks the estimation statement, the CONSTRAINTS line after it
// or the INIT/PROC line closing the section is refused before anything changes.

#include <istream>
#include <string>

#include "model/model.h"
#include "model/result.h"

namespace tw {

/// Applies the constraints file read from in (name is used in error messages) to the
/// model. On success: pim, initval, nconcells, nparms, ncols, dm (identity over
/// 1..nparms) change, dmrows = dmcols = 0 (the PIM writer then sizes the design to the
/// parameters) and the model is marked changed. On failure the model is unchanged.
Status convertConstraints(Model& model, std::istream& in, const std::string& name);

/// Opens the file and converts as above.
Status convertConstraintsFile(Model& model, const std::string& path);

}  // namespace tw
