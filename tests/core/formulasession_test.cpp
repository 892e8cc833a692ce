// Model formulas in the session, the design columns' names and the command line.
#include <gtest/gtest.h>

#include <functional>

#include "design/designtable.h"
#include "design/formulaapply.h"
#include "session/session.h"
#include "sessionsupport.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

constexpr const char* kFormulas = "survival ~ time + stratum; movement ~ -1 + stratum:tostratum";

void readExample(Session& session)
{
    AnsweringFront front;
    front.files = {kExample};
    ASSERT_TRUE(session.readPims(front).done());
}

TEST(FormulaSessionApply, keepsTheBuiltModelUnsavedWithNamedColumnsAndReportsEachKind)
{
    Session session;
    readExample(session);
    const FormulaResult<FormulaModel> expected = applyFormulas(session.model(), parseFormulaList(kFormulas).value());
    ASSERT_TRUE(expected.ok());
    AnsweringFront front;
    const Outcome outcome = session.applyFormulaList(front, kFormulas);
    ASSERT_TRUE(outcome.done()) << failureText(outcome);
    EXPECT_EQ(session.model(), expected->model);
    EXPECT_TRUE(session.model().unsaved);
    EXPECT_EQ(session.designColumnNames(), expected->columnNames);
    EXPECT_EQ(outcome.notes, identifiabilityLines(expected.value()));
}

