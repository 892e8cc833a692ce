// The model statement as both readers and the conversion of constraints to PIMs read it:
// one wording for each fault, and each reader's own keyword order.
#include "model/modelstatement.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>

#include "model/constraintsreader.h"
#include "model/constraintstopims.h"
#include "model/pimreader.h"

using namespace tw;

namespace {

// Five cells: two survival cells (groups 2), an open-capture cell and two closed-capture
// cells; the statement is line 1.
std::string pimFile(const std::string& statement)
{
    return statement + "\nCOHORT=1;\nPIM;\nSRV(11);\n 1\n;\nSRV(21);\n 2\n;\nP(1);\n 3\n;\nCP(1);\n 4 5\n;\n"
                       "DESIGN 0 0;\nPROC TEST;\n";
}

Result<Model> readAsPims(const std::string& statement, std::string* caption = nullptr)
{
    std::istringstream in(pimFile(statement));
    PimReadNotes notes;
    auto model = readPimModel(in, "m.inp", &notes);
    if (caption)
        *caption = notes.caption;
    return model;
}

Result<ConstraintsRead> readAsConstraints(const std::string& statement)
{
    std::istringstream in(statement + "\nCOHORT=1;\n");
    return readConstraints(in, "m.inp");
}

const std::string kStatement = "PROC MODEL NPAR=5 GROUPS=2 NAGE=1 NYRS=2 STRATA=1 SECPERS=1 1;";

TEST(ModelStatementCaption, piecesFollowEachReadersKeywordOrder)
{
    std::string caption;
    const auto pims = readAsPims(kStatement, &caption);
    ASSERT_TRUE(pims.ok()) << pims.error().text();
    EXPECT_EQ(caption, "npar=5 nage=1 groups=2 nyrs=2 nstrat=1");
    const auto constraints = readAsConstraints(kStatement);
    ASSERT_TRUE(constraints.ok()) << constraints.error().text();
    EXPECT_EQ(constraints->caption, "npar=5 groups=2 nage=1 nyrs=2 nstrat=1");
    EXPECT_EQ(constraints->model.secpers, pims->secpers);
    EXPECT_EQ(constraints->model.totsec, 2);
}

// Each fault reads the same through both readers, the value named the file's own; of two
// faults on one line each reader names the first in its own order (the third column).
TEST(ModelStatementFault, sameMessageThroughBothReadersAndFirstFaultInEachOrder)
{
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"PROC MODEL NPAR=1E999;", "m.inp, line 1: the value of NPAR is too large", ""},
        {"PROC MODEL NPAR=5 NYRS=0.5;", "m.inp, line 1: NYRS=0.5 lies outside 1..32767", ""},
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

// The conversion compares the file's statement with the loaded model's dimensions.
TEST(ModelStatementCheck, conversionRefusesAnotherShape)
{
    const std::pair<std::string, std::string> cases[] = {
        {"PROC MODEL NPAR=5 GROUPS=1 NAGE=3;", "c.inp, line 1: the file states NAGE=3 but the loaded model has nage=1"},
        {"PROC MODEL GROUPS=3 STRATA=2;", "c.inp, line 1: the file states STRATA=2 but the loaded model has strata=1"},
        {"PROC MODEL NPAR=1E999;", "c.inp, line 1: the value of NPAR is too large"},
        {"PROC MODEL NYRS=2 SECPERS=1\n 2;",
         "c.inp, line 2: the file states 2 secondary periods for primary period 2 but the loaded model has 1"},
    };
    const auto read = readAsPims(kStatement);
    ASSERT_TRUE(read.ok()) << read.error().text();
    for (const auto& [statement, message] : cases) {
        SCOPED_TRACE(statement);
        Model model = *read;
        std::istringstream in(statement + "\nPROC ESTIMATE NAME=X;\nCONSTRAINTS;\nPROC TEST;\n");
        const Status converted = convertConstraints(model, in, "c.inp");
        ASSERT_FALSE(converted.ok());
        EXPECT_EQ(converted.error().text(), message);
        EXPECT_EQ(model, *read);
    }
}

}  // namespace
