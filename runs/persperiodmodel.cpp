#include "runs/persperiodmodel.h"

#include <cstdint>

#include "model/lines.h"
#include "model/textrules.h"

namespace tw {

std::string periodCellLine(int k, double count, int nocc)
{
    const std::uint64_t history = static_cast<std::uint64_t>(k) + 1;
    std::string formula;
    std::string digits;
    std::uint64_t mask = std::uint64_t{1} << (nocc - 1);
    for (int j = 1; j <= nocc; ++j, mask >>= 1) {
        const bool caught = (history & mask) != 0;
        if (j > 1)
            formula += '*';
        formula += (caught ? "s(" : "q(") + std::to_string(j) + ")";
        digits += caught ? '1' : '0';
    }
    return bareText(count) + ": " + formula + "/prd /*" + printText(static_cast<double>(history)) + " " + digits
        + " */;";
}

void writePeriodModel(std::ostream& out, const PeriodCohort& cohort, int nocc)
{
    LineWriter writer(out);
    writer.line("PROC TITLE 'Dunest Kangaroo Rats';");
    writer.line("PROC MODEL NPAR=" + bareText(nocc) + " ADDCELL;");
    writer.line("INLINE DECLARE Q(I)=1.-S(I);");
    std::string product = "INLINE PRD=1-Q(1)";
    for (int k = 2; k <= nocc; ++k)
        product += "*Q(" + bareText(k) + ")";
    writer.line(product + ";");
    writer.line("cohort=" + bareText(cohort.value) + ";");
    for (std::size_t k = 1; k <= cohort.counts.size(); ++k)
        writer.line(periodCellLine(static_cast<int>(k), cohort.counts[k - 1], nocc));
    writer.line("LABELS;");
    for (int k = 1; k <= nocc; ++k)
        writer.line("S(" + bareText(k) + ")=PP(01," + bareText(k) + ",j, ) A ;");
    writer.line("PROC ESTIMATE NOVAR NSIG=6 MAXFN=332001 NAME=MODEL1;");
    writer.line("INITIAL; ALL=.1; ");
    writer.line("PROC STOP;");
}

}  // namespace tw
