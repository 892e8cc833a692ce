// The commands of the session that start outside programs from the installation directory.
#include "session/session.h"

#include <filesystem>

#include "runs/enginerun.h"
#include "runs/persperiod.h"

namespace tw {

namespace {

constexpr const char* kPeriodProgram = "fennel1";

// The standard-input line as the log shows it, without its line end.
std::string periodCommandText(const std::string& program)
{
    std::string inputLine = kPeriodProgramInput;
    inputLine.pop_back();
    return program + " with standard input \"" + inputLine + "\"";
}

std::string joined(const std::vector<Error>& errors)
{
    std::string text;
    for (const Error& error : errors)
        text += (text.empty() ? "" : "\n") + error.text();
    return text;
}

}  // namespace

Outcome Session::runEachPeriod(FrontEnd& front)
{
    Outcome outcome;
    const auto name = askOpen(front, "CORVANE input file", "*.*");
    if (!name) {
        if (name.none() == FileChoice::None::Cancelled)
            outcome.cancelled = true;
        else
            outcome.failure = makeError(kNoFileSelected);
        return outcome;
    }
    // As the engine run: without the program in the installation directory a bare name
    // would start whatever program of that name lies in the current directory.
    const auto installed = installedProgram(m_installDirectory, kPeriodProgram);
    if (!installed) {
        outcome.failure = installed.error();
        return outcome;
    }
    if (!takeEdits(front, outcome))
        return outcome;

    const std::string& program = *installed;
    const RunCohort run = [&](const CohortRun& cohort) -> RunAnswer {
        const std::string count = std::to_string(cohort.run) + "/" + std::to_string(cohort.total);
        front.progress(cohort.total > 0 ? 100 * cohort.run / cohort.total : 0, "Running FENNEL1 on cohort: " + count);
        const ProgramEnd end = front.runProgram({program, kPeriodProgramInput, "FENNEL1 on cohort " + count});
        if (end.cancelled)
            return {RunEnd::Cancelled, {}};
        if (!end.started)
            return {RunEnd::Failed, "FENNEL1 could not be started: " + program
                                        + (end.errorText.empty() ? "" : ": " + end.errorText)};
        return {};
    };
    front.progress(0, {});
    // The command fixes a copy of the model and keeps it only when every cohort ran.
    Model fixed = m_model;
    Result<PeriodCommandResult> result =
        runEachPeriodCommand(*name, std::filesystem::current_path(), fixed, periodCommandText(program), run);
    if (!result) {
        outcome.failure = result.error();
        return outcome;
    }
    if (!result->refused.empty())
        outcome.messages.push_back({kProgramTitle, joined(result->refused), Severity::Warning});
    if (result->end == RunEnd::Failed) {
        outcome.failure = makeError(result->failure + "\nNothing was fixed.");
        return outcome;
    }
    if (result->end == RunEnd::Cancelled) {
        outcome.cancelled = true;
        return outcome;
    }
    if (!result->notFixed.empty())
        outcome.messages.push_back({kProgramTitle, result->notFixed});
    keep(std::move(fixed));
    const std::size_t lines = result->fixings.listLines.size();
    outcome.status = "Per-period runs: " + std::to_string(lines) + (lines == 1 ? " fixing" : " fixings")
        + " added, " + std::to_string(result->fixings.fixedCells) + " cells fixed";
    return outcome;
}

}  // namespace tw
