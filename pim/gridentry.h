#pragma once
// What the text of a grid cell stands for: a parameter number (or special value), or,
// written "=" and a number, the value the cell is fixed at. The grid windows show and
// flag texts by these rules, and the write-back stores them by the same rules.

#include <cstdint>
#include <string>
#include <string_view>

namespace tw {

struct Model;

/// What the write-back makes of a grid cell's text.
struct CellEntry {
    enum class Kind {
        Number,      // pim takes number
        Fixed,       // the cell is fixed at fixedAt
        OutOfRange,  // the number lies outside -32768..32767: the cell keeps its value
    };
    Kind kind = Kind::Number;
    std::int16_t number = 0;  // Kind::Number
    double fixedAt = 0;       // Kind::Fixed
    bool exact = true;        // the text is the number as it stands, nothing more or less

    bool operator==(const CellEntry&) const = default;
};

/// Reads a grid text. A text whose first character other than a blank is "=" fixes the
/// cell at the decimal value of the rest; any other text is a parameter number: its
/// decimal value (no number reads as 0) rounded to a whole number, halves to the even
/// neighbour. Exact means blanks around a whole number ("12", "-1") or around "=" and a
/// decimal number ("=0.3", "=1E-05"); "12abc", "2.5", "" and "=x" are not exact.
CellEntry readCellEntry(std::string_view text);

/// How a grid shows a text: whether it fixes the cell, and whether it is flagged
/// because what it stores is not what it reads (not exact, out of range, or a number
/// below -2, which marks a cell fixed without saying at what). Fast for plain numbers.
struct EntryLook {
    bool fixed = false;
    bool flagged = false;
};
EntryLook entryLook(std::string_view text);

/// For a flagged text, what it will store ("Not a whole number: stored as 12"); empty
/// for a text that is not flagged.
std::string entryNote(std::string_view text);

/// For a text that fixes its cell, "fixed at 0.02"; empty for any other text.
std::string fixedNote(std::string_view text);

/// The text a grid shows for a model cell: its pim value ("12", "0", "-1"), or for a
/// fixed cell "=" and the value it is fixed at ("=0.02").
std::string cellText(const Model& model, int cell);

}  // namespace tw
