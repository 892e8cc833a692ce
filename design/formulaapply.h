#pragma once
// Applying model formulas: the PIMs and the design matrix that one formula per kind
// of probability makes.
//
// - Cells that are fixed or hold a special value (0, -1, -2) keep it and take no part.
// - In a kind with a formula, cells whose design rows are equal share one parameter.
// - A kind without a formula keeps its cells' parameters (cells that shared a number
//   still share one) and gets one indicator column per parameter, "<kind>:<number>".
// - Parameters are numbered 1, 2, ... in the order of their first cell, so the PIM
//   writer's renumbering leaves them as they are. The design matrix has one row per
//   parameter and the columns kind by kind (survival, movement, open, closed).

#include <array>
#include <string>
#include <vector>

#include "design/designdata.h"
#include "design/designrank.h"
#include "design/formula.h"
#include "model/model.h"

namespace tw {

/// What applying the formulas made of one kind.
struct KindSummary {
    long cells = 0;           // cells of the kind in the model
    bool hasFormula = false;
    int parameters = 0;       // parameters whose first cell is of the kind
    int firstColumn = 0;      // the kind's first design column (1-based; 0 without columns)
    int columns = 0;
    RankCheck rank;           // its parameters' rows over its columns
    bool operator==(const KindSummary&) const = default;
};

struct FormulaModel {
    Model model;                           // new pim, dm (its columns named), nparms, dmrows, dmcols, ncols; marked changed
    std::vector<std::string> columnNames;  // design columns 1..dmcols at [c - 1]: "survival:time3", "open:17"
    std::vector<int> firstCells;           // first cell of parameters 1..nparms at [p - 1]
    std::array<KindSummary, kKindCount> kinds;
    const KindSummary& operator[](CellKind kind) const { return kinds[kindIndex(kind)]; }
};

/// Builds the model the formulas make from model (which is not changed). Refuses a model
/// without cells of a kind that has a formula, a formula that gives no column, more
/// than 32767 parameters or columns, and a model whose NPAR disagrees with its dimensions.
FormulaResult<FormulaModel> applyFormulas(const Model& model, const FormulaSet& formulas);

/// What the window's status line says of a kind: rankText of its check.
std::string kindStatus(const KindSummary& summary);

/// One line per kind that has cells, for the command line: "movement: 12 parameters,
/// 13 columns: 1 column cannot be estimated (rank 12)".
std::vector<std::string> identifiabilityLines(const FormulaModel& applied);

}  // namespace tw
