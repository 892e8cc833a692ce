#pragma once
// The constraint-road steps of tallowick2-model: --read-constraints FILE, --convert FILE,
// --point and --write-constraints FILE (the last step; it writes FILE where the main
// window writes "QUARLET.OUT"). Each runs the main window's command on the model with
// its menu enabling rules; a failed step leaves the model and the menus as they were
// and writes no file. --read-constraints and --point write "quarlet.chk" in the
// current directory.

#include <functional>
#include <string>

#include "model/model.h"
#include "model/result.h"

namespace tw::cli {

/// The menu items the constraint road reads and sets.
struct ConstraintsMenus {
    bool& save;      // "Save model w/ constraints"
    bool& savePims;  // "Save model w/ PIM's"
    bool& convert;   // "Convert constraints to PIMs"
};

/// Receives the messages a step shows besides its failure (one line each).
using StepMessage = std::function<void(const std::string&)>;

Status readConstraintsStep(Model& model, ConstraintsMenus menus, const std::string& file, const StepMessage& message);
Status convertStep(Model& model, ConstraintsMenus menus, const std::string& file);
Status pointStep(Model& model, const StepMessage& message);
Status writeConstraintsStep(const Model& model, ConstraintsMenus menus, const std::string& file,
                            const StepMessage& message);

}  // namespace tw::cli
