#pragma once
// The converter's answer file "vostel4.tmp": the description of a raw capture-history
// file, one answer per line in the order the converter asks for them.

#include <ostream>
#include <string>

#include "model/result.h"

namespace tw {

inline constexpr const char* kAnswerFile = "vostel4.tmp";
inline constexpr const char* kConverterOutput = "vostel4.tm2";
inline constexpr const char* kConverterListing = "hadleck.out";
inline constexpr const char* kConverterProgram = "hadleck";

/// The dialog's fields as typed. Numbers are read from them by the lenient decimal rule.
struct ConversionAnswers {
    std::string infile;
    std::string strata = "6";
    std::string tper = "4";
    std::string agecl = "1";
    std::string grps = "1";
    std::string mpcodes = "1010";
    std::string scodes = "123456";
    std::string icol1 = "1";
    std::string fatec = "0";
    std::string iagec = "1";
    std::string acodes = "a";
    std::string aicodes = "1";
    std::string grpscol = "1";
    std::string gcodes;
    std::string obsc1 = "0";
    std::string obsc2 = "20";
    bool sPsi = true;  // S-Psi parameterization; false: Phi
    std::string phimiss = "0";
    std::string title = "title";

    bool operator==(const ConversionAnswers&) const = default;
};

/// Writes the answer file, each line ending in CR LF: "Y", the input file, the four
/// counts joined by commas, the time increments (as given: the caller extends them
/// first), the strata codes, the columns of the strata and fate codes, the three age
/// lines when there is more than one age class, the group-code column and the group
/// codes without leading blanks when there is more than one group, the frequency start
/// column and its end column when the start is above 1, "2" and the strata computed by
/// subtraction (S-Psi) or "1" (Phi), and the title.
Status writeAnswerFile(std::ostream& out, const ConversionAnswers& answers);

}  // namespace tw
