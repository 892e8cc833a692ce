// The model statement as both readers read it: each reader's keyword order, one wording
// for each fault.
#include "model/modelstatement.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>

#include "model/constraintsreader.h"
#include "model/pimreader.h"

using namespace tw;

namespace {

Result<Model> readAsPims(const std::string& statement)
{
    std::istringstream in(statement + "\nCOHORT=1;\nPIM;\n");
    return readPimModel(in, "m.inp");
}

Result<ConstraintsRead> readAsConstraints(const std::string& statement)
{
    std::istringstream in(statement + "\nCOHORT=1;\n");
    return readConstraints(in, "m.inp");
}

// The caption pieces (the window shows them) follow each reader's keyword order.
TEST(ModelStatementCaption, piecesFollowEachReadersKeywordOrder)
{
    const std::string statement = "PROC MODEL NPAR=1 GROUPS=1 NAGE=1 NYRS=1 STRATA=1 SECPERS=1;";
    std::istringstream pimFile(statement + "\nCOHORT=1;\nPIM;\nSRV(1);\n;\nP(1);\n;\nCP(1);\n 1\n;\nDESIGN 0 0;\n"
                               "PROC;\n");
    PimReadNotes notes;
    ASSERT_TRUE(readPimModel(pimFile, "m.inp", &notes).ok());
    EXPECT_EQ(notes.caption, "npar=1 nage=1 groups=1 nyrs=1 nstrat=1");
    const auto constraints = readAsConstraints(statement);
    ASSERT_TRUE(constraints.ok()) << constraints.error().text();
    EXPECT_EQ(constraints->caption, "npar=1 groups=1 nage=1 nyrs=1 nstrat=1");
}

// Each fault reads the same through both readers, the value named the file's own; of two
// faults on one line each reader names the first in its own order (the third column).
TEST(ModelStatementFault, sameMessageThroughBothReadersAndFirstFaultInEachOrder)
{
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"PROC MODEL NPAR=1E999;", "m.inp, line 1: the value of NPAR is too large", ""},
        {"PROC MODEL NYRS=2 SECPERS=1 " + std::string(400, '9') + ";", "m.inp, line 1: a SECPERS value is too large",
         ""},
        {"PROC MODEL NYRS=2 SECPERS=1 -0.7;", "m.inp, line 1: SECPERS value -0.7 lies outside 0..32767", ""},
        {"PROC MODEL NYRS=2 SECPERS=20000 20000;",
         "m.inp, line 1: the SECPERS list adds up to more than 32767 secondary periods", ""},
        {"PROC MODEL NPAR=5 GROUPS=-1 NAGE=-2 NYRS=2;", "m.inp, line 1: NAGE=-2 lies outside 0..32767",
         "m.inp, line 1: GROUPS=-1 lies outside 0..32767"},
    };
    for (const auto& [statement, message, constraintsMessage] : cases) {
        SCOPED_TRACE(statement);
        const auto pims = readAsPims(statement);
        ASSERT_FALSE(pims.ok());
        EXPECT_EQ(pims.error().text(), message);
        const auto constraints = readAsConstraints(statement);
        ASSERT_FALSE(constraints.ok());
        EXPECT_EQ(constraints.error().text(), constraintsMessage.empty() ? message : constraintsMessage);
    }
}

}  // namespace
