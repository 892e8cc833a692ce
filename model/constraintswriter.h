#pragma once
// Saving a model in the constraints form: the head of the model file read last,
// then one constraint line per cell 1..npar that needs one (ties to the earlier cell
// of the same parameter, fixed values, the special values 0, -1 and -2), then the test
// statement and "PROC STOP;". Works on a copy of the map: the model is not changed.

#include <istream>
#include <ostream>
#include <string>

#include "model/model.h"
#include "model/result.h"

namespace tw {

inline constexpr const char* kConstraintsOutputName = "QUARLET.OUT";

/// Writes the model to out, copying the head from the stream of infile (headName is
/// used in error messages). The head ends at the first line holding "constraint",
/// "CONSTRAINT", "PIM" or "pim"; that line is written too, or replaced by
/// "CONSTRAINTS;" when it holds neither "constraint" nor "CONSTRAINT". Fails when no
/// line ends the head.
Status writeConstraints(const Model& model, std::istream& head, const std::string& headName, std::ostream& out);

/// Saves to target atomically. Refuses with "Input & Output filenames (infile) must be
/// different!" when infile and target name the same file; fails when infile cannot be
/// read. Nothing is written on failure.
Status saveConstraints(const Model& model, const std::string& target);

/// The confirmation shown after a save to target.
std::string constraintsSavedMessage(const std::string& target);

}  // namespace tw
