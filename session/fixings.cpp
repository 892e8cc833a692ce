#include "session/fixings.h"

#include <algorithm>
#include <cassert>
#include <unordered_map>

#include "model/constraintsreader.h"
#include "model/textrules.h"

namespace tw {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

void skipBlanks(std::string_view line, std::size_t& pos)
{
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
}

// Cells 1..count have a map value and a fixed value.
int cellCount(const Model& model)
{
    const auto held = std::min(model.pim.size(), model.initval.size());
    return held == 0 ? 0 : std::min(model.npar, static_cast<int>(held) - 1);
}

// The cell a line names, "S(i)" with i a whole number in 1..npar, and the position just
// after its ")"; 0 when the line names none.
int namedCell(std::string_view line, int npar, std::size_t& pos)
{
    pos = constraintCellStart(line);
    if (pos == std::string_view::npos)
        return 0;
    skipBlanks(line, pos);
    long cell = 0;
    const std::size_t first = pos;
    for (; pos < line.size() && isDigit(line[pos]); ++pos)
        cell = std::min(cell * 10 + (line[pos] - '0'), 1000000L);
    skipBlanks(line, pos);
    if (pos == first || pos >= line.size() || line[pos] != ')' || cell < 1 || cell > npar)
        return 0;
    ++pos;
    return static_cast<int>(cell);
}

int namedCell(std::string_view line, int npar)
{
    std::size_t pos = 0;
    return namedCell(line, npar, pos);
}

// Whether a number starts the text after blanks: a sign, then a digit or "." and a digit.
bool startsWithNumber(std::string_view text)
{
    std::size_t pos = 0;
    skipBlanks(text, pos);
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    if (pos < text.size() && text[pos] == '.')
        ++pos;
    return pos < text.size() && isDigit(text[pos]);
}

// The lines of after that before lacks (added or changed) and those of before that after
// lacks (removed or changed), each line counted as often as it occurs.
struct ListEdits {
    std::vector<const std::string*> added;
    std::vector<const std::string*> removed;
};

ListEdits listEdits(const std::vector<std::string>& before, const std::vector<std::string>& after)
{
    std::unordered_map<std::string_view, int> unmatched;
    for (const std::string& line : before)
        ++unmatched[line];
    ListEdits edits;
    for (const std::string& line : after) {
        const auto found = unmatched.find(line);
        if (found != unmatched.end() && found->second > 0)
            --found->second;
        else
            edits.added.push_back(&line);
    }
    for (const std::string& line : before) {
        int& left = unmatched[line];
        if (left > 0) {
            --left;
            edits.removed.push_back(&line);
        }
    }
    return edits;
}

// Parameter numbers for cells estimated again: one above the largest in use, and above
// npar (where the PIM form cannot hold a number) the smallest number no cell holds.
class NewNumbers {
public:
    NewNumbers(Model& model, int cells) : m_model(model), m_cells(cells) {}

    int take()
    {
        if (m_next == 0)
            m_next = largestParameter(m_model) + 1;
        if (m_next <= m_cells)
            return m_next++;
        if (m_used.empty()) {
            m_used.assign(static_cast<std::size_t>(m_cells) + 1, 0);
            for (int cell = 1; cell <= m_cells; ++cell)
                if (const int p = m_model.pim[static_cast<std::size_t>(cell)]; p > 0 && p <= m_cells)
                    m_used[static_cast<std::size_t>(p)] = 1;
        }
        // The cell being freed holds no number, so fewer than m_cells numbers are in use.
        while (m_free <= m_cells && m_used[static_cast<std::size_t>(m_free)] != 0)
            ++m_free;
        assert(m_free <= m_cells);
        m_used[static_cast<std::size_t>(m_free)] = 1;
        return m_free;
    }

private:
    Model& m_model;
    int m_cells;
    int m_next = 0;
    int m_free = 1;
    std::vector<char> m_used;
};

// Whether a cell still stands as a removed fixing of it left it: fixed, or holding the
// special value the line set.
bool heldByRemovedLine(const Model& model, int cell, const std::vector<Fixing>& removed)
{
    const int value = model.pim[static_cast<std::size_t>(cell)];
    if (isFixedMarker(value))
        return true;
    return isSpecialValue(value) && std::any_of(removed.begin(), removed.end(), [&](const Fixing& fixing) {
               return fixing.cell == cell && fixing.value == value;
           });
}

}  // namespace

std::optional<Fixing> readFixingLine(std::string_view line, int npar)
{
    std::size_t pos = 0;
    const int cell = namedCell(line, npar, pos);
    if (cell == 0)
        return std::nullopt;
    skipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != '=')
        return std::nullopt;
    const std::string_view rest = line.substr(pos + 1);
    if (!startsWithNumber(rest))
        return std::nullopt;
    const auto value = decimalValue(rest);
    if (!value)
        return std::nullopt;
    return Fixing{cell, *value};
}

