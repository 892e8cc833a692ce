#pragma once
// Reader of model files in the PIM form: the dimensions from the model statement, the
// survival, movement, open-capture and closed-capture blocks after the "PIM;" line, and
// the design matrix of the DESIGN section. The model is built from the start-up model,
// so nothing of a model read before survives; the caller swaps it in on success.

#include <cstddef>
#include <functional>
#include <istream>
#include <string>

#include "model/model.h"
#include "model/result.h"

namespace tw {

/// The longest PIM block read, in bytes, its lines joined: far above what the largest
/// model needs (32767 entries), so that a block that never ends is refused.
inline constexpr std::size_t kMaxBlockLength = 16u << 20;

/// Receives the share of the PIM blocks read so far, 0..100, each value once.
using Progress = std::function<void(int percent)>;

/// What a read yields besides the model.
struct PimReadNotes {
    /// The dimensions as the main window's label shows them ("npar=32 nage=1 groups=2").
    std::string caption;
};

/// Reads a PIM-form model from in; name is the file name kept as infile and used in
/// errors. A PIM entry below 0 other than -1 and -2 is a cell fixed at minus that value.
/// Fails, naming the line, when the input ends before the COHORT line, the PIM section,
/// a block, the DESIGN statement or its closing PROC line; when a dimension or a 16-bit
/// value is out of range; when NPAR is not the number of cells the dimensions give (the
/// line of NPAR); when a block runs beyond
/// kMaxBlockLength; or when a design entry's row or column is not a whole number in
/// 0..32767.
Result<Model> readPimModel(std::istream& in, const std::string& name, PimReadNotes* notes = nullptr,
                           const Progress& progress = {});

/// Opens the file and reads it with readPimModel.
Result<Model> readPimFile(const std::string& path, PimReadNotes* notes = nullptr, const Progress& progress = {});

}  // namespace tw
