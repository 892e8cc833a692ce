#pragma once
// The design data of each cell: which kind of probability it is (survival, movement,
// open capture, closed capture) and the levels of the factors that describe it (group,
// age class, strata, period, occasion), read off the cell numbering of the model. Model
// formulas name these variables; the numeric variables (Time, Age, Session, Occasion)
// are their factor's level minus one.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "model/result.h"

namespace tw {

/// The four kinds of probability, in the order the design matrix holds their columns.
enum class CellKind : std::uint8_t { Survival, Movement, Open, Closed };
inline constexpr int kKindCount = 4;
inline constexpr std::array<CellKind, kKindCount> kAllKinds{CellKind::Survival, CellKind::Movement, CellKind::Open,
                                                           CellKind::Closed};
inline int kindIndex(CellKind kind) { return static_cast<int>(kind); }

/// The variables of the design data: the factors first, then the numeric variables.
enum class Variable : std::uint8_t {
    Group,
    Age,
    Stratum,
    ToStratum,
    Time,
    Session,
    Occasion,
    TimeNumber,      // Time = time - 1
    AgeNumber,       // Age = age - 1
    SessionNumber,   // Session = session - 1
    OccasionNumber,  // Occasion = occasion - 1
};
inline constexpr int kFactorCount = 7;
inline constexpr int kVariableCount = 11;

/// The name of a kind in formulas and column names: "survival", "movement", "open", "closed".
std::string_view kindName(CellKind kind);
/// The kind of a name as formulas write it (exact case); nullopt for any other text.
std::optional<CellKind> kindNamed(std::string_view name);
/// The name of a variable in formulas: "group", ..., "Time", "Age", "Session", "Occasion".
std::string_view variableName(Variable variable);
/// The variable of a name (exact case); nullopt for any other text.
std::optional<Variable> variableNamed(std::string_view name);
/// Whether the variable is a factor (its levels make columns) rather than a number.
inline bool isFactor(Variable variable) { return static_cast<int>(variable) < kFactorCount; }
/// The factor a variable reads: a factor itself; Time, Age, Session, Occasion their factor.
inline Variable factorOf(Variable variable)
{
    constexpr Variable numbered[] = {Variable::Time, Variable::Age, Variable::Session, Variable::Occasion};
    return isFactor(variable) ? variable : numbered[static_cast<int>(variable) - kFactorCount];
}
/// The variables of a kind, factors first, in the order messages list them.
std::span<const Variable> kindVariables(CellKind kind);
/// Whether formulas of the kind may name the variable.
bool kindHas(CellKind kind, Variable variable);
/// The variables of a kind as messages list them: "group, age, stratum, time, Time, Age".
std::string kindVariableList(CellKind kind);

/// The design data of one cell.
struct CellDesign {
    CellKind kind = CellKind::Survival;
    std::array<std::int16_t, kFactorCount> level{};  // by factor; 0 for factors the kind has not

    /// A factor's level, or a numeric variable's value (its factor's level minus one).
    int value(Variable variable) const
    {
        const int factor = static_cast<int>(factorOf(variable));
        return isFactor(variable) ? level[factor] : level[factor] - 1;
    }
    void set(Variable factor, int value) { level[static_cast<int>(factor)] = static_cast<std::int16_t>(value); }
    bool operator==(const CellDesign&) const = default;
};

/// Number of cells of a kind the dimensions give (movement: none with one stratum).
long kindCellCount(const Model& model, CellKind kind);

/// The design data of cells 1..npar (index 0 unused), from the cell numbering. Refuses a
/// model whose npar differs from the cells its dimensions give, or whose per-period
/// arrays do not cover nyrs.
Result<std::vector<CellDesign>> designData(const Model& model);

/// The design data as the design window shows it beside a parameter: the kind's factors
/// with their levels, "group 1, age 2, stratum 1, time 3".
std::string designDataText(const CellDesign& design);

}  // namespace tw
