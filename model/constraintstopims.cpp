#include "model/constraintstopims.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "model/atomicfile.h"
#include "model/constraintsreader.h"
#include "model/lines.h"
#include "model/textrules.h"

namespace tw {

namespace {

bool hasAny(std::string_view line, std::string_view a, std::string_view b)
{
    return contains(line, a) || contains(line, b);
}

bool holdsDimensionKeyword(std::string_view line)
{
    return hasAny(line, "NPAR", "npar") || hasAny(line, "NAGE", "nage") || hasAny(line, "NYRS", "nyrs")
        || hasAny(line, "STRATA", "strata") || hasAny(line, "GROUPS", "groups") || hasAny(line, "SECPERS", "secpers");
}

// A dimension the file states must be the loaded model's: the conversion re-creates no
// array, so a file of another shape would misplace every cell.
Status checkDimension(const std::string& line, std::string_view upper, std::string_view lower, std::size_t offset,
                      int loaded, const LineReader& reader)
{
    const std::size_t p = keywordPosition(line, upper, lower);
    if (p == 0)
        return {};
    const auto value = decimalValue(textFrom(line, p + offset));
    if (!value)
        return reader.error("the value of " + std::string(upper) + " is too large");
    if (roundHalfEven(*value) != loaded)
        return reader.error("the file states " + std::string(upper) + "=" + plainText(*value) + " but the loaded model has "
                            + std::string(lower) + "=" + std::to_string(loaded));
    return {};
}

Status checkSecondaryPeriods(std::string& line, const Model& model, LineReader& reader)
{
    const std::size_t p = keywordPosition(line, "SECPERS", "secpers");
    if (p == 0)
        return {};
    line = std::string(textFrom(line, p + 8));
    bool ended = false;
    const NextLine nextLine = [&](std::string& text) {
        if (reader.next(text))
            return true;
        ended = true;
        return false;
    };
    for (int t = 1; t <= model.nyrs; ++t) {
        const auto value = getnum(line, nextLine);
        if (!value && ended)
            return reader.endedBefore("the end of the SECPERS list");
        if (!value)
            return reader.error("a SECPERS value is too large");
        const double loaded = static_cast<std::size_t>(t) < model.secpers.size() ? model.secpers[static_cast<std::size_t>(t)] : 0;
        if (roundHalfEven(*value) != loaded)
            return reader.error("the file states " + plainText(*value) + " secondary periods for primary period "
                                + std::to_string(t) + " but the loaded model has " + plainText(loaded));
    }
    return {};
}

// Only the first line holding a dimension keyword is examined; returns in line the text
// the search for the estimation statement goes on from.
Status checkModelStatement(std::string& line, const Model& model, LineReader& reader)
{
    while (reader.next(line)) {
        if (!holdsDimensionKeyword(line))
            continue;
        TW_TRY(checkDimension(line, "NPAR", "npar", 5, model.npar, reader));
        TW_TRY(checkDimension(line, "NAGE", "nage", 5, model.nage, reader));
        TW_TRY(checkDimension(line, "NYRS", "nyrs", 5, model.nyrs, reader));
        TW_TRY(checkDimension(line, "STRATA", "strata", 7, model.nstrat, reader));
        TW_TRY(checkDimension(line, "GROUPS", "groups", 7, model.groups, reader));
        return checkSecondaryPeriods(line, model, reader);
    }
    line.clear();
    return {};
}

}  // namespace

Status convertConstraints(Model& loaded, std::istream& in, const std::string& name)
{
    if (!loaded.loaded())
        return makeError("no model is loaded to convert");
    Model model = loaded;
    LineReader reader(in, name);
    std::string line;
    TW_TRY(checkModelStatement(line, model, reader));

    while (!contains(line, "NAME="))
        if (!reader.next(line))
            return reader.tooLong() ? reader.tooLongError()
                                    : makeError("the file has no line containing \"NAME=\" (the estimation statement)", name);
    while (!hasAny(line, "constraints", "CONSTRAINTS"))
        if (!reader.next(line))
            return reader.tooLong() ? reader.tooLongError()
                                    : makeError("the file has no CONSTRAINTS line after its \"NAME=\" line", name);

    for (;;) {
        if (!reader.next(line))
            return reader.endedBefore("the INIT or PROC line that ends the CONSTRAINTS section");
        if (hasAny(line, "init", "INIT") || hasAny(line, "proc", "PROC"))
            break;
        if (constraintCellStart(line) == std::string_view::npos)
            continue;
        auto parsed = parseConstraintLine(line, model.npar, reader);
        if (!parsed)
            return parsed.error();
        model.nconcells = std::max(model.nconcells, parsed->cell);
        applyConstraint(model, *parsed);
    }

    model.nparms = largestParameter(model);
    model.dm.clear();
    for (int i = 1; i <= model.nparms; ++i) {
        model.dm.set(i, i, 1);
        model.dm.setColUsed(i);
    }
    model.ncols = model.nparms;
    model.dmrows = 0;
    model.dmcols = 0;
    model.markChanged();
    loaded = std::move(model);
    return {};
}

Status convertConstraintsFile(Model& model, const std::string& path)
{
    TW_TRY(checkRegularFile(path));
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return makeError(std::string("cannot open the file: ") + std::strerror(errno), path);
    return convertConstraints(model, in, path);
}

}  // namespace tw
