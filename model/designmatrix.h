#pragma once
// The design matrix dm(r, c): the coefficient of parameter r on regression column c.
// Sparse: memory grows with the non-zero entries held, never with nparms squared, and
// any row or column in 0..32767 can be stored (columns added in the design-matrix
// window may lie beyond nparms). A zero entry is the same as no entry.
//
// The entries live in one vector sorted by row, then column: a reader appending in file
// order costs no allocation per entry, rows are walked in column order without pointer
// chasing, and bulk changes in any order go through setMany in one merge.
//
// Columns may carry names ("survival:time3") while the program runs: model formulas
// give them, the renumberings carry them with their columns, and no file holds them.

#include <cassert>
#include <cstdint>
#include <string>
#include <vector>

namespace tw {

class DesignMatrix {
public:
    struct Entry {
        int row = 0;
        int col = 0;
        double value = 0;
        bool operator==(const Entry&) const = default;
    };

    /// The entries of one row, in increasing column order.
    class RowView {
    public:
        RowView(const Entry* begin, const Entry* end) : m_begin(begin), m_end(end) {}
        const Entry* begin() const { return m_begin; }
        const Entry* end() const { return m_end; }
        bool empty() const { return m_begin == m_end; }
        /// The first entry whose column is at least col.
        const Entry* lowerBound(int col) const;

    private:
        const Entry* m_begin;
        const Entry* m_end;
    };

    static constexpr int kMaxIndex = 32767;

    /// dm(r, c); 0 for an entry never set.
    double get(int row, int col) const;
    /// Sets dm(r, c); a value of 0 removes the entry. Row and column must lie in 0..32767.
    /// Cheap when entries arrive in row-then-column order; use setMany for bulk changes.
    void set(int row, int col, double value)
    {
        // Inline for the reader, which appends entries in order.
        assert(row >= 0 && row <= kMaxIndex && col >= 0 && col <= kMaxIndex);
        if (afterLast(row, col)) {
            if (value != 0.0)
                m_entries.push_back({row, col, value});
            return;
        }
        // Clearing an entry before the first one held (the reader's 0 0 0) needs no search.
        if (value == 0.0 && beforeFirst(row, col))
            return;
        setWithin(row, col, value);
    }
    /// Applies many changes at once (in any order; of two changes to one entry the later
    /// wins), in time proportional to the entries held plus the changes.
    void setMany(std::vector<Entry> changes);
    /// The non-zero entries of one row (empty when it has none).
    RowView row(int row) const;
    /// Every non-zero entry, by row and then column.
    const std::vector<Entry>& entries() const { return m_entries; }
    /// Number of non-zero entries.
    std::size_t size() const { return m_entries.size(); }

    /// dmcolused(c): whether column c holds an entry (or was added in the window).
    bool colUsed(int col) const;
    void setColUsed(int col, bool used = true)
    {
        // Inline for the reader, which flags a column per entry.
        if (col >= 0 && static_cast<std::size_t>(col) < m_colused.size())
            m_colused[col] = used ? 1 : 0;
        else
            growColUsed(col, used);
    }

    /// The name of column c; empty when it has none.
    const std::string& columnName(int col) const;
    /// Names columns 1..names.size() (names[c - 1]) and no other column.
    void setColumnNames(std::vector<std::string> names);
    /// Takes the name off column c (its entries no longer are what the name says).
    void dropColumnName(int col);
    /// Whether columns may have names (false: no column has one).
    bool hasColumnNames() const { return !m_names.empty(); }

    /// Makes room for entries, as a reader that knows their number does.
    void reserve(std::size_t entries) { m_entries.reserve(entries); }
    /// Removes every entry, every column flag and every column name.
    void clear();

    bool operator==(const DesignMatrix& other) const;

private:
    bool afterLast(int row, int col) const
    {
        return m_entries.empty() || m_entries.back().row < row
            || (m_entries.back().row == row && m_entries.back().col < col);
    }
    bool beforeFirst(int row, int col) const
    {
        return row < m_entries.front().row || (row == m_entries.front().row && col < m_entries.front().col);
    }
    void setWithin(int row, int col, double value);
    void growColUsed(int col, bool used);

    std::vector<Entry> m_entries;
    std::vector<std::uint8_t> m_colused;  // grows to the highest column flagged
    std::vector<std::string> m_names;     // column c at [c - 1]; empty when no column has a name
};

}  // namespace tw
