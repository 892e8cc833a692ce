#include "design/designrank.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace tw {

namespace {

// Arithmetic modulo the prime 2^31 - 1.
constexpr std::uint64_t kPrime = 2147483647;

std::uint64_t modular(double value)
{
    const auto whole = static_cast<long long>(std::llround(value));
    const long long rest = whole % static_cast<long long>(kPrime);
    return static_cast<std::uint64_t>(rest < 0 ? rest + static_cast<long long>(kPrime) : rest);
}

std::uint64_t power(std::uint64_t base, std::uint64_t exponent)
{
    std::uint64_t result = 1;
    for (; exponent > 0; exponent >>= 1) {
        if (exponent & 1)
            result = result * base % kPrime;
        base = base * base % kPrime;
    }
    return result;
}

std::uint64_t inverse(std::uint64_t value) { return power(value, kPrime - 2); }

struct Term {
    int column;
    std::uint64_t value;  // non-zero, below kPrime
};
using Row = std::vector<Term>;

// row -= factor * pivot, both in increasing column order; entries that cancel go.
void subtract(Row& row, const Row& pivot, std::uint64_t factor, Row& scratch)
{
    scratch.clear();
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < row.size() || j < pivot.size()) {
        if (j == pivot.size() || (i < row.size() && row[i].column < pivot[j].column)) {
            scratch.push_back(row[i++]);
            continue;
        }
        const std::uint64_t minus = kPrime - factor * pivot[j].value % kPrime;
        if (i == row.size() || pivot[j].column < row[i].column) {
            scratch.push_back({pivot[j++].column, minus % kPrime});
            continue;
        }
        const std::uint64_t value = (row[i].value + minus) % kPrime;
        if (value != 0)
            scratch.push_back({row[i].column, value});
        ++i;
        ++j;
    }
    std::swap(row, scratch);
}

// Adds a row to the echelon basis kept by leading (highest) column; true when it was
// independent of the rows before it. Design rows of factorial formulas mostly have a
// leading column of their own, so most rows cost no elimination at all.
bool reduceInto(std::vector<Row>& pivots, Row row, Row& scratch)
{
    while (!row.empty()) {
        const Term lead = row.back();
        Row& pivot = pivots[static_cast<std::size_t>(lead.column)];
        if (pivot.empty()) {
            const std::uint64_t scale = inverse(lead.value);
            for (Term& term : row)
                term.value = term.value * scale % kPrime;
            pivot = std::move(row);
            return true;
        }
        subtract(row, pivot, lead.value, scratch);  // pivots lead with 1
    }
    return false;
}

std::string counted(int count, const char* singular, const char* plural)
{
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

}  // namespace

int sparseRank(const SparseRows& rows)
{
    int highest = -1;
    for (int r = 0; r < rows.rowCount(); ++r)
        for (const SparseEntry& entry : rows.row(r))
            highest = std::max(highest, entry.column);
    std::vector<Row> pivots(static_cast<std::size_t>(highest + 1));
    Row scratch;
    int rank = 0;
    for (int r = 0; r < rows.rowCount(); ++r) {
        Row row;
        for (const SparseEntry& entry : rows.row(r))
            if (const std::uint64_t value = modular(entry.value); value != 0)
                row.push_back({entry.column, value});
        if (reduceInto(pivots, std::move(row), scratch))
            ++rank;
    }
    return rank;
}

RankCheck checkRank(const SparseRows& rows, int columns)
{
    RankCheck check{rows.rowCount(), columns, std::nullopt};
    if (columns <= kRankColumnLimit)
        check.rank = sparseRank(rows);
    return check;
}

std::string rankText(const RankCheck& check)
{
    std::string text = counted(check.parameters, "parameter", "parameters") + ", "
        + counted(check.columns, "column", "columns");
    if (!check.rank)
        return text + ": rank not checked";
    if (check.inestimable() > 0)
        text += ": " + counted(check.inestimable(), "column cannot", "columns cannot") + " be estimated (rank "
            + std::to_string(*check.rank) + ")";
    return text;
}

}  // namespace tw
