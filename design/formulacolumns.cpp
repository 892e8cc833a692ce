#include "design/formulacolumns.h"

#include <algorithm>
#include <cassert>
#include <unordered_map>

namespace tw {

namespace {

bool holds(std::uint32_t term, std::size_t variable) { return (term >> variable & 1U) != 0; }

// The levels a factor takes on the rows, and the index of each level value.
struct Levels {
    std::vector<int> values;  // increasing
    std::vector<int> index;   // by value; -1 for values not taken

    explicit Levels(std::span<const CellDesign> rows, Variable factor)
    {
        int highest = 0;
        for (const CellDesign& row : rows)
            highest = std::max(highest, row.value(factor));
        index.assign(static_cast<std::size_t>(highest) + 1, -1);
        for (const CellDesign& row : rows)
            index[static_cast<std::size_t>(row.value(factor))] = 0;
        for (int value = 0; value <= highest; ++value)
            if (index[static_cast<std::size_t>(value)] == 0) {
                index[static_cast<std::size_t>(value)] = static_cast<int>(values.size());
                values.push_back(value);
            }
    }
};

// One variable of a term: its coding and where its columns sit in the term's numbering.
struct Part {
    std::size_t variable = 0;  // index into formula.variables
    Coding coding = Coding::Absent;
    std::uint64_t count = 1;   // its columns
    std::uint64_t stride = 1;  // product of the counts of the variables before it
};

struct TermLayout {
    std::vector<Part> parts;
    std::uint64_t count = 1;  // columns of the term: product of the parts' counts
};

std::vector<TermLayout> layoutTerms(const Formula& formula, const std::vector<std::vector<Coding>>& codings,
                                    const std::vector<Levels>& levels)
{
    std::vector<TermLayout> layouts;
    for (std::size_t j = 0; j < formula.terms.size(); ++j) {
        TermLayout layout;
        for (std::size_t i = 0; i < formula.variables.size(); ++i) {
            const Coding coding = codings[j][i];
            if (coding == Coding::Absent)
                continue;
            const auto levelCount = static_cast<std::uint64_t>(levels[i].values.size());
            const std::uint64_t count = coding == Coding::Numeric ? 1
                : coding == Coding::Contrasts                    ? levelCount - std::min<std::uint64_t>(levelCount, 1)
                                                                 : levelCount;
            layout.parts.push_back({i, coding, count, layout.count});
            // Level counts come from the rows, so a term's columns stay within what the
            // dimensions of a model multiply to (far below 2^63).
            assert(count == 0 || layout.count <= UINT64_MAX / count);
            layout.count *= count;
        }
        layouts.push_back(std::move(layout));
    }
    return layouts;
}

// The entry a term gives a row: its column within the term and its value; false when
// the row is zero on every column of the term.
bool termEntry(const Formula& formula, const TermLayout& layout, const std::vector<Levels>& levels,
               const CellDesign& row, std::uint64_t& column, double& value)
{
    column = 0;
    value = 1;
    for (const Part& part : layout.parts) {
        const int raw = row.value(formula.variables[part.variable]);
        if (part.coding == Coding::Numeric) {
            if (raw == 0)
                return false;
            value *= raw;
            continue;
        }
        const int level = levels[part.variable].index[static_cast<std::size_t>(raw)];
        if (part.coding == Coding::Contrasts && level == 0)
            return false;
        column += static_cast<std::uint64_t>(part.coding == Coding::Contrasts ? level - 1 : level) * part.stride;
    }
    return true;
}

std::string columnName(const Formula& formula, const TermLayout& layout, const std::vector<Levels>& levels,
                       std::uint64_t column)
{
    std::string name;
    for (const Part& part : layout.parts) {
        if (!name.empty())
            name += ':';
        const Variable variable = formula.variables[part.variable];
        name += variableName(variable);
        if (part.coding == Coding::Numeric)
            continue;
        const std::uint64_t index = column / part.stride % part.count + (part.coding == Coding::Contrasts ? 1 : 0);
        name += std::to_string(levels[part.variable].values[index]);
    }
    return name;
}

// The columns of one term that rows meet, by their number within the term, and the
// column each becomes: a table when the term has few columns, a hash map otherwise.
class MetColumns {
public:
    MetColumns(std::uint64_t count, std::size_t rows)
        : m_flat(count <= std::max<std::uint64_t>(std::uint64_t{1} << 16, 8 * rows) ? count : 0, -1)
    {
    }
    void meet(std::uint64_t column)
    {
        if (!m_flat.empty())
            m_flat[column] = 0;
        else
            m_hashed.try_emplace(column, 0);
    }
    /// The columns met, in increasing order.
    std::vector<std::uint64_t> met() const
    {
        std::vector<std::uint64_t> columns;
        for (std::size_t c = 0; c < m_flat.size(); ++c)
            if (m_flat[c] >= 0)
                columns.push_back(c);
        for (const auto& entry : m_hashed)
            columns.push_back(entry.first);
        std::sort(columns.begin(), columns.end());
        return columns;
    }
    int& number(std::uint64_t column) { return m_flat.empty() ? m_hashed.find(column)->second : m_flat[column]; }

private:
    std::vector<int> m_flat;
    std::unordered_map<std::uint64_t, int> m_hashed;
};

}  // namespace

std::vector<std::vector<Coding>> termCodings(const Formula& formula)
{
    const std::size_t variableCount = formula.variables.size();
    std::vector<std::vector<Coding>> codings(formula.terms.size(), std::vector<Coding>(variableCount, Coding::Absent));
    for (std::size_t j = 0; j < formula.terms.size(); ++j) {
        const std::uint32_t term = formula.terms[j];
        for (std::size_t i = 0; i < variableCount; ++i) {
            if (!holds(term, i))
                continue;
            if (!isFactor(formula.variables[i])) {
                codings[j][i] = Coding::Numeric;
                continue;
            }
            const std::uint32_t rest = term & ~(std::uint32_t{1} << i);
            const bool withinEarlier = std::any_of(formula.terms.begin(), formula.terms.begin() + static_cast<long>(j),
                                                   [&](std::uint32_t earlier) { return (rest & ~earlier) == 0; });
            codings[j][i] = rest == 0 || withinEarlier ? Coding::Contrasts : Coding::Indicators;
        }
    }
    if (formula.intercept)
        return codings;
    for (std::size_t j = 0; j < formula.terms.size(); ++j)
        for (std::size_t i = 0; i < variableCount; ++i)
            if (codings[j][i] == Coding::Contrasts || codings[j][i] == Coding::Indicators) {
                codings[j][i] = Coding::Indicators;
                return codings;
            }
    return codings;
}

FormulaColumns buildColumns(const Formula& formula, std::span<const CellDesign> rows)
{
    FormulaColumns result;
    if (rows.empty())
        return result;
    std::vector<Levels> levels;
    for (Variable variable : formula.variables)
        levels.emplace_back(isFactor(variable) ? rows : std::span<const CellDesign>{}, variable);
    const std::vector<TermLayout> layouts = layoutTerms(formula, termCodings(formula), levels);

    // First pass: the columns the rows meet in each term. The entries are worked out
    // again in the second pass: cheaper than keeping them all.
    std::vector<MetColumns> met;
    for (const TermLayout& layout : layouts)
        met.emplace_back(layout.count, rows.size());
    std::size_t entries = 0;
    for (const CellDesign& row : rows)
        for (std::size_t j = 0; j < layouts.size(); ++j) {
            std::uint64_t column = 0;
            double value = 0;
            if (termEntry(formula, layouts[j], levels, row, column, value)) {
                met[j].meet(column);
                ++entries;
            }
        }

    // The columns kept, in term order and then in the term's own order.
    int next = 0;
    if (formula.intercept) {
        result.names.push_back("(Intercept)");
        next = 1;
    }
    for (std::size_t j = 0; j < layouts.size(); ++j)
        for (std::uint64_t column : met[j].met()) {
            met[j].number(column) = next++;
            result.names.push_back(columnName(formula, layouts[j], levels, column));
        }

    result.rows.reserve(rows.size(), entries + (formula.intercept ? rows.size() : 0));
    for (const CellDesign& row : rows) {
        if (formula.intercept)
            result.rows.add(0, 1);
        for (std::size_t j = 0; j < layouts.size(); ++j) {
            std::uint64_t column = 0;
            double value = 0;
            if (termEntry(formula, layouts[j], levels, row, column, value))
                result.rows.add(met[j].number(column), value);
        }
        result.rows.endRow();
    }
    return result;
}

}  // namespace tw
