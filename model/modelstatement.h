#pragma once
// The model statement of a model file: the dimension keywords NPAR=, GROUPS=, NAGE=, NYRS=
// and STRATA=, and the SECPERS list, whose values may run on over the following lines.
// Both readers read it into the model they build; the conversion of constraints to PIMs
// checks it against the loaded model. Each looks for the keywords of a line in its own
// order, which decides the order of the caption's pieces and which of two faults on one
// line is reported, so the order is a parameter.

#include <array>
#include <string>
#include <string_view>

#include "model/lines.h"
#include "model/model.h"
#include "model/result.h"

namespace tw {

/// The dimensions a model statement states.
enum class Dimension { Npar, Groups, Nage, Nyrs, Strata };

/// The order in which the keywords of one line are looked for; SECPERS comes last.
using KeywordOrder = std::array<Dimension, 5>;

/// The order of the PIM reader: its caption reads "npar=14 nage=1 groups=2 nyrs=2 nstrat=2".
inline constexpr KeywordOrder kPimReaderOrder{Dimension::Npar, Dimension::Nage, Dimension::Groups, Dimension::Nyrs,
                                              Dimension::Strata};
/// The order of the constraints reader: its caption reads "npar=10 groups=1 nage=1 nyrs=3 nstrat=1".
inline constexpr KeywordOrder kConstraintsReaderOrder{Dimension::Npar, Dimension::Groups, Dimension::Nage,
                                                      Dimension::Nyrs, Dimension::Strata};
/// The order in which the conversion of constraints to PIMs checks a file's statement.
inline constexpr KeywordOrder kConversionOrder{Dimension::Npar, Dimension::Nage, Dimension::Nyrs, Dimension::Strata,
                                               Dimension::Groups};

/// Whether line holds a keyword of the model statement (SECPERS too) in upper or lower case.
bool holdsModelStatementKeyword(std::string_view line);

/// Reads the model statement into a model being built, one line at a time.
class ModelStatementReader {
public:
    /// model is the model being built; lines is the file the lines come from (errors name
    /// its line last read, and the SECPERS list reads on from it).
    ModelStatementReader(Model& model, LineReader& lines, KeywordOrder order);

    /// Reads the keywords that line holds, in the order given: each dimension is rounded
    /// half to even and stored; NYRS also sizes secpers and cumsec afresh. After SECPERS,
    /// NYRS values are read from the text after it and the lines that follow; line is left
    /// holding the text after the last value. Fails naming the line when a value overflows a
    /// double, a dimension lies outside 0..32767 (NYRS outside 1..32767), SECPERS comes
    /// before any NYRS, a SECPERS value lies outside 0..32767, the list adds up to more than
    /// 32767 or the file ends before the list does.
    Status readLine(std::string& line);

    /// The dimensions read so far, as the main window's label shows them
    /// ("npar=14 nage=1 groups=2 nyrs=2 nstrat=2"); NPAR starts it afresh.
    const std::string& caption() const { return m_caption; }

private:
    Status readDimension(const std::string& line, std::size_t position, Dimension dimension);
    Status readSecondaryPeriods(std::string& line, std::size_t position);

    Model& m_model;
    LineReader& m_lines;
    KeywordOrder m_order;
    std::string m_caption;
    bool m_nyrsSeen = false;
};

/// Checks the keywords that line holds against the loaded model, in the order given: each
/// dimension stated, rounded half to even, must equal the model's, and after SECPERS the
/// model's nyrs values are read on (as ModelStatementReader reads them) and must equal its
/// secpers. line is left as readLine leaves it. Fails naming the line and both values at
/// the first difference, and as readLine fails on a value that overflows or a list that
/// the file ends in.
Status checkModelStatementLine(std::string& line, const Model& loaded, LineReader& lines, KeywordOrder order);

}  // namespace tw
