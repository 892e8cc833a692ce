#include "design/formulaapply.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <span>
#include <unordered_map>

#include "design/formulacolumns.h"

namespace tw {

namespace {

// The largest parameter or column number the model files hold.
constexpr int kLimit = DesignMatrix::kMaxIndex;

// A kind's formula over its cells: the column names, and the rows of the combinations
// of which the distinct ones (one per parameter, in the order of their first cell) are
// picked out.
struct KindRows {
    std::vector<std::string> names;
    SparseRows rows;
    std::vector<int> distinct;  // index into rows of each distinct row
    int distinctCount() const { return static_cast<int>(distinct.size()); }
    std::span<const SparseEntry> row(int d) const { return rows.row(distinct[static_cast<std::size_t>(d)]); }
};

std::size_t mix(std::size_t hash, std::uint64_t value)
{
    return (hash ^ (value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2))) * 1099511628211ULL;
}

struct RowHash {
    const SparseRows* rows;
    std::size_t operator()(int r) const
    {
        std::size_t hash = 0;
        for (const SparseEntry& entry : rows->row(r))
            hash = mix(mix(hash, static_cast<std::uint64_t>(entry.column)), std::bit_cast<std::uint64_t>(entry.value));
        return hash;
    }
};

struct RowEqual {
    const SparseRows* rows;
    bool operator()(int a, int b) const
    {
        const auto x = rows->row(a);
        const auto y = rows->row(b);
        return std::equal(x.begin(), x.end(), y.begin(), y.end());
    }
};

// Cells that agree on every factor the formula reads have equal rows, so the columns
// are built once per such combination (the movement cells of "stratum*tostratum*time"
// are six times as many as their combinations).
struct Combinations {
    std::vector<CellDesign> rows;  // the design data of each combination's first cell
    std::vector<int> ofCell;       // the combination of each cell given, in order
};

Combinations combine(const std::vector<CellDesign>& cells, const Formula& formula)
{
    std::vector<Variable> factors;
    for (Variable variable : formula.variables)
        if (std::find(factors.begin(), factors.end(), factorOf(variable)) == factors.end())
            factors.push_back(factorOf(variable));
    // Each cell's key: its levels of those factors in mixed radix.
    std::vector<std::uint64_t> radix(factors.size(), 1);
    std::uint64_t keys = 1;
    constexpr std::uint64_t kMostKeys = std::uint64_t{1} << 62;
    for (std::size_t f = 0; f < factors.size(); ++f) {
        for (const CellDesign& cell : cells)
            radix[f] = std::max<std::uint64_t>(radix[f], static_cast<std::uint64_t>(cell.value(factors[f])) + 1);
        keys = keys > kMostKeys / radix[f] ? kMostKeys + 1 : keys * radix[f];
    }
    Combinations combinations;
    if (keys > kMostKeys) {
        // Levels no model's dimensions give: every cell a combination of its own.
        combinations.rows = cells;
        for (std::size_t i = 0; i < cells.size(); ++i)
            combinations.ofCell.push_back(static_cast<int>(i));
        return combinations;
    }
    constexpr std::uint64_t kFlatKeys = std::uint64_t{1} << 22;
    std::vector<int> flat(keys <= kFlatKeys ? keys : 0, -1);
    std::unordered_map<std::uint64_t, int> hashed;
    combinations.ofCell.reserve(cells.size());
    for (const CellDesign& cell : cells) {
        std::uint64_t key = 0;
        for (std::size_t f = factors.size(); f-- > 0;)
            key = key * radix[f] + static_cast<std::uint64_t>(cell.value(factors[f]));
        const int next = static_cast<int>(combinations.rows.size());
        int& slot = keys <= kFlatKeys ? flat[key] : hashed.try_emplace(key, -1).first->second;
        if (slot < 0) {
            slot = next;
            combinations.rows.push_back(cell);
        }
        combinations.ofCell.push_back(slot);
    }
    return combinations;
}

// Builds a kind's rows over the cells that take part (a parameter number in pim) and
// records the distinct row of each such cell in cellRow.
FormulaResult<KindRows> buildKind(const Model& model, const std::vector<CellDesign>& data, const Formula& formula,
                                  std::vector<int>& cellRow)
{
    std::vector<CellDesign> rows;
    std::vector<int> cells;
    for (std::size_t cell = 1; cell < data.size(); ++cell)
        if (data[cell].kind == formula.kind && model.pim[cell] > 0) {
            rows.push_back(data[cell]);
            cells.push_back(static_cast<int>(cell));
        }
    const Combinations combinations = combine(rows, formula);
    FormulaColumns columns = buildColumns(formula, combinations.rows);
    if (!rows.empty() && columns.names.empty())
        return FormulaError{formula.kind, formula.text, 0,
                            "the formula gives no column that is non-zero on a " + std::string(kindName(formula.kind))
                                + " cell"};

    // Combinations whose rows are equal all the same (Time:stratum where Time is 0) share too.
    KindRows kind;
    kind.names = std::move(columns.names);
    kind.rows = std::move(columns.rows);
    std::vector<int> distinctOf(combinations.rows.size());
    std::unordered_map<int, int, RowHash, RowEqual> seen(combinations.rows.size(), RowHash{&kind.rows},
                                                         RowEqual{&kind.rows});
    for (int r = 0; r < kind.rows.rowCount(); ++r) {
        const auto [at, added] = seen.try_emplace(r, kind.distinctCount());
        if (added)
            kind.distinct.push_back(r);
        distinctOf[static_cast<std::size_t>(r)] = at->second;
    }
    for (std::size_t i = 0; i < cells.size(); ++i)
        cellRow[static_cast<std::size_t>(cells[i])] =
            distinctOf[static_cast<std::size_t>(combinations.ofCell[i])];
    return kind;
}

FormulaError limitError(int count, const char* what)
{
    return FormulaError{std::nullopt, {}, 0,
                        "the formulas give " + std::to_string(count) + " " + what + ", more than the "
                            + std::to_string(kLimit) + " a model file can hold"};
}

// The distinct rows of a kind, for its rank.
SparseRows distinctRows(const KindRows& kind)
{
    SparseRows rows;
    for (int d = 0; d < kind.distinctCount(); ++d) {
        for (const SparseEntry& entry : kind.row(d))
            rows.add(entry.column, entry.value);
        rows.endRow();
    }
    return rows;
}

// A parameter of the new numbering: the kind of its first cell and, for a kind with a
// formula, its distinct row (-1 otherwise).
struct Parameter {
    CellKind kind;
    int row;
};

// Numbers the cells' parameters 1, 2, ... by first cell: equal rows of a kind with a
// formula share one, and so do equal numbers in the kinds without. Fixed and special
// cells keep their values.
std::vector<Parameter> numberParameters(const std::vector<CellDesign>& data, const FormulaSet& formulas,
                                        const std::array<KindRows, kKindCount>& kindRows,
                                        const std::vector<int>& cellRow, std::vector<std::int16_t>& pim,
                                        std::vector<int>& firstCells)
{
    std::array<std::vector<int>, kKindCount> rowNumber;
    for (CellKind kind : kAllKinds)
        rowNumber[kindIndex(kind)].assign(static_cast<std::size_t>(kindRows[kindIndex(kind)].distinctCount()), 0);
    std::vector<int> oldNumber(static_cast<std::size_t>(kLimit) + 1, 0);
    std::vector<Parameter> parameters;
    for (std::size_t cell = 1; cell < pim.size(); ++cell) {
        if (pim[cell] <= 0)
            continue;
        const CellKind kind = data[cell].kind;
        const bool byFormula = formulas[kind].has_value();
        const int row = byFormula ? cellRow[cell] : -1;
        int& number = byFormula ? rowNumber[kindIndex(kind)][static_cast<std::size_t>(row)]
                                : oldNumber[static_cast<std::size_t>(pim[cell])];
        if (number == 0) {
            parameters.push_back({kind, row});
            firstCells.push_back(static_cast<int>(cell));
            number = static_cast<int>(parameters.size());
        }
        pim[cell] = static_cast<std::int16_t>(number);
    }
    return parameters;
}

// Lays the columns out kind by kind (the formula's, or one per parameter of a kind
// without one), names them and checks each kind's rank; returns the number of columns.
// identityColumn receives the column of each parameter of a kind without a formula.
int layOutColumns(const std::array<KindRows, kKindCount>& kindRows, const std::vector<Parameter>& parameters,
                  FormulaModel& applied, std::vector<int>& identityColumn)
{
    int columns = 0;
    for (CellKind kind : kAllKinds) {
        KindSummary& summary = applied.kinds[kindIndex(kind)];
        const KindRows& rows = kindRows[kindIndex(kind)];
        const std::string prefix = std::string(kindName(kind)) + ":";
        const int first = columns + 1;
        if (summary.hasFormula) {
            for (const std::string& name : rows.names)
                applied.columnNames.push_back(prefix + name);
            columns += static_cast<int>(rows.names.size());
            summary.parameters = rows.distinctCount();
        } else {
            for (std::size_t p = 1; p <= parameters.size(); ++p)
                if (parameters[p - 1].kind == kind) {
                    identityColumn[p] = ++columns;
                    applied.columnNames.push_back(prefix + std::to_string(p));
                    ++summary.parameters;
                }
        }
        summary.columns = columns - first + 1;
        summary.firstColumn = summary.columns > 0 ? first : 0;
        // An identity has full rank whatever its size; the rows are gathered only for a
        // kind whose rank is checked.
        if (!summary.hasFormula)
            summary.rank = RankCheck{summary.parameters, summary.columns, summary.parameters};
        else if (summary.columns <= kRankColumnLimit)
            summary.rank = checkRank(distinctRows(rows), summary.columns);
        else
            summary.rank = RankCheck{summary.parameters, summary.columns, std::nullopt};
    }
    return columns;
}

// Fills the design matrix: one row per parameter, in increasing order of row and column.
void fillDesign(const std::array<KindRows, kKindCount>& kindRows, const std::vector<Parameter>& parameters,
                const std::vector<int>& identityColumn, const FormulaModel& applied, DesignMatrix& dm)
{
    dm.clear();
    std::size_t entries = 0;
    for (const Parameter& parameter : parameters)
        entries += parameter.row < 0 ? 1 : kindRows[kindIndex(parameter.kind)].row(parameter.row).size();
    dm.reserve(entries);
    for (std::size_t p = 1; p <= parameters.size(); ++p) {
        const Parameter& parameter = parameters[p - 1];
        const int row = static_cast<int>(p);
        if (parameter.row < 0) {
            dm.set(row, identityColumn[p], 1);
            continue;
        }
        const int offset = applied[parameter.kind].firstColumn;
        for (const SparseEntry& entry : kindRows[kindIndex(parameter.kind)].row(parameter.row))
            dm.set(row, offset + entry.column, entry.value);
    }
}

}  // namespace

