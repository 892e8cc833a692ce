#pragma once
// The scan of an engine input file for the per-period runs: the head (cohort statements
// and the number of primary periods), the cohorts of counts opened by "N(" lines, and
// the labels section with the cell of the first estimated parameter.

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "model/result.h"

namespace tw {

/// The counts of one cohort, in the order of the histories 2..n + 1.
struct PeriodCohort {
    int headerLine = 0;  // line number of its "N(" line
    double value = 0;    // the number at positions 8 and 9 of that line (read whole from 100 up)
    std::vector<double> counts;

    bool operator==(const PeriodCohort&) const = default;
};

struct PeriodInput {
    int nyrs = 0;         // from the model statement; the loaded model keeps its own
    /// The model statement: the first line of the head holding one of its keywords and
    /// the head lines after it (a SECPERS list may run on over them).
    std::vector<std::string> statement;
    int cohortLines = 0;  // lines of the head containing "COHORT" or "cohort"
    std::vector<PeriodCohort> cohorts;
    std::vector<std::string> labels;  // one per estimate place, in order
    int first = 0;                    // cell of the first estimated parameter; 0 when none
    int firstLine = 0;                // line it was read from

    bool operator==(const PeriodInput&) const = default;
};

/// Reads the whole input. Errors: the input ends before a line containing "LABEL", or
/// its labels section has no line containing "PROC". A last cohort that holds no
/// counts (its "N(" line stands just before "LABEL") is left out.
Result<PeriodInput> readPeriodInput(std::istream& in, const std::string& name);

/// The number of occasions k >= 2 of a cohort of n counts, n = 2^k - 2; nullopt when n
/// has no such form (its histories would be meaningless).
std::optional<int> occasionsForCounts(std::size_t n);

/// The k >= 2 whose 2^k - 2 lies nearest to n: the places a refused cohort keeps, so
/// that the later estimates stay with their labels. 0 for an empty cohort.
int nearestOccasions(std::size_t n);

}  // namespace tw
