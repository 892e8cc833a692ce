#include "model/constraintstopims.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "model/atomicfile.h"
#include "model/constraintsreader.h"
#include "model/fileerrors.h"
#include "model/lines.h"
#include "model/modelstatement.h"
#include "model/textrules.h"

namespace tw {

namespace {

bool hasAny(std::string_view line, std::string_view a, std::string_view b)
{
    return contains(line, a) || contains(line, b);
}

// The dimensions the file states must be the loaded model's: the conversion re-creates no
// array, so a file of another shape would misplace every cell. Only the first line holding
// a keyword of the model statement is examined; returns in line the text the search for
// the estimation statement goes on from.
Status checkModelStatement(std::string& line, const Model& model, LineReader& reader)
{
    while (reader.next(line)) {
        if (holdsModelStatementKeyword(line))
            return checkModelStatementLine(line, model, reader, kConversionOrder);
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
    if (!in) {
        const int error = errno;
        return makeError("cannot open the file: " + systemReason(error), fullPath(path));
    }
    return convertConstraints(model, in, path);
}

}  // namespace tw
