#pragma once
// The text rules of the model files: how numbers are read out of lines and how the
// writers print them. Positions are 1-based where the file format speaks of them.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tw {

// ---- Reading ------------------------------------------------------------------

/// The lenient decimal value of a text. Blanks, tabs and line feeds are skipped
/// anywhere; an optional sign, digits with at most one decimal point, and an exponent
/// (E, e, D or d, optional sign, at least one digit) are taken; reading stops at the
/// first other character. "&H"/"&O" (either case) at the start read an unsigned hex or
/// octal whole number. No number gives 0. nullopt only when the value overflows a double.
std::optional<double> decimalValue(std::string_view text);

/// decimalValue where overflow is not an error worth reporting (it reads as 0).
double decimalValueOr0(std::string_view text);

/// Rounds half to even and checks the 16-bit range; nullopt outside -32768..32767.
std::optional<std::int16_t> roundToInt16(double value);

/// Rounds half to even (no range check).
double roundHalfEven(double value);

/// Position of a keyword as the readers use it: the 1-based position of the upper-case
/// form plus that of the lower-case form, each 0 when absent.
std::size_t keywordPosition(std::string_view line, std::string_view upper, std::string_view lower);

/// Whether the line contains the text (case-sensitive substring).
inline bool contains(std::string_view line, std::string_view text)
{
    return line.find(text) != std::string_view::npos;
}

/// The text from 1-based position pos to the end; empty when pos lies past the end.
std::string_view textFrom(std::string_view line, std::size_t pos);

/// Supplies the next line of a file for rules that may run over lines; false at the end.
using NextLine = std::function<bool(std::string&)>;

/// Takes the next number from the front of text and removes it. Looks for the first
/// digit followed by neither a digit nor "."; the value is decimalValue of the text up
/// to it. When text holds no such digit, the next line replaces text and the search is
/// repeated. nullopt when the lines run out (or the number overflows a double).
std::optional<double> getnum(std::string& text, const NextLine& nextLine);

/// Supplies the next line of a file by appending it to its argument; false at the end
/// (the argument left as it was).
using AppendLine = std::function<bool(std::string&)>;

/// After a block's heading, joins lines (nothing between them) until a joined line
/// contains ";". The block's text is block from the returned position: its leading
/// blanks are no part of it. line is left holding the last line read. nullopt when the
/// lines run out first.
std::optional<std::size_t> gatherBlock(std::string& block, std::string& line, const AppendLine& appendLine);

/// The tokens of a block gathered by gatherBlock. A token ends at the first blank (a tab
/// is no separator); without a blank it is the rest less its last character (the ";").
/// Missing values at the end read as 0. Walks the block in place (it must outlive the
/// walker), so a block of any size costs time in proportion to its length.
class PimTokens {
public:
    explicit PimTokens(std::string_view block) : m_block(block) {}
    /// decimalValue of the next token; nullopt when it overflows a double.
    std::optional<double> next() { return decimalValue(nextToken()); }
    /// The next token's text; empty once the block is used up (it reads as 0).
    std::string_view nextToken();
    /// The text not read yet; empty once the block is used up.
    std::string_view rest() const { return m_exhausted ? std::string_view() : m_block.substr(m_pos); }
    /// Passes over count characters of rest() that a caller has read itself.
    void skip(std::size_t count) { m_pos += count; }

private:
    std::string_view m_block;
    std::size_t m_pos = 0;
    bool m_exhausted = false;
};

/// A token of a design line: from pos, skips blanks and returns the run of characters up
/// to the next blank; pos is left just after the token. The token ends at most at limit
/// (an index).
std::string_view designToken(std::string_view line, std::size_t& pos, std::size_t limit = std::string_view::npos);

// ---- Printing -----------------------------------------------------------------

/// Signed text: up to 15 significant digits in the shortest form, no zero before the
/// decimal point, a leading blank for values >= 0 or "-" for negatives; -0 prints as
/// " 0". Magnitudes below 1E-4 or from 1E15 up take the exponent form (" 1E-05").
std::string signedText(double value);
/// Bare text: the signed text without its first character (12 -> "12", .5 -> ".5").
std::string bareText(double value);
/// Print text: the signed text followed by one blank (12 -> " 12 ").
std::string printText(double value);
/// Four-digit cell number: at least four digits with leading zeros (3 -> "0003").
std::string cellNumber4(int cell);
/// Plain decimal text for display: no leading blank, "-" for negatives, a zero before
/// the decimal point, up to 15 significant digits (1, 0, -1, 0.5).
std::string plainText(double value);

}  // namespace tw
