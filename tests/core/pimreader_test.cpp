#include "model/pimreader.h"

#include <gtest/gtest.h>

#include "session/session.h"
#include "sessionsupport.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

// One group, one stratum, two seasons of one secondary period: cells 1 (survival),
// 2 (open capture), 3 and 4 (closed capture).
const std::string kSmall =
    "PROC TITLE 'small';\n"                            // 1
    "PROC MODEL NPAR=4 NYRS=2 STRATA=1 SECPERS=1 1;\n"  // 2
    "COHORT=3;\n"                                       // 3
    "PIM;\n"                                            // 4
    "SRV(1);\n 1\n;\n"                                  // 5-7
    "P(1);\n 2\n;\n"                                    // 8-10
    "CP(1);\n 3  4 \n;\n"                               // 11-13
    "DESIGN 4 4 ONEDIGIT;\n"                            // 14
    " 1  1  1;\n"                                       // 15
    "PROC TEST AICSAVE=CORVANE.AIC;\n"                  // 16
    "PROC STOP;\n";

// A failed read names the file and line, and the loaded model and menus stay as they were.
TEST(PimReadFailure, reportsWhereAndLeavesTheModelAlone)
{
    const std::pair<std::string, std::string> cases[] = {
        {replaced(kSmall, "P(1);\n 2\n", "P(1);\n 1E999\n"),
         "bad.inp, line 10: a value in the open-capture block of stratum 1 is too large"},
        // NPAR must be the cells of the blocks, wherever the statement's line ends.
        {replaced(kSmall, "NPAR=4 NYRS=2", "NPAR=3\nNYRS=2"),
         "bad.inp, line 2: NPAR=3, but GROUPS, NAGE, NYRS, STRATA and SECPERS give 4 cells"},
    };
    TempDir dir;
    writeFile("good.inp", kSmall);
    Session session;
    ASSERT_TRUE(run(session, &Session::readPims, {"good.inp"}).done());
    session.model().markChanged();
    const Model before = session.model();
    for (const auto& [text, message] : cases) {
        writeFile("bad.inp", text);
        EXPECT_EQ(failureText(run(session, &Session::readPims, {"bad.inp"}, {true})), message);
        EXPECT_EQ(session.model(), before);
        EXPECT_TRUE(session.available(Command::SavePims));
    }
}

}  // namespace
