#include "design/designdata.h"

#include <algorithm>

namespace tw {

namespace {

constexpr std::string_view kKindNames[kKindCount] = {"survival", "movement", "open", "closed"};
constexpr std::string_view kVariableNames[kVariableCount] = {"group",   "age",      "stratum", "tostratum",
                                                             "time",    "session",  "occasion", "Time",
                                                             "Age",     "Session",  "Occasion"};

using V = Variable;
constexpr Variable kSurvival[] = {V::Group, V::Age, V::Stratum, V::Time, V::TimeNumber, V::AgeNumber};
constexpr Variable kMovement[] = {V::Group, V::Age, V::Stratum, V::ToStratum, V::Time, V::TimeNumber, V::AgeNumber};
constexpr Variable kOpen[] = {V::Age, V::Stratum, V::Time, V::TimeNumber, V::AgeNumber};
constexpr Variable kClosed[] = {V::Age,           V::Stratum,        V::Session,  V::Occasion,
                                V::SessionNumber, V::OccasionNumber, V::AgeNumber};

std::string number(long value) { return std::to_string(value); }

int secondaryPeriods(const Model& m, int t) { return static_cast<int>(m.secpers[static_cast<std::size_t>(t)]); }

void fillTransitions(const Model& m, std::vector<CellDesign>& cells)
{
    for (int g = 1; g <= m.groups; ++g)
        for (int a = 1; a <= m.nage; ++a)
            for (int t = 1; t <= m.nyrs - 1; ++t)
                for (int s1 = 1; s1 <= m.nstrat; ++s1)
                    for (int s2 = 1; s2 <= m.nstrat; ++s2) {
                        CellDesign& d = cells[static_cast<std::size_t>(transitionCell(m, g, a, t, s1, s2))];
                        d.kind = s1 == s2 ? CellKind::Survival : CellKind::Movement;
                        d.set(V::Group, g);
                        d.set(V::Age, a);
                        d.set(V::Stratum, s1);
                        if (s1 != s2)
                            d.set(V::ToStratum, s2);
                        d.set(V::Time, t);
                    }
}

void fillCaptures(const Model& m, std::vector<CellDesign>& cells)
{
    for (int s = 1; s <= m.nstrat; ++s)
        for (int a = 1; a <= m.nage; ++a) {
            for (int t = 1; t <= m.nyrs - 1; ++t) {
                CellDesign& d = cells[static_cast<std::size_t>(openCaptureCell(m, s, a, t))];
                d.kind = CellKind::Open;
                d.set(V::Age, a);
                d.set(V::Stratum, s);
                d.set(V::Time, t);
            }
            for (int t = 1; t <= m.nyrs; ++t)
                for (int k = 1; k <= secondaryPeriods(m, t); ++k) {
                    CellDesign& d = cells[static_cast<std::size_t>(closedCaptureCell(m, s, a, t, k))];
                    d.kind = CellKind::Closed;
                    d.set(V::Age, a);
                    d.set(V::Stratum, s);
                    d.set(V::Session, t);
                    d.set(V::Occasion, k);
                }
        }
}

}  // namespace

std::string_view kindName(CellKind kind) { return kKindNames[kindIndex(kind)]; }

std::optional<CellKind> kindNamed(std::string_view name)
{
    for (CellKind kind : kAllKinds)
        if (kindName(kind) == name)
            return kind;
    return std::nullopt;
}

std::string_view variableName(Variable variable) { return kVariableNames[static_cast<int>(variable)]; }

std::optional<Variable> variableNamed(std::string_view name)
{
    for (int i = 0; i < kVariableCount; ++i)
        if (kVariableNames[i] == name)
            return static_cast<Variable>(i);
    return std::nullopt;
}

std::span<const Variable> kindVariables(CellKind kind)
{
    switch (kind) {
    case CellKind::Survival:
        return kSurvival;
    case CellKind::Movement:
        return kMovement;
    case CellKind::Open:
        return kOpen;
    case CellKind::Closed:
        return kClosed;
    }
    return {};
}

bool kindHas(CellKind kind, Variable variable)
{
    const auto variables = kindVariables(kind);
    return std::find(variables.begin(), variables.end(), variable) != variables.end();
}

std::string kindVariableList(CellKind kind)
{
    std::string list;
    for (Variable variable : kindVariables(kind)) {
        if (!list.empty())
            list += ", ";
        list += variableName(variable);
    }
    return list;
}

long kindCellCount(const Model& m, CellKind kind)
{
    const long intervals = std::max(m.nyrs - 1, 0);
    const long strata = m.nstrat;
    switch (kind) {
    case CellKind::Survival:
        return static_cast<long>(m.groups) * m.nage * strata * intervals;
    case CellKind::Movement:
        return static_cast<long>(m.groups) * m.nage * strata * std::max(strata - 1, 0L) * intervals;
    case CellKind::Open:
        return strata * m.nage * intervals;
    case CellKind::Closed:
        return strata * m.nage * m.totsec;
    }
    return 0;
}

Result<std::vector<CellDesign>> designData(const Model& m)
{
    const long expected = expectedCellCount(m);
    if (m.npar != expected)
        return makeError("the model has NPAR=" + number(m.npar) + " cells, but its dimensions give " + number(expected)
                         + ": design data needs every cell in its block");
    const auto periods = static_cast<std::size_t>(std::max(m.nyrs, 0)) + 1;
    if (m.secpers.size() < periods || m.cumsec.size() < periods || m.pim.size() != static_cast<std::size_t>(m.npar) + 1)
        return makeError("the model's arrays do not match its dimensions");
    for (int t = 1; t <= m.nyrs; ++t)
        if (m.cumsec[static_cast<std::size_t>(t)] != m.cumsec[static_cast<std::size_t>(t) - 1] + secondaryPeriods(m, t))
            return makeError("the model's secondary periods do not add up");
    if (m.nyrs > 0 && m.cumsec[static_cast<std::size_t>(m.nyrs)] != m.totsec)
        return makeError("the model's secondary periods do not add up");
    std::vector<CellDesign> cells(static_cast<std::size_t>(m.npar) + 1);
    fillTransitions(m, cells);
    fillCaptures(m, cells);
    return cells;
}

std::string designDataText(const CellDesign& design)
{
    std::string text;
    for (Variable variable : kindVariables(design.kind)) {
        if (!isFactor(variable))
            continue;
        if (!text.empty())
            text += ", ";
        text += std::string(variableName(variable)) + " " + number(design.value(variable));
    }
    return text;
}

}  // namespace tw
