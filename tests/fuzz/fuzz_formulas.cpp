// Fuzzes model formulas on a fixed model shape: the first bytes give the pim values of
// its cells (one byte each: ties, special values and fixed cells), the rest is the text
// of the formulas. A refusal names a column within its formula; an applied model numbers
// its parameters 1..nparms by first cell, keeps fixed and special cells, and has a design
// row for every parameter and an entry in every column.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "design/formulaapply.h"
#include "fuzz_support.h"
#include "model/pimwriter.h"

namespace {

// Two groups, two age classes, three strata, periods of 2, 1 and 3 occasions: 96 cells.
tw::Model shapedModel()
{
    tw::Model m = tw::startupModel();
    m.groups = 2;
    m.nage = 2;
    m.nstrat = 3;
    m.nyrs = 3;
    m.secpers = {0, 2, 1, 3};
    m.cumsec = {0, 2, 3, 6};
    m.totsec = 6;
    tw::computeDerivedSizes(m);
    m.npar = static_cast<int>(tw::expectedCellCount(m));
    tw::createCellArrays(m);
    return m;
}

void checkApplied(const tw::Model& before, const tw::FormulaModel& applied)
{
    const tw::Model& after = applied.model;
    int highest = 0;
    for (std::size_t cell = 1; cell < before.pim.size(); ++cell) {
        if (before.pim[cell] <= 0) {
            fuzz::check(after.pim[cell] == before.pim[cell], "fixed and special cells keep their values");
            continue;
        }
        fuzz::check(after.pim[cell] > 0 && after.pim[cell] <= highest + 1, "numbers follow the first cell");
        highest = std::max<int>(highest, after.pim[cell]);
    }
    fuzz::check(after.nparms == highest && after.dmrows == highest, "nparms and dmrows count the parameters");
    fuzz::check(applied.columnNames.size() == static_cast<std::size_t>(after.dmcols), "a name per column");
    std::vector<bool> columnHas(static_cast<std::size_t>(after.dmcols) + 1, false);
    for (const auto& entry : after.dm.entries()) {
        fuzz::check(entry.row >= 1 && entry.row <= highest, "rows are parameters");
        fuzz::check(entry.col >= 1 && entry.col <= after.dmcols && after.dm.colUsed(entry.col), "columns in use");
        columnHas[static_cast<std::size_t>(entry.col)] = true;
    }
    for (int c = 1; c <= after.dmcols; ++c) {
        fuzz::check(columnHas[static_cast<std::size_t>(c)], "no column is zero throughout");
        fuzz::check(after.dm.columnName(c) == applied.columnNames[static_cast<std::size_t>(c - 1)],
                    "the design matrix carries the column names");
    }
    tw::Model renumbered = after;
    fuzz::check(tw::renumberParameters(renumbered).ok() && renumbered.pim == after.pim,
                "the PIM writer's renumbering keeps the numbers");
    fuzz::check(renumbered.dm == after.dm, "a renumbering that changes nothing keeps the columns and their names");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const tw::Model shape = shapedModel();
    tw::Model model = shape;
    std::size_t at = 0;
    for (int cell = 1; cell <= model.npar && at < size; ++cell, ++at) {
        // Mostly small numbers, so that cells share; now and then a special value or a fixing.
        const int raw = data[at] % 40;
        model.pim[static_cast<std::size_t>(cell)] =
            static_cast<std::int16_t>(raw < 36 ? raw % 12 + 1 : raw == 39 ? -5 : 36 - raw);
    }
    const std::string text(reinterpret_cast<const char*>(data) + at, size - at);
    const tw::FormulaResult<tw::FormulaSet> formulas = tw::parseFormulaList(text);
    if (!formulas) {
        const tw::FormulaError& error = formulas.error();
        fuzz::check(error.column >= 1 && error.column <= static_cast<int>(error.formula.size()) + 1,
                    "a refused formula names a column within it");
        fuzz::check(!error.caretLine().empty() && error.caretLine().back() == '^', "the caret line ends in a caret");
        return 0;
    }
    const tw::FormulaResult<tw::FormulaModel> applied = tw::applyFormulas(model, formulas.value());
    if (applied)
        checkApplied(model, applied.value());
    return 0;
}
