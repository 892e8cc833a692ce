#pragma once
// Saving a model in the constraints form: the head of the model file read last (kept
// by its reader), then one constraint line per cell 1..npar that needs one (ties to the
// earlier cell of the same parameter, fixed values, the special values 0, -1 and -2),
// then the test statement and "PROC STOP;". Works on a copy of the map: the model is not changed.

#include <ostream>
#include <string>

#include "model/model.h"
#include "model/result.h"

namespace tw {

inline constexpr const char* kConstraintsOutputName = "QUARLET.OUT";

/// Writes the model to out, copying its kept head (model.head). The head ends at the
/// first line, from the first one holding "COHORT" or "cohort" on, that holds
/// "constraint", "CONSTRAINT", "PIM" or "pim"; that line is written too, or replaced by
/// "CONSTRAINTS;" when it holds neither "constraint" nor "CONSTRAINT". Fails when no
/// line ends the head.
Status writeConstraints(const Model& model, std::ostream& out);

/// Reads the written text back and checks that it states the model that was written:
/// its dimensions, and each cell's special value, fixed value or tie to the first cell of
/// its parameter. A head the reader takes differently (one holding the test statement
/// before the constraints, say) would otherwise give a file of other constraints.
Status checkConstraintsReadBack(const Model& written, const std::string& text, const std::string& target);

/// Saves to target atomically. Refuses with "Input & Output filenames (infile) must be
/// different!" when infile and target name the same file, and a text that
/// checkConstraintsReadBack refuses. Nothing is written on failure.
Status saveConstraints(const Model& model, const std::string& target);

/// The confirmation shown after a save to target.
std::string constraintsSavedMessage(const std::string& target);

}  // namespace tw
