#pragma once
// The reader of "runsurv.t2", the listing of the per-period estimation program: the
// estimate lines ("PP(" at position 10, the estimate in the 13 characters from position
// 29) and the check that the run's information matrix was positive-definite.

#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

struct ListedEstimate {
    std::optional<double> value;  // nullopt when the estimate field holds no number
    bool checked = false;         // a line affirming "positive-definite" came before it
    std::string line;             // the line as read, for the log

    bool operator==(const ListedEstimate&) const = default;
};

/// Whether a line affirms "positive-definite": it holds the word not preceded by the
/// word "not" (or one ending in it, as "cannot") or "non" ("non-positive-definite").
bool affirmsPositiveDefinite(std::string_view line);

/// Whether a listing line is an estimate line: "PP(" starts at position 10.
bool isEstimateLine(std::string_view line);

/// The estimate lines of a listing, in order, each with the check flag at its place.
std::vector<ListedEstimate> readPeriodListing(std::istream& in);

}  // namespace tw
