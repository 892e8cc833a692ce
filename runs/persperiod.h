#pragma once
// The per-period closed-population runs: every cohort of an input file is written as a
// small model file, run through the per-period estimation program, and the estimates
// of its capture probabilities are read back into the places of its occasions. The
// estimates of runs whose information matrix was positive-definite then fix the cells
// they belong to. How a run is started is the caller's: the windows start the program
// and wait for it, tests may run it directly or answer in its stead.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/lines.h"
#include "model/model.h"
#include "model/result.h"
#include "runs/persperiodinput.h"

namespace tw {

inline constexpr const char* kPeriodLogFile = "Tallowick2.log";
inline constexpr const char* kPeriodFixingsFile = "quarlet.tmp";
/// The standard-input line of the estimation program (one blank before the line end).
inline constexpr const char* kPeriodProgramInput = "i=runsurv.t1 l=runsurv.t2 \n";

/// The place of one estimate; each cohort owns as many places as it has occasions.
struct PeriodPlace {
    std::optional<double> estimate;  // empty when the run gave none for this place
    bool checked = false;            // its run affirmed a positive-definite matrix

    bool operator==(const PeriodPlace&) const = default;
};

/// What the run callback is asked to do: run the program once, "runsurv.t1" written
/// and any old "runsurv.t2" removed; it returns when the program has ended.
struct CohortRun {
    int run = 0;    // 1-based number of the cohort
    int total = 0;  // cohorts in the input
    int headerLine = 0;
    int nocc = 0;
};

enum class RunEnd { Finished, Cancelled, Failed };

struct RunAnswer {
    RunEnd end = RunEnd::Finished;
    std::string message;  // why it failed (RunEnd::Failed)
};

using RunCohort = std::function<RunAnswer(const CohortRun&)>;

struct PeriodRuns {
    std::vector<PeriodPlace> places;
    std::vector<Error> refused;  // cohorts not run because their counts have no valid form
    RunEnd end = RunEnd::Finished;
    std::string failure;         // the message of a failed run
};

/// Runs every cohort in dir. commandText says in the log how the program is started.
/// A cohort of a count other than 2^k - 2 is refused (its nearest number of places
/// stays empty) and one with value 0 is not run (its places stay empty); each run owns
/// its places whatever the listing holds. Stops at the first cancelled or failed run.
PeriodRuns runCohorts(const PeriodInput& input, const std::string& inputName, const std::filesystem::path& dir,
                      std::string_view commandText, const RunCohort& run, LineWriter& log);

struct PeriodFixings {
    std::vector<std::string> listLines;  // "S(cell)=estimate /* label*/;" for the fixed-parameter list
    std::vector<std::string> fileLines;  // the same with "s(" for "quarlet.tmp"
    int fixedCells = 0;                  // cells of the model that were fixed

    bool operator==(const PeriodFixings&) const = default;
};

/// Whether the estimates fix cells of the model, or are only listed.
enum class FixCells { Yes, No };

/// Why the estimates of input (the file inputName) must fix no cell of model: no model
/// is loaded, or the input states dimensions other than the model's (each of NPAR,
/// GROUPS, NAGE, NYRS, STRATA and SECPERS that its model statement states must be the
/// model's, as the conversion of constraints checks them). Empty when they fit.
std::string fixingsDoNotFit(const PeriodInput& input, const std::string& inputName, const Model& model);

/// The fixing lines of the checked estimates; place m belongs to cell first + m - 1
/// and label m. With FixCells::Yes a cell of the model is fixed at its estimate
/// (initval = the estimate, pim = the fixed marker); a cell outside 1..npar is listed
/// and written but fixes nothing (the log says so).
PeriodFixings fixEstimates(const PeriodInput& input, const std::vector<PeriodPlace>& places, Model& model,
                           FixCells fix, LineWriter& log);

struct PeriodCommandResult {
    std::vector<Error> refused;
    RunEnd end = RunEnd::Finished;
    std::string failure;
    PeriodFixings fixings;
    std::string notFixed;  // why no cell was fixed (fixingsDoNotFit); empty when they were
};

/// The whole command on the input file inputPath, in dir: scans the input (errors leave
/// everything as it was), appends to the log, runs the cohorts and, when all ran, writes
/// "quarlet.tmp", puts the lines in the model's fixed-parameter list (a line for a cell
/// the list names already replaces that entry), fixes the cells when they fit the model
/// and marks the model changed. A cancelled or failed run fixes nothing.
Result<PeriodCommandResult> runEachPeriodCommand(const std::string& inputPath, const std::filesystem::path& dir,
                                                 Model& model, std::string_view commandText, const RunCohort& run);

}  // namespace tw
