#pragma once
// The design matrix dm(r, c): the coefficient of parameter r on regression column c.
// Sparse: memory grows with the non-zero entries held, never with nparms squared, and
// any row or column in 0..32767 can be stored (columns added in the design-matrix
// window may lie beyond nparms). A zero entry is the same as no entry.

#include <cstdint>
#include <map>
#include <vector>

namespace tw {

class DesignMatrix {
public:
    using Row = std::map<int, double>;  // column -> value, non-zero values only

    static constexpr int kMaxIndex = 32767;

    /// dm(r, c); 0 for an entry never set.
    double get(int row, int col) const;
    /// Sets dm(r, c); a value of 0 removes the entry. Row and column must lie in 0..32767.
    void set(int row, int col, double value);
    /// The non-zero entries of one row in increasing column order; nullptr when it has none.
    const Row* row(int row) const;
    /// Every row holding an entry, in increasing row order.
    const std::map<int, Row>& rows() const { return m_rows; }
    /// Number of non-zero entries.
    std::size_t size() const;

    /// dmcolused(c): whether column c holds an entry (or was added in the window).
    bool colUsed(int col) const;
    void setColUsed(int col, bool used = true);

    /// Removes every entry and every column flag.
    void clear();

    bool operator==(const DesignMatrix&) const = default;

private:
    std::map<int, Row> m_rows;
    std::vector<std::uint8_t> m_colused;  // grows to the highest column flagged
};

}  // namespace tw
