#pragma once
// The fixed-parameter list as its editor holds it: the entries (fixing lines such as
// "S(12)=.5 /* phi */;", free text, never checked), the edit field, and the entry the
// field is bound to. A plain value type: the session keeps one, and an undo step is the
// difference between two lists of entries.
//
// The field is bound to an entry only after "Modify" (or a double-click); typing then
// changes that entry. Text typed while the field is unbound stays apart until "Add".
// The binding holds only while the entries are the ones it was made on: any other change
// of the list (a command, an undo, a read) ends it.

#include <string>
#include <vector>

#include "model/valuechange.h"

namespace tw {

/// One change of a list of entries: the entries from first on that were replaced.
struct ListChange {
    int first = 0;
    std::vector<std::string> before;
    std::vector<std::string> after;

    bool operator==(const ListChange&) const = default;
    bool empty() const { return before == after; }
};

/// The smallest change that turns before into after (common head and tail left out).
ListChange listChange(const std::vector<std::string>& before, const std::vector<std::string>& after);

/// Applies one side of a change to entries that hold the other side.
void applyListChange(std::vector<std::string>& entries, const ListChange& change, ChangeSide side);

class FixedList {
public:
    FixedList() = default;
    explicit FixedList(std::vector<std::string> entries) : m_entries(std::move(entries)) {}

    const std::vector<std::string>& entries() const { return m_entries; }
    const std::string& field() const { return m_field; }
    /// The entry the field is bound to; -1 when it is bound to none.
    int bound() const { return m_bound; }

    /// "Fixed parms": unbinds and shows entry 0 in the field (empty when there is none).
    void show();
    /// "Modify": binds the field to entry row and shows its text; a row outside the list
    /// unbinds and keeps the field's text.
    void bind(int row);
    /// Typing: the field takes text, and so does the bound entry while the binding holds.
    void type(std::string text);
    /// "Add": appends the field's text as the last entry, then empties and unbinds the field.
    void add();
    /// "Delete": removes entry row and unbinds; a row outside the list changes nothing.
    void remove(int row);
    /// "Done": unbinds.
    void done() { m_bound = -1; }
    /// The program changed the list (a read, the per-period runs): the binding ends.
    void replaceEntries(std::vector<std::string> entries);
    /// Applies one side of a change to the entries (undo and redo); the binding ends.
    void apply(const ListChange& change, ChangeSide side);

    bool operator==(const FixedList&) const = default;

private:
    bool holds(int row) const { return row >= 0 && row < static_cast<int>(m_entries.size()); }

    std::vector<std::string> m_entries;
    std::string m_field;
    int m_bound = -1;
    std::vector<std::string> m_boundEntries;  // the entries when the binding was made
};

}  // namespace tw
