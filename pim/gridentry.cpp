#include "pim/gridentry.h"

#include "model/model.h"
#include "model/textrules.h"

namespace tw {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Passes over a run of digits from i; returns how many there were.
std::size_t digitsFrom(std::string_view text, std::size_t& i)
{
    const std::size_t start = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return i - start;
}

void skipSign(std::string_view text, std::size_t& i)
{
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
}

// A sign and digits, nothing else.
bool isWholeNumber(std::string_view text)
{
    std::size_t i = 0;
    skipSign(text, i);
    return digitsFrom(text, i) > 0 && i == text.size();
}

// A sign, digits with at most one decimal point, and an exponent, nothing else.
bool isDecimalNumber(std::string_view text)
{
    std::size_t i = 0;
    skipSign(text, i);
    std::size_t digits = digitsFrom(text, i);
    if (i < text.size() && text[i] == '.') {
        ++i;
        digits += digitsFrom(text, i);
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        skipSign(text, i);
        if (digitsFrom(text, i) == 0)
            return false;
    }
    return i == text.size();
}

bool isFixing(std::string_view text)
{
    const std::string_view rest = trimmed(text);
    return !rest.empty() && rest.front() == '=';
}

bool flagged(const CellEntry& entry)
{
    return !entry.exact || entry.kind == CellEntry::Kind::OutOfRange
        || (entry.kind == CellEntry::Kind::Number && entry.number < -2);
}

}  // namespace

CellEntry readCellEntry(std::string_view text)
{
    const std::string_view whole = trimmed(text);
    if (isFixing(whole)) {
        const std::string_view rest = trimmed(whole.substr(1));
        const auto value = decimalValue(rest);
        if (!value)
            return {CellEntry::Kind::OutOfRange, 0, 0, false};
        return {CellEntry::Kind::Fixed, 0, *value, isDecimalNumber(rest)};
    }
    const auto value = decimalValue(text);
    const auto rounded = value ? roundToInt16(*value) : std::nullopt;
    if (!rounded)
        return {CellEntry::Kind::OutOfRange, 0, 0, isWholeNumber(whole)};
    return {CellEntry::Kind::Number, *rounded, 0, isWholeNumber(whole)};
}

EntryLook entryLook(std::string_view text)
{
    // Plain numbers, by far the most texts of a grid, skip the general reading.
    const std::size_t size = text.size();
    const std::size_t first = size > 0 && text[0] == '-' ? 1 : 0;
    if (size > first && size <= 6) {
        std::size_t i = first;
        int value = 0;
        for (; i < size && isDigit(text[i]); ++i)
            value = value * 10 + (text[i] - '0');
        if (i == size) {
            if (first == 1)
                value = -value;
            return {false, value < -2 || value > 32767};
        }
    }
    const CellEntry entry = readCellEntry(text);
    return {entry.kind == CellEntry::Kind::Fixed, flagged(entry)};
}

std::string entryNote(std::string_view text)
{
    const CellEntry entry = readCellEntry(text);
    if (!flagged(entry))
        return {};
    switch (entry.kind) {
    case CellEntry::Kind::OutOfRange:
        if (isFixing(text))
            return "Too large to fix a cell at: the cell keeps what it holds";
        return "Outside -32768..32767: the cell keeps its parameter number";
    case CellEntry::Kind::Fixed:
        return "Not a plain number after \"=\": stored as fixed at " + plainText(entry.fixedAt);
    case CellEntry::Kind::Number:
        break;
    }
    const std::string stored = std::to_string(entry.number);
    if (trimmed(text).empty())
        return "Empty: stored as 0";
    if (!entry.exact)
        return "Not a whole number: stored as " + stored;
    return "Stored as " + stored + ": a number below -2 marks the cell fixed; type =0.3 to fix it at 0.3";
}

std::string fixedNote(std::string_view text)
{
    const CellEntry entry = readCellEntry(text);
    if (entry.kind != CellEntry::Kind::Fixed)
        return {};
    return "fixed at " + plainText(entry.fixedAt);
}

std::string cellText(const Model& model, int cell)
{
    const auto index = static_cast<std::size_t>(cell);
    const int value = model.pim[index];
    if (isFixedMarker(value) && index < model.initval.size())
        return "=" + plainText(model.initval[index]);
    return std::to_string(value);
}

}  // namespace tw
