// The commands of the session on model formulas: applying them, and writing the design
// matrix as a table for other programs.
#include "session/session.h"

#include <algorithm>

#include "design/formulaapply.h"
#include "design/designtablefile.h"

namespace tw {

namespace {

constexpr const char* kNoModel = "There is no model yet: read a model file first.";

Outcome failedWith(std::string message)
{
    Outcome outcome;
    outcome.failure = makeError(std::move(message));
    return outcome;
}

// A refused formula as one line: the formula, then what is wrong and where.
std::string formulaFailure(const FormulaError& error)
{
    return error.formula.empty() ? error.message : error.formula + ": " + error.message;
}

// The text a formula field shows: the formula from its "~" on, without the kind's name.
std::string fieldText(const Formula& formula)
{
    const std::size_t tilde = formula.text.find('~');
    return tilde == std::string::npos ? formula.text : formula.text.substr(tilde);
}

}  // namespace

Outcome Session::applyFormulas(FrontEnd& front, const FormulaSet& formulas)
{
    if (!m_model.loaded())
        return failedWith(kNoModel);
    // Formulas the model refuses close no window; edits the windows or the list editor
    // take into the model may change which cells take part, so the formulas are applied
    // again after them.
    FormulaResult<FormulaModel> applied = tw::applyFormulas(m_model, formulas);
    if (!applied)
        return failedWith(formulaFailure(applied.error()));
    const bool editsPending = front.holdsEdits() || m_fixedListPending;
    Outcome outcome;
    if (!takeEdits(front, outcome))
        return outcome;
    if (editsPending) {
        applied = tw::applyFormulas(m_model, formulas);
        if (!applied)
            return failedWith(formulaFailure(applied.error()));
    }
    outcome.notes = identifiabilityLines(applied.value());
    keep(std::move(applied.value().model));
    for (CellKind kind : kAllKinds)
        m_formulaTexts[kindIndex(kind)] = formulas[kind] ? fieldText(*formulas[kind]) : std::string();
    return outcome;
}

Outcome Session::applyFormulaList(FrontEnd& front, const std::string& formulas)
{
    const FormulaResult<FormulaSet> parsed = parseFormulaList(formulas);
    if (!parsed)
        return failedWith(formulaFailure(parsed.error()));
    // A text without a formula (an empty operand, a variable left unset) would give every
    // kind identity columns in place of the model's design matrix: surely not what was meant.
    const auto given = [&parsed](CellKind kind) { return parsed.value()[kind].has_value(); };
    if (std::none_of(kAllKinds.begin(), kAllKinds.end(), given))
        return failedWith("no formula given: write one per kind, such as \"survival ~ time + stratum; open ~ 1\"");
    return applyFormulas(front, parsed.value());
}

Outcome Session::writeDesignTable(FrontEnd& front)
{
    if (!m_model.loaded())
        return failedWith(kNoModel);
    Outcome outcome;
    const auto name = askSave(front, "design.tsv", outcome, FileKind::Any);
    if (!name || !takeEdits(front, outcome))
        return outcome;
    if (const Status saved = saveDesignTable(m_model, designColumnNames(), *name); !saved)
        outcome.failure = saved.error();
    return outcome;
}

std::vector<std::string> Session::designColumnNames() const
{
    const int columns = std::clamp(m_model.dmcols, 0, DesignMatrix::kMaxIndex);
    std::vector<std::string> names(static_cast<std::size_t>(columns));
    if (m_model.dm.hasColumnNames())
        for (int c = 1; c <= columns; ++c)
            names[static_cast<std::size_t>(c - 1)] = m_model.dm.columnName(c);
    return names;
}

}  // namespace tw
