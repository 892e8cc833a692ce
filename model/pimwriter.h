#pragma once
// Writer of model files in the PIM form: the head of the file read last (kept by its
// reader), copied line for line up to its "PIM;" (or constraints) line, then the PIM
// blocks, the DESIGN section, the test statement and "PROC STOP;". On the way the
// parameters are renumbered 1, 2, 3, ... without gaps, keeping their order.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/result.h"

namespace tw {

/// Receives the share of the cells written so far, 0..100, each value once.
using WriteProgress = std::function<void(int percent)>;

/// Makes the positive pim values of cells 1..npar consecutive, keeping their order
/// (3, 3, 7, 9, 7 become 1, 1, 2, 3, 2); 0 and negative values stay. The design rows go
/// with their parameters (carryDesignRows). Fails, changing nothing, when a positive
/// value exceeds npar.
Status renumberParameters(Model& model);

/// Checks what the PIM form can hold: every cell of the blocks within 1..npar, no
/// positive pim value above npar, no cell fixed at a negative value.
Status checkPimWritable(const Model& model);

/// Writes the model in the PIM form to out, copying the head kept from its file
/// (model.head). Renumbers pim, carrying the design rows along, and sets nparms, dmrows
/// and dmcols (when 0 or above the number of parameters) in model; on failure model may
/// be half changed, so callers pass a copy. Does not touch unsaved.
Status writePimModel(Model& model, std::ostream& out, const WriteProgress& progress = {});

/// Reads the written text back and checks that it states the model that was written
/// (dimensions, and each cell's parameter number, special value or fixed value). A head
/// whose keywords the reader takes differently (a SECPERS list running on into the COHORT
/// line, say) would otherwise give a file that reads back as another model.
Status checkPimReadsBack(const Model& written, const std::string& text, const std::string& target);

/// "Save model w/ PIM's": refuses a target that is the same file as model.infile, then
/// writes the target atomically from a copy of the model. Only when everything was
/// written, and checkPimReadsBack accepted it, does the model take the renumbering, the
/// design rows that followed it and the design sizes, and unsaved is cleared;
/// a failure leaves the model and the target as they were.
Status savePimFile(Model& model, const std::string& target, const WriteProgress& progress = {});

}  // namespace tw
