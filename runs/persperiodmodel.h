#pragma once
// The writer of "runsurv.t1": the small model file of one cohort for the per-period
// estimation program. Its cells are the probabilities of the capture histories over
// the cohort's secondary occasions, conditional on capture.

#include <ostream>
#include <string>

#include "runs/persperiodinput.h"

namespace tw {

inline constexpr const char* kPeriodModelFile = "runsurv.t1";
inline constexpr const char* kPeriodListingFile = "runsurv.t2";

/// The cell line of history k + 1 (k = 1..2^nocc - 2) with its count, e.g. for nocc 4,
/// k 1 and count 17: "17: q(1)*q(2)*s(3)*q(4)/prd /* 2  0010 */;".
std::string periodCellLine(int k, double count, int nocc);

/// Writes the model file of a cohort whose counts number 2^nocc - 2 (CR LF line ends).
void writePeriodModel(std::ostream& out, const PeriodCohort& cohort, int nocc);

}  // namespace tw
