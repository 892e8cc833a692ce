#include "model/constraintswriter.h"

#include <vector>

#include "model/atomicfile.h"
#include "model/lines.h"
#include "model/textrules.h"

namespace tw {

namespace {

Status copyHead(const Model& model, LineWriter& writer)
{
    const std::size_t searchStart = headSearchStart(model.head.lines);
    for (std::size_t i = 0; i < model.head.lines.size(); ++i) {
        const std::string& line = model.head.lines[i];
        if (i < searchStart || !endsConstraintsHead(line)) {
            writer.line(line);
            continue;
        }
        // A head ending in a PIM line would leave the constraint lines in no section
        // that a reader finds.
        const bool opensConstraints = contains(line, "constraint") || contains(line, "CONSTRAINT");
        writer.line(opensConstraints ? std::string_view(line) : std::string_view("CONSTRAINTS;"));
        return {};
    }
    if (model.head.cutByLongLine)
        return LineReader::tooLongError(model.infile, static_cast<int>(model.head.lines.size()) + 1);
    return makeError("the file has no line that ends its head (one containing \"constraint\", \"CONSTRAINT\", "
                     "\"PIM\" or \"pim\")",
                     model.infile);
}

// "S(" N(i) ")=" value " /* " label " */;" into line.
void valueLine(std::string& line, const std::string& cell, std::string_view value, std::string_view label)
{
    line.clear();
    line.append("S(").append(cell).append(")=").append(value).append(" /* ").append(label).append(" */;");
}

}  // namespace

Status writeConstraints(const Model& model, std::ostream& out)
{
    LineWriter writer(out);
    TW_TRY(copyHead(model, writer));

    const int npar = std::min<int>(model.npar, static_cast<int>(model.pim.size()) - 1);
    auto label = [&](int cell) -> const std::string& { return model.labels[static_cast<std::size_t>(cell)]; };
    auto initval = [&](int cell) {
        return static_cast<std::size_t>(cell) < model.initval.size() ? model.initval[static_cast<std::size_t>(cell)] : 0.0;
    };
    // The cell each positive parameter number is tied to: the latest cell holding it that
    // was not itself written as a tie or a value (those are cleared as they are written).
    std::vector<int> holder(32768, 0);
    std::string line;
    std::string cell;
    for (int i = 1; i <= npar; ++i) {
        const int value = model.pim[static_cast<std::size_t>(i)];
        cell = cellNumber4(i);
        if (isSpecialValue(value)) {
            valueLine(line, cell, value == 0 ? "0" : value == -1 ? "-1" : "-2", label(i));
            writer.line(line);
            continue;
        }
        if (isFixedMarker(value)) {
            const double v = initval(i);
            valueLine(line, cell, v >= 0 ? bareText(v) : signedText(v), label(i));
            writer.line(line);
            continue;
        }
        int& tiedTo = holder[static_cast<std::size_t>(value)];
        if (tiedTo > 0) {
            line.clear();
            line.append("S(").append(cell).append(")=S(").append(cellNumber4(tiedTo)).append(") /* ");
            line.append(label(i)).append("=").append(label(tiedTo)).append(" */;");
            writer.line(line);
            continue;
        }
        if (initval(i) > 0) {
            valueLine(line, cell, bareText(initval(i)), label(i));
            writer.line(line);
            continue;
        }
        tiedTo = i;
    }
    writer.line(model.proctest);
    writer.line("PROC STOP;");
    if (!writer.good())
        return makeError("writing failed");
    return {};
}

Status saveConstraints(const Model& model, const std::string& target)
{
    if (sameFile(model.infile, target))
        return makeError("Input & Output filenames (" + model.infile + ") must be different!");
    return saveAtomically(target, [&](std::ostream& out) { return writeConstraints(model, out); });
}

std::string constraintsSavedMessage(const std::string& target)
{
    return "New CORVANE input file saved as " + target;
}

}  // namespace tw
