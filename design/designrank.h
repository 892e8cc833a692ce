#pragma once
// Sparse design rows and the identifiability check of a kind's columns: the rank of
// its parameters' rows, computed by elimination modulo a large prime. For whole-number
// entries this is the rank over the rationals unless the prime divides a pivot, which
// for entries of the size design data gives (0, +-1, products of small levels) does not
// happen in practice.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tw {

struct SparseEntry {
    int column = 0;
    double value = 0;
    bool operator==(const SparseEntry&) const = default;
};

/// Rows of non-zero entries, each row in increasing column order.
class SparseRows {
public:
    /// Appends an entry to the row being built.
    void add(int column, double value) { m_entries.push_back({column, value}); }
    /// Ends the row being built (an empty row is a row too).
    void endRow() { m_start.push_back(m_entries.size()); }
    int rowCount() const { return static_cast<int>(m_start.size()) - 1; }
    std::span<const SparseEntry> row(int r) const
    {
        return {m_entries.data() + m_start[static_cast<std::size_t>(r)],
                m_start[static_cast<std::size_t>(r) + 1] - m_start[static_cast<std::size_t>(r)]};
    }
    std::size_t entryCount() const { return m_entries.size(); }
    void reserve(std::size_t rows, std::size_t entries)
    {
        m_start.reserve(rows + 1);
        m_entries.reserve(entries);
    }
    bool operator==(const SparseRows&) const = default;

private:
    std::vector<std::size_t> m_start{0};
    std::vector<SparseEntry> m_entries;
};

/// Kinds with more columns than this are not checked (the elimination could grow dense).
inline constexpr int kRankColumnLimit = 2000;

/// The identifiability of one kind: its parameters, its columns and the rank of the
/// parameters' rows over the columns (nullopt when not checked).
struct RankCheck {
    int parameters = 0;
    int columns = 0;
    std::optional<int> rank;
    /// Columns that cannot be estimated: columns minus rank (0 when not checked).
    int inestimable() const { return rank ? columns - *rank : 0; }
    bool operator==(const RankCheck&) const = default;
};

/// The rank of the rows; entries must be whole numbers.
int sparseRank(const SparseRows& rows);

/// The check of rows over columns: the rank when there are at most kRankColumnLimit columns.
RankCheck checkRank(const SparseRows& rows, int columns);

/// "14 parameters, 6 columns"; where the rank falls short, "12 parameters, 13 columns:
/// 1 column cannot be estimated (rank 12)"; above the limit, "...: rank not checked".
std::string rankText(const RankCheck& check);

}  // namespace tw
