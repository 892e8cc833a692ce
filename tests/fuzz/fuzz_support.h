#pragma once
// Helpers shared by the fuzz targets: a fault is reported by abort(), which libFuzzer
// records as a crash with the input that caused it.

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "model/pimreader.h"

namespace fuzz {

[[noreturn]] inline void fault(const char* what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline void check(bool condition, const char* what)
{
    if (!condition)
        fault(what);
}

/// A small loaded model with two groups, two strata and fixed cells, read from a fixed
/// text: the model the fuzzed constraints and fixed lists act on.
inline const std::string& fixedModelText()
{
    static const std::string text =
        "PROC TITLE 'fixed model';\r\n"
        "PROC MODEL NPAR=14 GROUPS=2 NYRS=2 STRATA=2 SECPERS=1 1;\r\n"
        "COHORT=4 GROUP=1;\r\n 1 : 1 1;\r\nCOHORT=3 GROUP=2;\r\n 1 : 1 0;\r\n"
        "PIM;\r\nSRV(11);\r\n 1\r\n;\r\nSRV(12);\r\n 4\r\n;\r\nSRV(21);\r\n 5\r\n;\r\nSRV(22);\r\n 1\r\n;\r\n"
        "PSI(1,1-2);\r\n 2\r\n;\r\nPSI(2,1-2);\r\n -.5\r\n;\r\nPSI(1,2-1);\r\n 3\r\n;\r\nPSI(2,2-1);\r\n -2\r\n;\r\n"
        "P(1);\r\n 9\r\n;\r\nP(2);\r\n 9\r\n;\r\nCP(1);\r\n 11  0\r\n;\r\nCP(2);\r\n -1  -7.25\r\n;\r\n"
        "DESIGN 0 0 ONEDIGIT;\r\n\r\nPROC TEST AICSAVE=CORVANE.AIC;\r\nPROC STOP;\r\n";
    return text;
}

inline tw::Model fixedModel()
{
    static const tw::Model model = [] {
        std::istringstream in(fixedModelText());
        auto read = tw::readPimModel(in, "fixed.inp");
        check(read.ok(), "the fixed model reads");
        return *read;
    }();
    return model;
}

}  // namespace fuzz
