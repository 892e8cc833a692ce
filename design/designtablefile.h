#pragma once
// The design matrix as a tab-separated table for other programs: a header line
// "parameter" and the column names, then one line per parameter with its number and
// one value per column. Numbers are whole or decimal with a point, whatever the locale.

#include <ostream>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/result.h"

namespace tw {

/// Writes the table of parameters 1..dmrows and columns 1..dmcols; lines end with "\n".
/// Column c is named columnNames[c - 1], or "B" and its number where there is no name.
/// A column not marked used reads 0 throughout, as the model files leave it out.
Status writeDesignTable(const Model& model, const std::vector<std::string>& columnNames, std::ostream& out);

/// Writes the table to path atomically; refuses the model's input file as the target.
Status saveDesignTable(const Model& model, const std::vector<std::string>& columnNames, const std::string& path);

}  // namespace tw
