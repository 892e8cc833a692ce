#pragma once
// The largest model of the benchmarks, shared by them.

#include <string>

#include "model/model.h"

namespace tw {

// groups 3, nage 2, nstrat 10, two secondary periods per primary period; nyrs 50 gives
// 32380 cells. Parameters are tied in pairs over time, every 37th cell is fixed, and the
// design matrix is the identity over every parameter.
inline Model largestModel(int nyrs)
{
    Model m = startupModel();
    m.groups = 3;
    m.nage = 2;
    m.nstrat = 10;
    m.nyrs = nyrs;
    m.secpers.assign(nyrs + 1, 2);
    m.cumsec.assign(nyrs + 1, 0);
    m.secpers[0] = 0;
    for (int t = 1; t <= nyrs; ++t)
        m.cumsec[t] = static_cast<std::int16_t>(m.cumsec[t - 1] + 2);
    m.totsec = m.cumsec[nyrs];
    computeDerivedSizes(m);
    m.npar = static_cast<int>(expectedCellCount(m));
    createCellArrays(m);
    for (int i = 1; i <= m.npar; ++i) {
        if (i % 37 == 0) {
            m.pim[i] = fixedMarker(static_cast<std::int16_t>(i));
            m.initval[i] = 0.5;
        } else {
            m.pim[i] = static_cast<std::int16_t>((i + 1) / 2);
        }
    }
    m.proctest = kDefaultProcTest;
    m.infile = "head.inp";
    const int parameters = largestParameter(m);
    for (int p = 1; p <= parameters; ++p) {
        m.dm.set(p, p, 1);
        m.dm.setColUsed(p);
    }
    m.dmrows = parameters;
    m.dmcols = parameters;
    return m;
}

/// The head of a model file for the model: title, model statement and 200 cohorts.
inline std::string largestModelHead(const Model& m)
{
    std::string secpers;
    for (int t = 1; t <= m.nyrs; ++t)
        secpers += " 2";
    std::string head = "PROC TITLE 'Benchmark model';\r\nPROC MODEL NPAR=" + std::to_string(m.npar)
        + " GROUPS=3 NAGE=2 NYRS=" + std::to_string(m.nyrs) + " STRATA=10 SECPERS=" + secpers + ";\r\n";
    for (int c = 0; c < 200; ++c)
        head += "COHORT=25 GROUP=1;\r\n  7 : 1 0 1 1 0 1 0 0 1 1 0 1;\r\n";
    return head + "PIM;\r\n";
}

}  // namespace tw