std::string fixingLine(int cell, double value)
{
    return "S(" + cellNumber4(cell) + ")=" + (value >= 0 ? bareText(value) : signedText(value)) + ";";
}

std::vector<std::string> fixingLines(const Model& model)
{
    std::vector<std::string> lines;
    const int cells = cellCount(model);
    for (int cell = 1; cell <= cells; ++cell)
        if (isFixedMarker(model.pim[static_cast<std::size_t>(cell)]))
            lines.push_back(fixingLine(cell, model.initval[static_cast<std::size_t>(cell)]));
    return lines;
}

std::string notAFixingMessage(const std::string& entry, int npar)
{
    if (npar < 1)
        return "\"" + entry + "\" fixes no cell: no model has been read.";
    return "\"" + entry + "\" is not a fixing line S(i)=v of a cell i in 1.." + std::to_string(npar) + ".";
}

Status applyListEdits(Model& model, const std::vector<std::string>& entries)
{
    const int cells = cellCount(model);
    const ListEdits edits = listEdits(model.fixedlist, entries);
    std::vector<int> touched;
    for (const std::string* line : edits.added) {
        const auto fixing = readFixingLine(*line, cells);
        if (!fixing)
            return makeError(notAFixingMessage(*line, cells));
        touched.push_back(fixing->cell);
    }
    std::vector<Fixing> removed;
    for (const std::string* line : edits.removed)
        if (const auto fixing = readFixingLine(*line, cells)) {
            removed.push_back(*fixing);
            touched.push_back(fixing->cell);
        }
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());

    // The value each cell ends at: the last line naming it.
    std::unordered_map<int, double> last;
    if (!touched.empty())
        for (const std::string& line : entries)
            if (const auto fixing = readFixingLine(line, cells))
                last[fixing->cell] = fixing->value;

    bool changed = model.fixedlist != entries;
    NewNumbers numbers(model, cells);
    for (const int cell : touched) {
        const auto index = static_cast<std::size_t>(cell);
        const std::int16_t oldPim = model.pim[index];
        const double oldValue = model.initval[index];
        if (const auto found = last.find(cell); found != last.end()) {
            applyConstraint(model, ConstraintLine{cell, 0, found->second});
        } else if (heldByRemovedLine(model, cell, removed)) {
            model.pim[index] = static_cast<std::int16_t>(numbers.take());
            model.initval[index] = 0;
        }
        changed = changed || model.pim[index] != oldPim || model.initval[index] != oldValue;
    }
    model.fixedlist = entries;
    if (changed)
        model.markChanged();
    return {};
}

std::vector<FixingState> fixingStates(const Model& model, const std::vector<int>& cells)
{
    const int count = cellCount(model);
    std::vector<FixingState> states;
    states.reserve(cells.size());
    for (const int cell : cells) {
        if (cell < 1 || cell > count) {
            states.push_back({});
            continue;
        }
        const auto index = static_cast<std::size_t>(cell);
        const bool fixed = isFixedMarker(model.pim[index]);
        states.push_back({fixed, fixed ? model.initval[index] : 0.0});
    }
    return states;
}

std::vector<int> changedFixings(const Model& model, const std::vector<int>& cells,
                                const std::vector<FixingState>& before)
{
    assert(cells.size() == before.size());
    const std::vector<FixingState> after = fixingStates(model, cells);
    std::vector<int> changed;
    for (std::size_t i = 0; i < cells.size(); ++i)
        if (after[i] != before[i])
            changed.push_back(cells[i]);
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    return changed;
}

void followFixings(std::vector<std::string>& lines, const Model& model, const std::vector<int>& cells)
{
    assert(std::is_sorted(cells.begin(), cells.end()));
    const int count = cellCount(model);
    std::vector<std::pair<int, std::string>> fixed;  // the new lines, in cell order
    for (const int cell : cells)
        if (cell >= 1 && cell <= count && isFixedMarker(model.pim[static_cast<std::size_t>(cell)]))
            fixed.emplace_back(cell, fixingLine(cell, model.initval[static_cast<std::size_t>(cell)]));
    std::vector<std::string> followed;
    followed.reserve(lines.size() + fixed.size());
    std::size_t next = 0;
    for (std::string& line : lines) {
        const int cell = namedCell(line, count);
        if (cell > 0 && std::binary_search(cells.begin(), cells.end(), cell))
            continue;
        for (; cell > 0 && next < fixed.size() && fixed[next].first < cell; ++next)
            followed.push_back(std::move(fixed[next].second));
        followed.push_back(std::move(line));
    }
    for (; next < fixed.size(); ++next)
        followed.push_back(std::move(fixed[next].second));
    lines = std::move(followed);
}

}  // namespace tw
