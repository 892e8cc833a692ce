#pragma once
// The check of the conversion dialog's answers before anything is written or run: an
// existing input file, whole numbers in range, codes that match their counts, and a
// model small enough to be held. The first answer at fault is named by its field.

#include <optional>
#include <string>
#include <string_view>

#include "convert/answerfile.h"

namespace tw {

/// The dialog's fields, in their order on screen and in the answer file.
enum class AnswerField {
    infile,
    strata,
    tper,
    agecl,
    grps,
    mpcodes,
    scodes,
    icol1,
    fatec,
    iagec,
    acodes,
    aicodes,
    grpscol,
    gcodes,
    obsc1,
    obsc2,
    phimiss,
    title,
};

/// The object name of the field's text box ("txt_strata").
std::string_view fieldName(AnswerField field);
/// The label the dialog shows beside the field ("Strata:").
std::string_view fieldLabel(AnswerField field);

struct AnswerProblem {
    AnswerField field;
    std::string message;  // begins with the field's label, says what to type

    bool operator==(const AnswerProblem&) const = default;
};

/// Columns, counts and cells above this cannot be converted (cells and parameters are 16-bit).
inline constexpr long kMaxAnswerValue = 32767;

/// The first answer, in the order of the fields, that the converter could not use;
/// nullopt when all can be used. A relative input file is taken from the current
/// directory, where the converter runs. Fields the answer file leaves out (the age
/// fields for one age class, the group fields for one group, the end column of the
/// frequency when it starts at column 0 or 1, the subtraction for Phi) are not checked.
std::optional<AnswerProblem> firstAnswerProblem(const ConversionAnswers& answers);

}  // namespace tw
