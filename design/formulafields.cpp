#include "design/formulafields.h"

#include <algorithm>

namespace tw {

namespace {

bool blank(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

std::string counted(int count, const std::string& noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

bool FormulaFields::complete() const
{
    const auto refused = [](const std::optional<FormulaError>& error) { return error.has_value(); };
    return applied.has_value() && std::none_of(errors.begin(), errors.end(), refused);
}

FormulaFields readFormulaFields(const Model& model, const std::array<std::string, kKindCount>& texts)
{
    FormulaFields fields;
    for (CellKind kind : kAllKinds) {
        const std::string& text = texts[kindIndex(kind)];
        if (blank(text))
            continue;
        FormulaResult<Formula> parsed = parseFormula(kind, text);
        if (parsed)
            fields.formulas[kind] = std::move(parsed.value());
        else
            fields.errors[kindIndex(kind)] = parsed.error();
    }
    if (Result<std::vector<CellDesign>> design = designData(model); design)
        fields.design = std::move(*design);
    // A formula the model refuses is left out and the rest applied again: at most once per kind.
    for (int attempt = 0; attempt <= kKindCount; ++attempt) {
        FormulaResult<FormulaModel> applied = applyFormulas(model, fields.formulas);
        if (applied) {
            fields.applied = std::move(applied.value());
            return fields;
        }
        const FormulaError& error = applied.error();
        if (!error.kind || !fields.formulas[*error.kind]) {
            fields.error = error;
            return fields;
        }
        fields.errors[kindIndex(*error.kind)] = error;
        fields.formulas[*error.kind].reset();
    }
    return fields;
}

std::string fieldStatus(const FormulaFields& fields, CellKind kind)
{
    if (!fields.applied)
        return {};
    const KindSummary& summary = (*fields.applied)[kind];
    if (summary.cells == 0)
        return "no " + std::string(kindName(kind)) + " cells in this model";
    if (!summary.hasFormula)
        return "no formula: " + counted(summary.parameters, "parameter") + " kept, "
            + counted(summary.columns, "column");
    return kindStatus(summary);
}

}  // namespace tw