// The parser's messages are pinned in its own tests; here, what the session keeps.
TEST(FormulaSessionApply, refusedFormulaModelOrWindowChangesNothingAndClosesNoWindow)
{
    const struct {
        const char* fault;
        const char* formulas;
        bool writesBack;
        std::string failure;  // empty: cancelled
        int writeBacks;
    } cases[] = {
        {"a refused formula", "survival ~ time +", true,
         "survival ~ time +: a term is missing after \"+\" at column 17", 0},
        {"the design window refused its Close", kFormulas, false, "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        Session session;
        readExample(session);
        const Model before = session.model();
        AnsweringFront front;
        front.writesBack = c.writesBack;
        const Outcome outcome = session.applyFormulaList(front, c.formulas);
        EXPECT_EQ(failureText(outcome), c.failure);
        EXPECT_EQ(outcome.cancelled, c.failure.empty());
        EXPECT_EQ(session.model(), before);
        EXPECT_EQ(front.writeBacks, c.writeBacks);
    }
}

TEST(FormulaSessionApply, editsOpenWindowsWriteBackTakePart)
{
    Session session;
    readExample(session);
    AnsweringFront front;
    front.edits = true;
    // A grid window fixes cell 1 as it closes: the cell keeps its marker, takes no part.
    front.writeBack = [&session] { session.model().pim[1] = fixedMarker(session.model().pim[1]); };
    ASSERT_TRUE(session.applyFormulaList(front, kFormulas).done());
    EXPECT_TRUE(isFixedMarker(session.model().pim[1]));
    EXPECT_EQ(session.model().pim[2], 1);
}

// A model of three parameters over columns named a, b, c: parameter 2 alone uses b.
Model namedColumns()
{
    Model m = labelledParameters(3, 3);
    m.pim = {0, 1, 2, 3};
    m.dm.set(1, 1, 1);
    m.dm.set(1, 3, 1);
    m.dm.set(2, 2, 1);
    m.dm.set(3, 3, 1);
    for (int c = 1; c <= 3; ++c)
        m.dm.setColUsed(c);
    m.dm.setColumnNames({"a", "b", "c"});
    return m;
}

std::vector<std::string> namesOf(const Model& m)
{
    std::vector<std::string> names;
    for (int c = 1; c <= m.dmcols; ++c)
        names.push_back(m.dm.columnName(c));
    return names;
}

TEST(DesignColumnNames, handEditsDropTheNamesThatNoLongerHold)
{
    const auto writeBack = [](const std::function<void(DesignTable&, Model&)>& edit) {
        Model m = namedColumns();
        DesignTable table;
        table.build(m, {1, 2, 3});
        edit(table, m);
        table.writeBack(m);
        return namesOf(m);
    };
    // Retyping a header moves the column's entries into another column: that one's name goes.
    EXPECT_EQ(writeBack([](DesignTable& t, Model&) { t.setHeader(0, "B3"); }),
              (std::vector<std::string>{"a", "b", ""}));
    // An added column has no name, even where an earlier column of that number had one.
    EXPECT_EQ(writeBack([](DesignTable& t, Model& m) {
                  m.dmcols = 2;
                  ASSERT_TRUE(t.addColumn(m).ok());
              }),
              (std::vector<std::string>{"a", "b", ""}));
}

TEST(DesignColumnNames, followASaveThatClosesGaps)
{
    TempDir dir;
    Session session;
    readExample(session);
    AnsweringFront front;
    ASSERT_TRUE(session.applyFormulaList(front, "survival ~ time + stratum").done());
    std::vector<std::string> names = session.designColumnNames();
    // Fixing every cell of the first open parameter takes its row and its column away.
    const int open = session.model().pim[static_cast<std::size_t>(survivalBlockSize(session.model()) + 1)];
    const std::string gone = "open:" + std::to_string(open);
    ASSERT_NE(std::find(names.begin(), names.end(), gone), names.end());
    for (auto& p : session.model().pim)
        if (p == open)
            p = fixedMarker(p);
    names.erase(std::find(names.begin(), names.end(), gone));

    front.files = {"saved.inp"};
    ASSERT_TRUE(session.savePims(front).done());
    EXPECT_EQ(session.designColumnNames(), names);
}

// The command line gives the file the session gives, and the table names the columns.
TEST(FormulaCommandLine, formulasReachTheSavedModelAndTheDesignTable)
{
    const std::string formulas = "survival ~ time + stratum; movement ~ -1 + stratum:tostratum; open ~ Time; "
                                 "closed ~ session + occasion";
    TempDir dir;
    fs::copy_file(kExample, "example.inp");
    const ToolRun run = runModelTool("--read-pims example.inp --formulas '" + formulas
                                     + "' --write-pims out.inp --write-design-table table.tsv");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "survival: 12 parameters, 6 columns\nmovement: 6 parameters, 6 columns\n"
                       "open: 4 parameters, 2 columns\nclosed: 14 parameters, 8 columns\n");

    Session session;
    AnsweringFront front;
    front.files = {"example.inp", "session.inp"};
    ASSERT_TRUE(session.readPims(front).done());
    ASSERT_TRUE(session.applyFormulaList(front, formulas).done());
    ASSERT_TRUE(session.savePims(front).done());
    EXPECT_EQ(fileText("out.inp"), fileText("session.inp"));
    const std::string header = firstLine(fileText("table.tsv"));
    EXPECT_EQ(header.find("parameter\tsurvival:(Intercept)\tsurvival:time2\t"), 0u) << header;
    EXPECT_NE(header.find("\tclosed:session2\t"), std::string::npos) << header;
}

TEST(FormulaCommandLine, refusedFormulasFailTheStepAndWriteNothing)
{
    const struct {
        const char* formulas;
        const char* message;
    } cases[] = {
        {"open ~ (time", "open ~ (time: \"(\" at column 8 is not closed"},
        // An empty operand must not swap the model's design matrix for identity columns.
        {"", "no formula given: write one per kind, such as \"survival ~ time + stratum; open ~ 1\""},
    };
    TempDir dir;
    fs::copy_file(kExample, "example.inp");
    for (const auto& c : cases) {
        const ToolRun run = runModelTool(std::string("--read-pims example.inp --formulas '") + c.formulas
                                         + "' --write-pims out.inp");
        EXPECT_EQ(run.exitCode, 1) << c.formulas;
        EXPECT_EQ(run.err, std::string(c.message) + "\n") << c.formulas;
        EXPECT_FALSE(fs::exists("out.inp")) << c.formulas;
    }
}

}  // namespace
