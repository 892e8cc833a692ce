#pragma once
// The steps of tallowick2-model: each option of the command line runs one command of
// the main window on one model, with the main window's menu enabling rules. The table
// of steps is the one place a new step is added (an option, whether it takes a file,
// and its handler).

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "model/result.h"

namespace tw::cli {

/// The model and the state of the main window's menu items that steps depend on.
struct CliState {
    Model model = startupModel();
    bool menuSave = false;       // "Save model w/ constraints"
    bool menuSavePims = false;   // "Save model w/ PIM's"
    bool menuConvert = false;    // "Convert constraints to PIMs"
    std::vector<std::string> messages;  // shown by a step besides a failure; printed one line each
};

/// One kind of step. The handler returns an error for a failed step; it must leave the
/// state as it was and write no file then.
struct StepKind {
    std::string_view option;   // "--read-pims"
    std::string_view operand;  // "FILE", or empty when the option takes none
    std::string_view summary;  // one line for the usage text
    bool mustBeLast = false;
    std::function<Status(CliState&, const std::string& operand)> run;
};

/// Every step the command line knows, in the order the usage text lists them.
const std::vector<StepKind>& stepKinds();

struct Step {
    const StepKind* kind = nullptr;
    std::string operand;
};

/// The steps of a command line (arguments without the program name); an error is a
/// usage error. help is set when --help was given, version when --version stands where
/// a step may (no steps are run then).
struct CommandLine {
    std::vector<Step> steps;
    bool help = false;
    bool version = false;
};
Result<CommandLine> parseCommandLine(const std::vector<std::string>& arguments);

/// The usage text, ending in a line feed.
std::string usageText();

/// Runs a command line: 0 when every step was done, 1 when a step failed (later steps
/// are not run), 2 for a usage error. Messages go to err, one line each; --help prints
/// the usage to out, --version the version.
int runCommandLine(const std::vector<std::string>& arguments, CliState& state, std::ostream& out, std::ostream& err);

// Steps of the PIM road.
Status readPimsStep(CliState& state, const std::string& file);
Status writePimsStep(CliState& state, const std::string& file);

}  // namespace tw::cli