FormulaResult<FormulaModel> applyFormulas(const Model& model, const FormulaSet& formulas)
{
    const Result<std::vector<CellDesign>> data = designData(model);
    if (!data)
        return FormulaError{std::nullopt, {}, 0, data.error().message};
    FormulaModel applied;
    std::array<KindRows, kKindCount> kindRows;
    std::vector<int> cellRow(data->size(), -1);
    for (CellKind kind : kAllKinds) {
        KindSummary& summary = applied.kinds[kindIndex(kind)];
        summary.cells = kindCellCount(model, kind);
        summary.hasFormula = formulas[kind].has_value();
        if (!summary.hasFormula)
            continue;
        if (summary.cells == 0)
            return FormulaError{kind, formulas[kind]->text, 0,
                                "the model has no " + std::string(kindName(kind)) + " cells"};
        FormulaResult<KindRows> rows = buildKind(model, *data, *formulas[kind], cellRow);
        if (!rows)
            return rows.error();
        kindRows[kindIndex(kind)] = std::move(rows.value());
    }

    std::vector<std::int16_t> pim = model.pim;
    const std::vector<Parameter> parameters =
        numberParameters(*data, formulas, kindRows, cellRow, pim, applied.firstCells);
    if (parameters.size() > static_cast<std::size_t>(kLimit))
        return limitError(static_cast<int>(parameters.size()), "parameters");
    std::vector<int> identityColumn(parameters.size() + 1, 0);
    const int columns = layOutColumns(kindRows, parameters, applied, identityColumn);
    if (columns > kLimit)
        return limitError(columns, "columns");

    Model& m = applied.model;
    m = model;
    m.pim = std::move(pim);
    fillDesign(kindRows, parameters, identityColumn, applied, m.dm);
    for (int c = 1; c <= columns; ++c)
        m.dm.setColUsed(c);
    m.dm.setColumnNames(applied.columnNames);
    m.nparms = static_cast<int>(parameters.size());
    m.dmrows = m.nparms;
    m.dmcols = columns;
    m.ncols = columns;
    m.markChanged();
    return applied;
}

std::string kindStatus(const KindSummary& summary) { return rankText(summary.rank); }

std::vector<std::string> identifiabilityLines(const FormulaModel& applied)
{
    std::vector<std::string> lines;
    for (CellKind kind : kAllKinds)
        if (applied[kind].cells > 0)
            lines.push_back(std::string(kindName(kind)) + ": " + kindStatus(applied[kind]));
    return lines;
}

}  // namespace tw
