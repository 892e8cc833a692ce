#include "design/cellname.h"

#include "model/model.h"

namespace tw {

namespace {

const char* kindWords(CellKind kind)
{
    switch (kind) {
    case CellKind::Survival:
        return "Survival";
    case CellKind::Movement:
        return "Movement";
    case CellKind::Open:
        return "Open capture";
    case CellKind::Closed:
        return "Closed capture";
    }
    return "";
}

const char* factorLetter(Variable factor)
{
    switch (factor) {
    case Variable::Group:
        return "g";
    case Variable::Age:
        return "a";
    case Variable::Stratum:
        return "s";
    case Variable::Time:
        return "t";
    case Variable::Session:
        return "p";
    case Variable::Occasion:
        return "o";
    default:
        return "";
    }
}

}  // namespace

std::string cellShortName(const CellDesign& design)
{
    std::string name = kindWords(design.kind);
    for (const Variable variable : kindVariables(design.kind)) {
        if (!isFactor(variable))
            continue;
        const std::string level = std::to_string(design.value(variable));
        // The stratum of arrival follows the stratum of departure: "s1→s2".
        if (variable == Variable::ToStratum)
            name += "\u2192s" + level;
        else
            name += std::string(" ") + factorLetter(variable) + level;
    }
    return name;
}

std::string parameterText(int pim)
{
    return isFixedMarker(pim) ? "fixed" : std::to_string(pim);
}

}  // namespace tw
