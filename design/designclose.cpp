// Close of the design-matrix table: checking that every header and entry reads, and
// storing the edited entries into the model's design matrix.
#include "design/designtable.h"

#include <charconv>
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>

namespace tw {

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Length of the run of digits at pos.
std::size_t digitsAt(std::string_view text, std::size_t pos)
{
    std::size_t n = 0;
    while (pos + n < text.size() && isDigit(text[pos + n]))
        ++n;
    return n;
}

// Whether text is exactly a decimal number: sign, digits with at most one point (at
// least one digit), an optional exponent with at least one digit.
bool isDecimalNumber(std::string_view text)
{
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    std::size_t mantissa = digitsAt(text, pos);
    pos += mantissa;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        const std::size_t fraction = digitsAt(text, pos);
        pos += fraction;
        mantissa += fraction;
    }
    if (mantissa == 0)
        return false;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            ++pos;
        const std::size_t exponent = digitsAt(text, pos);
        if (exponent == 0)
            return false;
        pos += exponent;
    }
    return pos == text.size();
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

}  // namespace

std::string headerText(int column)
{
    return "B" + std::to_string(column);
}

std::optional<int> columnNumber(std::string_view header)
{
    std::string_view text = trimmed(header);
    if (!text.empty() && (text.front() == 'B' || text.front() == 'b'))
        text = trimmed(text.substr(1));
    if (text.empty() || text.size() > 5 || digitsAt(text, 0) != text.size())
        return std::nullopt;
    int number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    if (number < 1 || number > DesignMatrix::kMaxIndex)
        return std::nullopt;
    return number;
}

std::optional<double> entryValue(std::string_view text)
{
    std::string_view number = trimmed(text);
    if (!isDecimalNumber(number))
        return std::nullopt;
    // from_chars reads no leading "+" and ignores the locale, unlike strtod.
    if (number.front() == '+')
        number.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value))
        return std::nullopt;
    return value == 0.0 ? 0.0 : value;  // no negative zero in the matrix
}

std::optional<DesignRefusal> DesignTable::check() const
{
    bool anyEntries = false;
    for (const DesignRow& row : m_rows)
        anyEntries = anyEntries || row.hasEntries;
    if (!anyEntries || columnCount() == 0)
        return std::nullopt;

    for (int j = 0; j < columnCount(); ++j) {
        const std::string& header = m_columns[j].header;
        if (columnNumber(header))
            continue;
        return DesignRefusal{"The header " + quoted(header) + " of column " + std::to_string(j + 1)
                                 + " does not name a design-matrix column (B1 to B"
                                 + std::to_string(DesignMatrix::kMaxIndex) + ").",
                             -1, j};
    }
    for (int cell = 0; cell < cellCount(); ++cell) {
        if (!editable(cell) || entryValue(m_texts[cell]))
            continue;
        const std::string where
            = "row " + quoted(rowName(rowOf(cell))) + " under " + m_columns[columnOf(cell)].header;
        const std::string message = trimmed(m_texts[cell]).empty()
            ? "The entry in " + where + " is empty: type a number (0 for none)."
            : "The entry " + quoted(m_texts[cell]) + " in " + where + " is not a number.";
        return DesignRefusal{message, cell, columnOf(cell)};
    }
    return std::nullopt;
}

bool DesignTable::writeBack(Model& model) const
{
    // Entries to store, by (parameter, column): a later edited cell replaces an earlier
    // one; cells the user left alone store nothing.
    std::map<std::pair<int, int>, double> stores;
    // Columns that take entries read from another column: their names no longer hold.
    std::set<int> taking;
    for (int cell = 0; cell < cellCount(); ++cell) {
        if (!editable(cell) || !edited(cell))
            continue;
        const int modelCell = m_rows[rowOf(cell)].cell;
        if (modelCell < 1 || static_cast<std::size_t>(modelCell) >= model.pim.size())
            continue;
        const int parameter = model.pim[modelCell];
        const auto column = columnNumber(m_columns[columnOf(cell)].header);
        const auto value = entryValue(m_texts[cell]);
        if (parameter <= 0 || !column || !value)
            continue;
        stores[{parameter, *column}] = *value;
        if (column != columnNumber(m_columns[columnOf(cell)].builtHeader))
            taking.insert(*column);
    }
    for (int column : taking)
        model.dm.dropColumnName(column);

    bool changed = false;
    std::vector<DesignMatrix::Entry> changes;
    for (const auto& [where, value] : stores) {
        const auto [parameter, column] = where;
        if (model.dm.get(parameter, column) != value) {
            changes.push_back({parameter, column, value});
            changed = true;
        }
        if (value == 0.0)
            continue;
        // The writer emits only used columns up to dmcols: keep a typed entry in reach.
        if (!model.dm.colUsed(column)) {
            model.dm.setColUsed(column);
            model.dm.dropColumnName(column);
            changed = true;
        }
        if (column > model.dmcols) {
            for (int reached = std::max(model.dmcols, 0) + 1; reached <= column; ++reached)
                model.dm.dropColumnName(reached);
            model.dmcols = column;
            changed = true;
        }
    }
    model.dm.setMany(std::move(changes));
    if (changed)
        model.markChanged();
    return changed;
}

}  // namespace tw
