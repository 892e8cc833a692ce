#pragma once
// The rules of the capture-history conversion dialog that do not depend on widgets:
// how one field's change rewrites another, when optional fields are shown, and how the
// time-increment codes are extended to the number of time periods.

#include <string>
#include <string_view>

#include "model/result.h"

namespace tw {

/// Time periods beyond this are not extended (cell numbers of a model stop at 32767).
inline constexpr double kMaxTimePeriods = 32767;

/// The strata codes after "Strata:" changed to a value: cut to the value rounded half to
/// even when the value is below the codes' length; values below 1 (an emptied field)
/// and longer values leave the codes as they are.
std::string cutStrataCodes(std::string_view codes, double strata);

/// The time-increment codes after "Time periods:" changed to n: "10" once for each
/// whole k with 1 <= k <= n / 2 (4 and 5 give "1010", 1 gives "").
std::string timeIncrementCodes(double periods);

/// The codes extended for n periods: while shorter than n, the part from the last "1"
/// to the end is appended. A text shorter than n without a "1" cannot be extended and
/// gives an error, and so does n above kMaxTimePeriods.
Result<std::string> extendTimeIncrements(std::string_view codes, double periods);

// Optional fields follow these values.
inline bool showsAgeFields(double ageClasses) { return ageClasses > 1; }
inline bool showsGroupFields(double groups) { return groups > 1; }
inline bool showsFrequencyEnd(double frequencyStart) { return frequencyStart > 1; }

}  // namespace tw
