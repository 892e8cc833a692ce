#include "design/designtablefile.h"

#include <charconv>
#include <cmath>

#include "design/designtable.h"
#include "model/atomicfile.h"
#include "model/textrules.h"

namespace tw {

namespace {

void appendValue(std::string& line, double value)
{
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(value)).ptr;
        line.append(digits, end);
        return;
    }
    line += plainText(value);
}

}  // namespace

Status writeDesignTable(const Model& model, const std::vector<std::string>& columnNames, std::ostream& out)
{
    const int rows = static_cast<int>(model.dmrows);
    const int columns = model.dmcols;
    std::string line = "parameter";
    for (int c = 1; c <= columns; ++c) {
        line += '\t';
        const auto index = static_cast<std::size_t>(c - 1);
        line += index < columnNames.size() && !columnNames[index].empty() ? columnNames[index] : headerText(c);
    }
    line += '\n';
    out.write(line.data(), static_cast<std::streamsize>(line.size()));

    // Runs of zeros, most of every line, are copied from here.
    std::string zeros;
    for (int c = 0; c < columns; ++c)
        zeros += "\t0";
    for (int r = 1; r <= rows; ++r) {
        line = std::to_string(r);
        int written = 0;  // columns 1..written are on the line
        for (const DesignMatrix::Entry& entry : model.dm.row(r)) {
            if (entry.col < 1 || entry.col > columns || !model.dm.colUsed(entry.col))
                continue;
            line.append(zeros, 0, static_cast<std::size_t>(2 * (entry.col - 1 - written)));
            line += '\t';
            appendValue(line, entry.value);
            written = entry.col;
        }
        line.append(zeros, 0, static_cast<std::size_t>(2 * (columns - written)));
        line += '\n';
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
    }
    if (!out)
        return makeError("writing failed");
    return {};
}

Status saveDesignTable(const Model& model, const std::vector<std::string>& columnNames, const std::string& path)
{
    if (!model.infile.empty() && sameFile(path, model.infile))
        return makeError("the design table cannot be written over the model's input file (" + model.infile + ")",
                         path);
    return saveAtomically(path, [&](std::ostream& out) { return writeDesignTable(model, columnNames, out); });
}

}  // namespace tw
