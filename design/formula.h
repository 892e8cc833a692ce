#pragma once
// Model formulas: "~ time + stratum", one per kind of probability. The terms are those
// of R's formulas: "+" adds terms, "a:b" is an interaction, "a*b" is "a + b + a:b",
// parentheses group, "-" removes terms, and 1, 0 and -1 add or remove the intercept.
// Terms are ordered by degree, in formula order within a degree; variables by their
// first appearance in the text. A refused formula names the column (1-based, counted in
// characters of the text given) of the fault.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "design/designdata.h"
#include "model/result.h"

namespace tw {

/// Why a formula (or the formulas together) cannot be used, and where.
struct FormulaError {
    std::optional<CellKind> kind;  // the kind whose formula is refused, when known
    std::string formula;           // the formula refused (the text the column counts in); empty when none
    int column = 0;                // 1-based, in characters of formula; 0 when the error has no place
    std::string message;           // names the column itself when there is one

    /// Blanks (tabs where the formula has tabs) up to the column, then "^"; empty without a column.
    std::string caretLine() const;
    /// The formula, the caret line and the message, one per line (each line only when there is one).
    std::string text() const;
    /// The text as an error of the core (for the command line).
    Error toError() const { return makeError(text()); }
    bool operator==(const FormulaError&) const = default;
};

/// A value, or the error of a formula.
template <class T>
class [[nodiscard]] FormulaResult {
public:
    FormulaResult(T value) : m_state(std::move(value)) {}
    FormulaResult(FormulaError error) : m_state(std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(m_state); }
    const T& value() const { return std::get<0>(m_state); }
    const T* operator->() const { return &value(); }
    const FormulaError& error() const { return std::get<1>(m_state); }

private:
    std::variant<T, FormulaError> m_state;
};

/// A parsed formula: its terms as sets of variables.
struct Formula {
    CellKind kind = CellKind::Survival;
    std::string text;                  // the text parsed
    bool intercept = true;
    std::vector<Variable> variables;   // every variable named, in order of first appearance
    std::vector<std::uint32_t> terms;  // bit i: variables[i]; by degree, then in formula order
    int termsColumn = 0;               // column of the first character after "~"
    bool operator==(const Formula&) const = default;
};

/// R's label of a term: its variables in variable order joined by ":" ("time:stratum").
std::string termLabel(const Formula& formula, std::uint32_t term);
/// Number of variables in a term.
int termDegree(std::uint32_t term);

/// The formulas of the kinds that have one; the other kinds keep their parameters.
struct FormulaSet {
    std::array<std::optional<Formula>, kKindCount> byKind;
    const std::optional<Formula>& operator[](CellKind kind) const { return byKind[kindIndex(kind)]; }
    std::optional<Formula>& operator[](CellKind kind) { return byKind[kindIndex(kind)]; }
};

/// Parses "~ terms" for a kind; only the kind's variables may appear.
FormulaResult<Formula> parseFormula(CellKind kind, std::string_view text);
/// Parses "kind ~ terms", the kind named first ("survival ~ time + stratum").
FormulaResult<Formula> parseKindFormula(std::string_view text);
/// Parses formulas separated by ";" ("survival ~ time; movement ~ -1 + stratum:tostratum"),
/// at most one per kind; blank pieces are skipped. Columns count in each formula's text
/// without the blanks around it.
FormulaResult<FormulaSet> parseFormulaList(std::string_view text);

}  // namespace tw
