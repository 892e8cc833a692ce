#pragma once
// Undo steps as differences: the values of a list that one command changed, each with
// its value before and after, so that undo and redo set one side or the other.

#include <cassert>
#include <vector>

namespace tw {

enum class ChangeSide { Before, After };

template <class T>
struct ValueChange {
    int index = 0;
    T before{};
    T after{};

    const T& side(ChangeSide which) const { return which == ChangeSide::After ? after : before; }
    bool operator==(const ValueChange&) const = default;
};

/// The values that differ between two lists of the same size, in index order.
template <class T>
std::vector<ValueChange<T>> valueChanges(const std::vector<T>& before, const std::vector<T>& after)
{
    assert(before.size() == after.size());
    std::vector<ValueChange<T>> changes;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (!(before[i] == after[i]))
            changes.push_back({static_cast<int>(i), before[i], after[i]});
    return changes;
}

}  // namespace tw
