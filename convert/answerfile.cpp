#include "convert/answerfile.h"

#include "convert/conversionrules.h"
#include "model/lines.h"
#include "model/textrules.h"

namespace tw {

Status writeAnswerFile(std::ostream& out, const ConversionAnswers& answers)
{
    LineWriter writer(out);
    writer.line("Y");
    writer.line(answers.infile);
    writer.line(answers.strata + "," + answers.tper + "," + answers.agecl + "," + answers.grps);
    writer.line(answers.mpcodes);
    writer.line(answers.scodes);
    writer.line(answers.icol1);
    writer.line(answers.fatec);
    if (showsAgeFields(decimalValueOr0(answers.agecl))) {
        writer.line(answers.iagec);
        writer.line(answers.acodes);
        writer.line(answers.aicodes);
    }
    if (showsGroupFields(decimalValueOr0(answers.grps))) {
        writer.line(answers.grpscol);
        const auto first = answers.gcodes.find_first_not_of(' ');
        writer.line(first == std::string::npos ? std::string() : answers.gcodes.substr(first));
    }
    writer.line(answers.obsc1);
    if (showsFrequencyEnd(decimalValueOr0(answers.obsc1)))
        writer.line(answers.obsc2);
    if (answers.sPsi) {
        writer.line("2");
        writer.line(answers.phimiss);
    } else {
        writer.line("1");
    }
    writer.line(answers.title);
    if (!writer.good())
        return makeError("the answer file could not be written", kAnswerFile);
    return {};
}

}  // namespace tw
