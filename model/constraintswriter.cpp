#include "model/constraintswriter.h"

#include <sstream>
#include <vector>

#include "model/atomicfile.h"
#include "model/constraintsreader.h"
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

namespace {

// What the constraints form says of a cell: a special value (a cell fixed at 0, -1 or -2
// reads back as one), a fixed value, or the parameter it shares with the first cell
// holding it.
struct CellSense {
    enum class Kind { Special, Fixed, Parameter };
    Kind kind = Kind::Special;
    int number = 0;     // the special value, or the first cell of the parameter
    double value = 0;   // the fixed value

    bool operator==(const CellSense& other) const
    {
        return kind == other.kind && number == other.number
            && (kind != Kind::Fixed || signedText(value) == signedText(other.value));
    }
    std::string text(int cell) const
    {
        switch (kind) {
        case Kind::Special:
            return std::to_string(number);
        case Kind::Fixed:
            return "fixed at " + plainText(value);
        case Kind::Parameter:
            break;
        }
        return number == cell ? "its own parameter" : "tied to cell " + std::to_string(number);
    }
};

std::vector<CellSense> cellSenses(const Model& m, int cells)
{
    std::vector<CellSense> senses(static_cast<std::size_t>(cells) + 1);
    std::vector<int> firstCell(32768, 0);
    for (int i = 1; i <= cells; ++i) {
        const auto index = static_cast<std::size_t>(i);
        const int value = m.pim[index];
        const double fixed = index < m.initval.size() ? m.initval[index] : 0.0;
        CellSense& sense = senses[index];
        if (isSpecialValue(value)) {
            sense = {CellSense::Kind::Special, value, 0};
        } else if (isFixedMarker(value)) {
            if (fixed == 0 || fixed == -1 || fixed == -2)
                sense = {CellSense::Kind::Special, static_cast<int>(fixed), 0};
            else
                sense = {CellSense::Kind::Fixed, 0, fixed};
        } else {
            int& first = firstCell[static_cast<std::size_t>(value)];
            if (first == 0)
                first = i;
            sense = {CellSense::Kind::Parameter, first, 0};
        }
    }
    return senses;
}

}  // namespace

Status checkConstraintsReadBack(const Model& written, const std::string& text, const std::string& target)
{
    std::istringstream in(text);
    const auto read = readConstraints(in, target);
    const std::string refused = "the saved file would not read back as this model (";
    const std::string nothing = "); nothing was written";
    if (!read)
        return makeError(refused + read.error().text() + nothing, target);
    const Model& back = read->model;
    if (back.npar != written.npar || back.nage != written.nage || back.groups != written.groups
        || back.nyrs != written.nyrs || back.nstrat != written.nstrat || back.totsec != written.totsec)
        return makeError(refused + "the head states other dimensions" + nothing, target);
    const int cells = std::min<int>(written.npar, static_cast<int>(written.pim.size()) - 1);
    const std::vector<CellSense> meant = cellSenses(written, cells);
    const std::vector<CellSense> found = cellSenses(back, cells);
    for (int cell = 1; cell <= cells; ++cell) {
        const auto index = static_cast<std::size_t>(cell);
        if (!(found[index] == meant[index]))
            return makeError(refused + "cell " + std::to_string(cell) + " reads back as " + found[index].text(cell)
                                 + ", not " + meant[index].text(cell) + nothing,
                             target);
    }
    return {};
}

Status saveConstraints(const Model& model, const std::string& target)
{
    if (sameFile(model.infile, target))
        return makeError("Input & Output filenames (" + model.infile + ") must be different!");
    return saveAtomically(target, [&](std::ostream& out) -> Status {
        std::ostringstream text;
        TW_TRY(writeConstraints(model, text));
        TW_TRY(checkConstraintsReadBack(model, text.str(), target));
        out << text.str();
        return {};
    });
}

std::string constraintsSavedMessage(const std::string& target)
{
    return "New CORVANE input file saved as " + target;
}

}  // namespace tw
