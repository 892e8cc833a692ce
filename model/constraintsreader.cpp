#include "model/constraintsreader.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>

#include "model/atomicfile.h"
#include "model/fileerrors.h"
#include "model/modelstatement.h"
#include "model/textrules.h"

namespace tw {

namespace {

bool hasAny(std::string_view line, std::string_view a, std::string_view b)
{
    return contains(line, a) || contains(line, b);
}

bool endsSection(std::string_view line)
{
    return hasAny(line, "PROC", "proc") || hasAny(line, "INIT", "init");
}

// The test statement or the end of the model: nothing after it is read.
bool endsSections(std::string_view line)
{
    return hasAny(line, "PROC TEST", "proc test") || hasAny(line, "PROC STOP", "proc stop");
}

// decimalValue of a text, where a number too large for a double is an error about the line.
Result<double> valueOf(std::string_view text, const LineReader& reader)
{
    auto value = decimalValue(text);
    if (!value)
        return reader.error("a number is too large: " + std::string(text));
    return *value;
}

Result<int> cellNumber(std::string_view text, int npar, const LineReader& reader)
{
    auto value = valueOf(text, reader);
    if (!value)
        return value.error();
    const double v = *value;
    if (!(v >= 1 && v <= npar) || v != std::floor(v))  // range first: a huge v has no integer value
        return reader.error("cell number " + plainText(v) + " is not a whole number in 1.." + std::to_string(npar));
    return static_cast<int>(v);
}

}  // namespace

std::size_t constraintCellStart(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || first + 1 >= line.size())
        return std::string_view::npos;
    if ((line[first] != 'S' && line[first] != 's') || line[first + 1] != '(')
        return std::string_view::npos;
    return first + 2;
}

Result<ConstraintLine> parseConstraintLine(std::string_view line, int npar, const LineReader& reader)
{
    ConstraintLine parsed;
    auto cell = cellNumber(line.substr(constraintCellStart(line)), npar, reader);
    if (!cell)
        return cell.error();
    parsed.cell = *cell;

    const std::size_t q = keywordPosition(line, "=S(", "=s(");
    if (q > 0) {
        auto other = cellNumber(textFrom(line, q + 3), npar, reader);
        if (!other)
            return other.error();
        parsed.other = *other;
        return parsed;
    }
    const std::size_t equals = line.find('=');
    if (equals != std::string_view::npos) {
        auto value = valueOf(line.substr(equals + 1), reader);
        if (!value)
            return value.error();
        parsed.value = *value;
    }
    return parsed;
}

Result<int> parseLabelCell(std::string_view line, int npar, const LineReader& reader)
{
    return cellNumber(line.substr(constraintCellStart(line)), npar, reader);
}

std::string labelOf(std::string_view line)
{
    const std::size_t equals = line.find('=');
    const std::size_t start = equals == std::string_view::npos ? 0 : equals + 1;
    if (line.size() < 2 || start >= line.size() - 2)
        return {};
    return std::string(line.substr(start, line.size() - 2 - start));
}

bool applyConstraint(Model& model, const ConstraintLine& line)
{
    auto& pim = model.pim;
    const auto i = static_cast<std::size_t>(line.cell);
    const std::int16_t old = pim[i];
    if (line.equality()) {
        const auto j = static_cast<std::size_t>(line.other);
        if (isFixedMarker(pim[j])) {
            model.initval[i] = model.initval[j];
            pim[i] = fixedMarker(old);
        } else {
            pim[i] = pim[j];
        }
        return false;
    }
    const double v = line.value;
    if (v == 0 || v == -1 || v == -2) {
        pim[i] = static_cast<std::int16_t>(v);
        return false;
    }
    model.initval[i] = v;
    pim[i] = fixedMarker(old);
    return true;
}

Result<ConstraintsRead> readConstraints(std::istream& in, const std::string& name)
{
    ConstraintsRead read{startupModel(), {}};
    Model& model = read.model;
    model.infile = name;
    HeadKeeper head;
    LineReader reader(in, name);
    reader.keepHead(head);

    std::string line;
    ModelStatementReader statement(model, reader, kConstraintsReaderOrder);
    while (!hasAny(line, "cohort", "COHORT")) {
        if (!reader.next(line))
            return reader.endedBefore("a line containing \"COHORT\"");
        TW_TRY(statement.readLine(line));
    }
    read.caption = statement.caption();

    model.proctest = kDefaultProcTest;
    createCellArrays(model);
    computeDerivedSizes(model);

    // The LABELS and CONSTRAINTS sections, each ended by a line holding INIT or PROC, are
    // read up to the test statement or "PROC STOP": a CONSTRAINTS section may follow the
    // estimation statement, where the constraints writer puts it.
    bool inlabels = false;
    bool incons = false;
    bool procSeen = false;
    while (!endsSections(line) && reader.next(line)) {
        // The file's test statement counts only as the first PROC line after the cohorts.
        if (!procSeen && hasAny(line, "PROC", "proc")) {
            procSeen = true;
            if (contains(line, "PROC TEST"))
                model.proctest = line;
        }
        const bool constraintLine = constraintCellStart(line) != std::string_view::npos;
        if (inlabels && constraintLine) {
            auto cell = parseLabelCell(line, model.npar, reader);
            if (!cell)
                return cell.error();
            model.labels.set(static_cast<std::size_t>(*cell), labelOf(line));
        }
        if (incons && constraintLine) {
            auto parsed = parseConstraintLine(line, model.npar, reader);
            if (!parsed)
                return parsed.error();
            model.nconcells = std::max(model.nconcells, parsed->cell);
            if (applyConstraint(model, *parsed))
                model.fixedlist.push_back(line);
        }
        if (hasAny(line, "label", "LABEL"))
            inlabels = true;
        if (hasAny(line, "CONSTRAINTS", "constraints"))
            incons = true;
        if (endsSection(line)) {
            inlabels = false;
            incons = false;
        }
    }
    if (reader.tooLong())
        return reader.tooLongError();
    reader.finishHead();
    model.head = std::move(head.head());

    model.modelform = "constraints";
    model.unsaved = true;
    return read;
}

Result<ConstraintsRead> readConstraintsFile(const std::string& path)
{
    TW_TRY(checkRegularFile(path));
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int error = errno;
        return makeError("cannot open the file: " + systemReason(error), fullPath(path));
    }
    return readConstraints(in, path);
}

}  // namespace tw
