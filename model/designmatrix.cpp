#include "model/designmatrix.h"

#include <cassert>

namespace tw {

double DesignMatrix::get(int row, int col) const
{
    auto r = m_rows.find(row);
    if (r == m_rows.end())
        return 0.0;
    auto c = r->second.find(col);
    return c == r->second.end() ? 0.0 : c->second;
}

void DesignMatrix::set(int row, int col, double value)
{
    assert(row >= 0 && row <= kMaxIndex && col >= 0 && col <= kMaxIndex);
    if (value != 0.0) {
        m_rows[row][col] = value;
        return;
    }
    auto r = m_rows.find(row);
    if (r == m_rows.end())
        return;
    r->second.erase(col);
    if (r->second.empty())
        m_rows.erase(r);
}

const DesignMatrix::Row* DesignMatrix::row(int row) const
{
    auto r = m_rows.find(row);
    return r == m_rows.end() ? nullptr : &r->second;
}

std::size_t DesignMatrix::size() const
{
    std::size_t n = 0;
    for (const auto& [index, entries] : m_rows)
        n += entries.size();
    return n;
}

bool DesignMatrix::colUsed(int col) const
{
    return col >= 0 && static_cast<std::size_t>(col) < m_colused.size() && m_colused[col] != 0;
}

void DesignMatrix::setColUsed(int col, bool used)
{
    assert(col >= 0 && col <= kMaxIndex);
    if (static_cast<std::size_t>(col) >= m_colused.size()) {
        if (!used)
            return;
        m_colused.resize(col + 1, 0);
    }
    m_colused[col] = used ? 1 : 0;
}

void DesignMatrix::clear()
{
    m_rows.clear();
    m_colused.clear();
}

}  // namespace tw
