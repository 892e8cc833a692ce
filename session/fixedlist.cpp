#include "session/fixedlist.h"

#include <algorithm>
#include <cassert>

namespace tw {

ListChange listChange(const std::vector<std::string>& before, const std::vector<std::string>& after)
{
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head
           && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    ListChange change;
    change.first = static_cast<int>(head);
    change.before.assign(before.begin() + static_cast<long>(head), before.end() - static_cast<long>(tail));
    change.after.assign(after.begin() + static_cast<long>(head), after.end() - static_cast<long>(tail));
    return change;
}

void applyListChange(std::vector<std::string>& entries, const ListChange& change, ChangeSide side)
{
    const std::vector<std::string>& from = side == ChangeSide::After ? change.before : change.after;
    const std::vector<std::string>& to = side == ChangeSide::After ? change.after : change.before;
    const auto first = entries.begin() + change.first;
    assert(static_cast<std::size_t>(change.first) + from.size() <= entries.size());
    assert(std::equal(from.begin(), from.end(), first));
    const auto kept = entries.erase(first, first + static_cast<long>(from.size()));
    entries.insert(kept, to.begin(), to.end());
}

void FixedList::show()
{
    m_bound = -1;
    m_field = m_entries.empty() ? std::string() : m_entries.front();
}

void FixedList::bind(int row)
{
    if (!holds(row)) {
        m_bound = -1;
        return;
    }
    m_bound = row;
    m_boundEntries = m_entries;
    m_field = m_entries[static_cast<std::size_t>(row)];
}

void FixedList::type(std::string text)
{
    m_field = std::move(text);
    if (m_bound < 0)
        return;
    if (m_entries != m_boundEntries) {
        m_bound = -1;  // the list changed since the binding
        return;
    }
    m_entries[static_cast<std::size_t>(m_bound)] = m_field;
    m_boundEntries[static_cast<std::size_t>(m_bound)] = m_field;
}

void FixedList::add()
{
    m_bound = -1;
    m_entries.push_back(m_field);
    m_field.clear();
}

void FixedList::remove(int row)
{
    if (!holds(row))
        return;
    m_bound = -1;
    m_entries.erase(m_entries.begin() + row);
}

void FixedList::replaceEntries(std::vector<std::string> entries)
{
    m_entries = std::move(entries);
    m_bound = -1;
}

void FixedList::apply(const ListChange& change, ChangeSide side)
{
    applyListChange(m_entries, change, side);
    m_bound = -1;
}

}  // namespace tw
