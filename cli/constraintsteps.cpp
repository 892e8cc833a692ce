#include "cli/constraintsteps.h"

#include "model/constraintsreader.h"
#include "model/constraintstopims.h"
#include "model/numbering.h"
#include "model/constraintswriter.h"

namespace tw::cli {

namespace {

// A name as the file dialogs would give it: empty or the bare pattern means no choice.
bool noFileSelected(const std::string& file) { return file.empty() || file == "*.*"; }

Error notAvailable(std::string_view caption)
{
    return makeError("\"" + std::string(caption) + "\" is not available at this point");
}

// Numbers the parameters of a model held aside and writes the listing; the caller
// keeps the model only when the listing was written.
Status numberAside(Model& model, const StepMessage& message)
{
    const NumberingResult numbered = computePointNumbering(model);
    TW_TRY(saveCheckListing(numbered.listing, kCheckListingName, {model.infile}));
    if (numbered.allFixedEvents > 0 && message)
        message(kAllFixedMessage);
    return {};
}

}  // namespace

Status readConstraintsStep(Model& model, ConstraintsMenus menus, const std::string& file, const StepMessage& message)
{
    if (noFileSelected(file))
        return makeError("No file selected");
    auto read = readConstraintsFile(file);
    if (!read)
        return read.error();
    Model& loaded = read->model;
    loaded.apppath = model.apppath;
    TW_TRY(numberAside(loaded, message));
    model = std::move(loaded);
    menus.save = true;
    menus.savePims = false;
    menus.convert = true;
    return {};
}

Status convertStep(Model& model, ConstraintsMenus menus, const std::string& file)
{
    if (!menus.convert)
        return notAvailable("Convert constraints to PIMs");
    if (noFileSelected(file))
        return makeError("No file selected");
    TW_TRY(convertConstraintsFile(model, file));
    menus.savePims = true;
    return {};
}

Status pointStep(Model& model, const StepMessage& message)
{
    Model numbered = model;
    TW_TRY(numberAside(numbered, message));
    numbered.markChanged();
    model = std::move(numbered);
    return {};
}

Status writeConstraintsStep(const Model& model, ConstraintsMenus menus, const std::string& file,
                            const StepMessage& message)
{
    if (!menus.save)
        return notAvailable("Save model w/ constraints");
    if (noFileSelected(file))
        return makeError("No file selected");
    TW_TRY(saveConstraints(model, file));
    if (message)
        message(constraintsSavedMessage(file));
    return {};
}

}  // namespace tw::cli
