#pragma once
// Which of the two forms a model file is in, told by its content: a file whose cohort
// data are followed by a "PIM;" line holds the model as parameter index matrices, any
// other file holds it as constraints. Files dropped on the main window, opened at start
// or from the recent-models list are read by the reader of their form.

#include <istream>
#include <optional>
#include <string>

#include "model/result.h"

namespace tw {

enum class ModelForm { Pim, Constraints };

/// The form of the model file text: Pim when a line after the first line that holds
/// "COHORT" (or "cohort") holds "PIM;" (or "pim;"), Constraints otherwise.
ModelForm modelFormOf(std::istream& text);

/// The form the text shows as modelFormOf tells it, but nullopt for a text without a
/// "COHORT" line, which is a model file of neither form, or with lines that end in a
/// carriage return alone, which read as one line.
std::optional<ModelForm> shownModelForm(std::istream& text);

/// The form the file at path shows (shownModelForm); nullopt also when it cannot be read.
std::optional<ModelForm> shownModelFormOfFile(const std::string& path);

/// The form of the model file at path; an error naming the file when it cannot be read.
Result<ModelForm> modelFormOfFile(const std::string& path);

}  // namespace tw
