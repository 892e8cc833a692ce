#include "runs/persperiod.h"

#include <cerrno>
#include <fstream>
#include <limits>
#include <sstream>
#include <system_error>
#include <unordered_map>

#include "model/atomicfile.h"
#include "model/fileerrors.h"
#include "model/modelstatement.h"
#include "model/numbering.h"
#include "model/textrules.h"
#include "runs/persperiodlisting.h"
#include "runs/persperiodmodel.h"

namespace tw {

namespace {

std::string cohortName(int run, int total, int headerLine)
{
    return "Cohort " + std::to_string(run) + "/" + std::to_string(total) + " (line " + std::to_string(headerLine)
        + ")";
}

Error refusal(const PeriodCohort& cohort, const std::string& inputName, int places)
{
    return makeError("the cohort holds " + std::to_string(cohort.counts.size())
                         + " counts; a cohort of k occasions holds 2^k - 2 (2, 6, 14, 30, ...). It is not run and its "
                         + std::to_string(places) + " estimate places stay empty.",
                     inputName, cohort.headerLine);
}

void addEmptyPlaces(std::vector<PeriodPlace>& places, int count)
{
    places.insert(places.end(), static_cast<std::size_t>(count), PeriodPlace{});
}

// Takes this run's estimates from its listing into its nocc places.
void takeListing(const std::filesystem::path& listing, const std::string& name, int nocc,
                 std::vector<PeriodPlace>& places, LineWriter& log)
{
    std::ifstream in(listing, std::ios::binary);
    if (!in) {
        log.line(name + ": no listing " + kPeriodListingFile + "; its " + std::to_string(nocc)
                 + " estimate places stay empty.");
        addEmptyPlaces(places, nocc);
        return;
    }
    const std::vector<ListedEstimate> estimates = readPeriodListing(in);
    for (std::size_t m = 0; m < estimates.size(); ++m) {
        const ListedEstimate& estimate = estimates[m];
        if (m >= static_cast<std::size_t>(nocc)) {
            log.line(name + ": surplus estimate ignored: " + estimate.line);
            continue;
        }
        log.line(estimate.line);
        if (!estimate.value)
            log.line(name + ": no number in the estimate field; the place stays empty.");
        places.push_back(PeriodPlace{estimate.value, estimate.checked && estimate.value.has_value()});
    }
    if (estimates.size() < static_cast<std::size_t>(nocc)) {
        const int missing = nocc - static_cast<int>(estimates.size());
        log.line(name + ": " + std::to_string(estimates.size()) + " of " + std::to_string(nocc)
                 + " estimates listed; " + std::to_string(missing) + " places stay empty.");
        addEmptyPlaces(places, missing);
    }
}

Status writeScratchModel(const std::filesystem::path& path, const PeriodCohort& cohort, int nocc)
{
    return saveAtomically(path.string(), [&](std::ostream& out) -> Status {
        writePeriodModel(out, cohort, nocc);
        return {};
    });
}

// Puts the new fixing lines in the fixed-parameter list: a line for a cell the list names
// already replaces that entry (the constraints would otherwise fix one cell twice).
void listFixings(const std::vector<std::string>& lines, std::vector<std::string>& list, LineWriter& log)
{
    constexpr int kAnyCell = std::numeric_limits<int>::max();
    std::unordered_map<int, std::size_t> entryOf;  // the first entry naming each cell
    for (std::size_t i = 0; i < list.size(); ++i)
        if (const int cell = listedCell(list[i], kAnyCell); cell != 0)
            entryOf.emplace(cell, i);
    for (const std::string& line : lines) {
        const int cell = listedCell(line, kAnyCell);
        const auto old = entryOf.find(cell);
        if (cell == 0 || old == entryOf.end()) {
            if (cell != 0)
                entryOf.emplace(cell, list.size());
            list.push_back(line);
            continue;
        }
        log.line(line + " replaces " + list[old->second] + " in the list.");
        list[old->second] = line;
    }
}

// The files of fixed names the command writes (or, for the listing, removes) must be
// none of the files it reads.
Status checkRunFiles(const std::filesystem::path& dir, const std::vector<std::string>& inputs)
{
    for (const char* name : {kPeriodLogFile, kPeriodModelFile, kPeriodListingFile, kPeriodFixingsFile})
        TW_TRY(checkFixedNameFile((dir / name).string(), inputs));
    return {};
}

// The number text of an estimate: bare text, keeping the sign of a negative value.
std::string estimateText(double value) { return value < 0 ? signedText(value) : bareText(value); }

}  // namespace

PeriodRuns runCohorts(const PeriodInput& input, const std::string& inputName, const std::filesystem::path& dir,
                      std::string_view commandText, const RunCohort& run, LineWriter& log)
{
    PeriodRuns runs;
    const int total = static_cast<int>(input.cohorts.size());
    const std::filesystem::path listing = dir / kPeriodListingFile;
    for (int r = 1; r <= total; ++r) {
        const PeriodCohort& cohort = input.cohorts[static_cast<std::size_t>(r - 1)];
        const std::string name = cohortName(r, total, cohort.headerLine);
        const std::optional<int> nocc = occasionsForCounts(cohort.counts.size());
        if (!nocc) {
            const int places = nearestOccasions(cohort.counts.size());
            runs.refused.push_back(refusal(cohort, inputName, places));
            log.line(name + ": " + runs.refused.back().message);
            addEmptyPlaces(runs.places, places);
            continue;
        }
        if (cohort.value == 0) {
            log.line(name + ": not run, its cohort value is 0; its " + std::to_string(*nocc)
                     + " estimate places stay empty.");
            addEmptyPlaces(runs.places, *nocc);
            continue;
        }
        const Status written = writeScratchModel(dir / kPeriodModelFile, cohort, *nocc);
        // A listing left from an earlier run must never be read as this one's.
        std::error_code removeError;
        std::filesystem::remove(listing, removeError);
        if (!written || std::filesystem::exists(listing)) {
            runs.end = RunEnd::Failed;
            runs.failure = !written ? written.error().text()
                                    : "cannot remove the old listing " + std::string(kPeriodListingFile) + ": "
                                          + removeError.message();
            log.line(name + ": " + runs.failure);
            return runs;
        }
        log.line(name + ": " + std::string(commandText));
        const RunAnswer answer = run(CohortRun{r, total, cohort.headerLine, *nocc});
        if (answer.end != RunEnd::Finished) {
            runs.end = answer.end;
            runs.failure = answer.message;
            log.line(name + (answer.end == RunEnd::Cancelled ? ": cancelled; nothing is fixed."
                                                              : ": " + answer.message + "; nothing is fixed."));
            return runs;
        }
        takeListing(listing, name, *nocc, runs.places, log);
    }
    return runs;
}

std::string fixingsDoNotFit(const PeriodInput& input, const std::string& inputName, const Model& model)
{
    const std::string listed = ": the estimates were listed, no cell was fixed";
    if (!model.loaded())
        return "no model is loaded" + listed;
    if (input.statement.empty())
        return {};
    const std::string& first = input.statement.front();
    if (const std::size_t p = keywordPosition(first, "NPAR", "npar"); p > 0) {
        const auto cells = decimalValue(textFrom(first, p + 5));
        if (cells && roundHalfEven(*cells) != model.npar)
            return inputName + " has " + plainText(*cells) + " cells, the model " + std::to_string(model.npar) + listed;
    }
    std::string text;
    for (const std::string& line : input.statement)
        text.append(line).append("\n");
    std::istringstream in(text);
    LineReader lines(in, inputName);
    std::string line;
    lines.next(line);
    if (const Status same = checkModelStatementLine(line, model, lines, kConversionOrder); !same)
        return inputName + ": " + same.error().message + listed;
    return {};
}

PeriodFixings fixEstimates(const PeriodInput& input, const std::vector<PeriodPlace>& places, Model& model,
                           FixCells fix, LineWriter& log)
{
    PeriodFixings fixings;
    for (std::size_t m = 1; m <= places.size(); ++m) {
        const PeriodPlace& place = places[m - 1];
        if (!place.estimate || !place.checked)
            continue;
        const long cell = static_cast<long>(input.first) + static_cast<long>(m) - 1;
        const std::string label = m <= input.labels.size() ? input.labels[m - 1] : std::string();
        const std::string rest = ")=" + estimateText(*place.estimate) + " /* " + label + "*/;";
        const std::string cellText = bareText(static_cast<double>(cell));
        fixings.listLines.push_back("S(" + cellText + rest);
        fixings.fileLines.push_back("s(" + cellText + rest);
        if (fix == FixCells::No)
            continue;
        if (cell < 1 || cell > model.npar) {
            log.line("S(" + cellText + ") not fixed: the loaded model has cells 1.." + std::to_string(model.npar) + ".");
            continue;
        }
        const auto index = static_cast<std::size_t>(cell);
        model.initval[index] = *place.estimate;
        model.pim[index] = fixedMarker(model.pim[index]);
        ++fixings.fixedCells;
    }
    return fixings;
}

Result<PeriodCommandResult> runEachPeriodCommand(const std::string& inputPath, const std::filesystem::path& dir,
                                                 Model& model, std::string_view commandText, const RunCohort& run)
{
    TW_TRY(checkRegularFile(inputPath));
    std::ifstream in(inputPath, std::ios::binary);
    if (!in) {
        const int error = errno;
        return makeError("cannot open the file: " + systemReason(error), fullPath(inputPath));
    }
    Result<PeriodInput> input = readPeriodInput(in, inputPath);
    if (!input)
        return input.error();
    if (input->first == 0 && !input->cohorts.empty())
        return makeError("the labels section holds no line \"S(cell)=PP(...\", so the cells of the estimates are "
                         "not known",
                         inputPath);

    TW_TRY(checkRunFiles(dir, {inputPath, model.infile}));
    auto logFile = AppendFile::open((dir / kPeriodLogFile).string());
    if (!logFile)
        return logFile.error();
    LineWriter log((*logFile)->stream());
    log.line("Input: " + inputPath);

    PeriodCommandResult result;
    PeriodRuns runs = runCohorts(*input, inputPath, dir, commandText, run, log);
    result.refused = std::move(runs.refused);
    result.end = runs.end;
    result.failure = std::move(runs.failure);
    if (result.end != RunEnd::Finished)
        return result;

    Model fixed = model;
    result.notFixed = fixingsDoNotFit(*input, inputPath, model);
    if (!result.notFixed.empty())
        log.line(result.notFixed);
    result.fixings =
        fixEstimates(*input, runs.places, fixed, result.notFixed.empty() ? FixCells::Yes : FixCells::No, log);
    const Status saved = saveAtomically((dir / kPeriodFixingsFile).string(), [&](std::ostream& out) -> Status {
        LineWriter writer(out);
        for (const std::string& line : result.fixings.fileLines)
            writer.line(line);
        return {};
    });
    if (!saved) {
        log.line(saved.error().text());
        return saved.error();
    }
    listFixings(result.fixings.listLines, fixed.fixedlist, log);
    if (!result.fixings.listLines.empty())
        fixed.markChanged();
    model = std::move(fixed);
    log.line(std::to_string(result.fixings.listLines.size()) + " fixing lines written to " + kPeriodFixingsFile + "; "
             + std::to_string(result.fixings.fixedCells) + " cells fixed.");
    return result;
}

}  // namespace tw
