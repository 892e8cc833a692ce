#include "model/designmatrix.h"

#include <algorithm>
#include <cassert>

namespace tw {

namespace {

bool before(const DesignMatrix::Entry& a, const DesignMatrix::Entry& b)
{
    return a.row != b.row ? a.row < b.row : a.col < b.col;
}

}  // namespace

const DesignMatrix::Entry* DesignMatrix::RowView::lowerBound(int col) const
{
    return std::lower_bound(m_begin, m_end, col, [](const Entry& e, int c) { return e.col < c; });
}

double DesignMatrix::get(int row, int col) const
{
    const Entry key{row, col, 0};
    auto it = std::lower_bound(m_entries.begin(), m_entries.end(), key, before);
    return it != m_entries.end() && it->row == row && it->col == col ? it->value : 0.0;
}

// An entry at or before the last one held.
void DesignMatrix::setWithin(int row, int col, double value)
{
    assert(row >= 0 && row <= kMaxIndex && col >= 0 && col <= kMaxIndex);
    const Entry entry{row, col, value};
    auto it = std::lower_bound(m_entries.begin(), m_entries.end(), entry, before);
    const bool found = it != m_entries.end() && it->row == row && it->col == col;
    if (value == 0.0) {
        if (found)
            m_entries.erase(it);
    } else if (found) {
        it->value = value;
    } else {
        m_entries.insert(it, entry);
    }
}

void DesignMatrix::setMany(std::vector<Entry> changes)
{
    std::stable_sort(changes.begin(), changes.end(), before);
    std::vector<Entry> merged;
    merged.reserve(m_entries.size() + changes.size());
    auto old = m_entries.begin();
    for (std::size_t i = 0; i < changes.size(); ++i) {
        // Of several changes to one entry the last one counts.
        if (i + 1 < changes.size() && !before(changes[i], changes[i + 1]))
            continue;
        const Entry& change = changes[i];
        assert(change.row >= 0 && change.row <= kMaxIndex && change.col >= 0 && change.col <= kMaxIndex);
        while (old != m_entries.end() && before(*old, change))
            merged.push_back(*old++);
        if (old != m_entries.end() && !before(change, *old))
            ++old;  // replaced
        if (change.value != 0.0)
            merged.push_back(change);
    }
    merged.insert(merged.end(), old, m_entries.end());
    m_entries = std::move(merged);
}

DesignMatrix::RowView DesignMatrix::row(int row) const
{
    auto first = std::lower_bound(m_entries.begin(), m_entries.end(), row,
                                  [](const Entry& e, int r) { return e.row < r; });
    auto last = first;
    while (last != m_entries.end() && last->row == row)
        ++last;
    const Entry* data = m_entries.data();
    return RowView(data + (first - m_entries.begin()), data + (last - m_entries.begin()));
}

bool DesignMatrix::colUsed(int col) const
{
    return col >= 0 && static_cast<std::size_t>(col) < m_colused.size() && m_colused[col] != 0;
}

void DesignMatrix::growColUsed(int col, bool used)
{
    assert(col >= 0 && col <= kMaxIndex);
    if (!used)
        return;
    // Doubling keeps flagging columns in increasing order (as a reader does) cheap.
    m_colused.resize(std::min<std::size_t>(std::max<std::size_t>(col + 1, 2 * m_colused.size()), kMaxIndex + 1), 0);
    m_colused[col] = 1;
}

void DesignMatrix::clear()
{
    m_entries.clear();
    m_colused.clear();
    m_names.clear();
}

const std::string& DesignMatrix::columnName(int col) const
{
    static const std::string none;
    return col >= 1 && static_cast<std::size_t>(col) <= m_names.size() ? m_names[col - 1] : none;
}

void DesignMatrix::setColumnNames(std::vector<std::string> names)
{
    if (names.size() > static_cast<std::size_t>(kMaxIndex))
        names.resize(kMaxIndex);
    const bool anyName = std::any_of(names.begin(), names.end(), [](const std::string& n) { return !n.empty(); });
    m_names = anyName ? std::move(names) : std::vector<std::string>{};
}

void DesignMatrix::dropColumnName(int col)
{
    if (col < 1 || static_cast<std::size_t>(col) > m_names.size())
        return;
    m_names[col - 1].clear();
}

bool DesignMatrix::operator==(const DesignMatrix& other) const
{
    if (m_entries != other.m_entries)
        return false;
    const std::size_t n = std::max(m_colused.size(), other.m_colused.size());
    for (std::size_t c = 0; c < n; ++c)
        if (colUsed(static_cast<int>(c)) != other.colUsed(static_cast<int>(c)))
            return false;
    const std::size_t names = std::max(m_names.size(), other.m_names.size());
    for (std::size_t c = 1; c <= names; ++c)
        if (columnName(static_cast<int>(c)) != other.columnName(static_cast<int>(c)))
            return false;
    return true;
}

}  // namespace tw
