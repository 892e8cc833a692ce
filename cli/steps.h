#pragma once
// The steps of tallowick2-model: each option of the command line runs one command of
// the session on one model, as the main window runs it with the step's FILE chosen in
// its dialog. The table of steps is the one place a new step is added (an option,
// whether it takes a file, and the session's command it runs).

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/result.h"
#include "pim/chartdata.h"
#include "session/session.h"

namespace tw::cli {

/// Draws the chart of a model as a file's bytes; the program supplies it (it needs a
/// drawing library the core does not link), tests a stand-in.
using ChartDrawer = std::function<Result<std::string>(const ChartData&, ChartFormat)>;

/// One kind of step: the session's command it runs with its operand, asking front (which
/// answers every file dialog with the operand). A failed command leaves the session as it
/// was and writes no file.
struct StepKind {
    std::string_view option;   // "--read-pims"
    std::string_view operand;  // "FILE", or empty when the option takes none
    std::string_view summary;  // one line for the usage text
    bool mustBeLast = false;
    std::function<Outcome(Session&, const std::string& operand, FrontEnd& front)> run;
};

/// Every step the command line knows, in the order the usage text lists them.
const std::vector<StepKind>& stepKinds();

struct Step {
    const StepKind* kind = nullptr;
    std::string operand;
};

/// The steps of a command line (arguments without the program name); an error is a
/// usage error. help is set when --help is the first argument (elsewhere it is a step's
/// operand or an unknown option), version when --version stands where a step may (no
/// steps are run then).
struct CommandLine {
    std::vector<Step> steps;
    bool help = false;
    bool version = false;
};
Result<CommandLine> parseCommandLine(const std::vector<std::string>& arguments);

/// The usage text, ending in a line feed.
std::string usageText();

/// Runs a command line: 0 when every step was done, 1 when a step failed (later steps
/// are not run), 2 for a usage error. Messages and notes go to err, one line each; the output
/// of a step (--describe-blocks), --help's usage and --version's version go to out. Without
/// drawChart, --chart fails.
int runCommandLine(const std::vector<std::string>& arguments, Session& session, std::ostream& out, std::ostream& err,
                   const ChartDrawer& drawChart = {});

}  // namespace tw::cli
