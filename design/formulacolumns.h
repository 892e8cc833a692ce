#pragma once
// The columns a formula makes over rows of design data: what R's model.matrix makes
// with the default treatment contrasts, less the columns that are zero on every row.
//
// - "(Intercept)" first when the formula has the intercept, then each term's columns
//   in term order.
// - In a term, a factor is coded by contrasts (one column per level but the first) when
//   the term without it is empty or lies within an earlier term, and by indicators (one
//   column per level) otherwise. Without the intercept, the first factor (in variable
//   order) of the first term holding one is coded by indicators.
// - A numeric variable gives one column. A term's columns are the products of its
//   variables' columns, the first variable's varying fastest; names join the variables'
//   column names ("time2:stratum2") with a factor's column named variable and level
//   ("time3") and a numeric one by the variable ("Time").
//
// A factor's levels are the values it takes on the rows, in increasing order. Each term
// gives a row at most one non-zero entry, so the work grows with rows times terms and
// never with rows times columns.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "design/designdata.h"
#include "design/designrank.h"
#include "design/formula.h"

namespace tw {

enum class Coding : std::uint8_t { Absent, Contrasts, Indicators, Numeric };

/// How each term codes each variable: codings[j][i] for formula.terms[j] and
/// formula.variables[i] (Absent when the term lacks it).
std::vector<std::vector<Coding>> termCodings(const Formula& formula);

struct FormulaColumns {
    std::vector<std::string> names;  // R's column names, in column order
    SparseRows rows;                 // one per data row; columns count from 0
};

/// The columns of the formula over the rows, zero columns dropped. No rows, no columns.
/// The rows are cells of a model, whose dimensions bound the columns of any term.
FormulaColumns buildColumns(const Formula& formula, std::span<const CellDesign> rows);

}  // namespace tw
