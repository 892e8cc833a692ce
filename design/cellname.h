#pragma once
// Short names of model cells for the rows of the design-matrix window: the parameter a
// cell holds and the probability it is, "12 · Survival g1 a2 s1 t3".

#include <string>

#include "design/designdata.h"

namespace tw {

/// The probability a cell is, in few letters: its kind and the levels of its factors,
/// "Survival g1 a2 s1 t3", "Movement g1 a1 s1→s2 t2", "Open capture a1 s2 t3",
/// "Closed capture a1 s2 p3 o2" (g group, a age class, s stratum, t interval, p primary
/// period, o its secondary occasion).
std::string cellShortName(const CellDesign& design);

/// What a cell's pim value says of its parameter: the number of an estimated
/// parameter, "fixed" for a cell fixed at a value, the special value (0, -1, -2) itself.
std::string parameterText(int pim);

}  // namespace tw
