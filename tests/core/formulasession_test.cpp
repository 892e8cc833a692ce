// Model formulas in the session, the formulas window's fields and the command line.
#include <gtest/gtest.h>

#include <functional>

#include "design/designtable.h"
#include "design/formulaapply.h"
#include "design/formulafields.h"
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
    EXPECT_EQ(front.writeBacks, 1);
    EXPECT_EQ(session.model(), expected->model);
    EXPECT_TRUE(session.model().unsaved);
    EXPECT_EQ(session.designColumnNames(), expected->columnNames);
    EXPECT_EQ(outcome.notes, identifiabilityLines(expected.value()));
    EXPECT_EQ(session.formulaTexts(),
              (std::array<std::string, kKindCount>{"~ time + stratum", "~ -1 + stratum:tostratum", "", ""}));
}

// The parser's messages are pinned in its own tests; here, what the session keeps.
TEST(FormulaSessionApply, refusedFormulaModelOrWindowChangesNothingAndClosesNoWindow)
{
    const struct {
        const char* fault;
        std::function<void(Session&)> load;
        const char* formulas;
        bool writesBack;
        std::string failure;  // empty: cancelled
        int writeBacks;
    } cases[] = {
        {"a refused formula", readExample, "survival ~ time +", true,
         "survival ~ time +: a term is missing after \"+\" at column 17", 0},
        {"nothing read yet", [](Session&) {}, "survival ~ time", true,
         "There is no model yet: read a model file first.", 0},
        {"one stratum: no movement cells",
         [](Session& s) { s.model() = modelOfShape(1, 1, 1, {2, 2}); }, "movement ~ time", true,
         "movement ~ time: the model has no movement cells", 0},
        {"the design window refused its Close", readExample, kFormulas, false, "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        Session session;
        c.load(session);
        session.setFormulaTexts({"~ age", "", "", ""});
        const Model before = session.model();
        AnsweringFront front;
        front.writesBack = c.writesBack;
        const Outcome outcome = session.applyFormulaList(front, c.formulas);
        EXPECT_EQ(failureText(outcome), c.failure);
        EXPECT_EQ(outcome.cancelled, c.failure.empty());
        EXPECT_EQ(session.model(), before);
        EXPECT_EQ(front.writeBacks, c.writeBacks);
        EXPECT_EQ(session.formulaTexts()[0], "~ age");
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

TEST(FormulaFields, aRefusedKindIsKeptWhileTheOthersShowWhatTheyMake)
{
    // One stratum: no movement cells. Two intervals, three periods of 2 occasions.
    const Model model = modelOfShape(1, 1, 1, {2, 2, 2});
    const FormulaFields typing = readFormulaFields(model, {"~ time", "", "~ (", " \t "});
    EXPECT_FALSE(typing.complete());
    ASSERT_TRUE(typing.errors[kindIndex(CellKind::Open)]);
    EXPECT_EQ(typing.errors[kindIndex(CellKind::Open)]->column, 3);
    ASSERT_TRUE(typing.applied);
    EXPECT_FALSE(typing.formulas[CellKind::Open]);
    EXPECT_EQ(fieldStatus(typing, CellKind::Survival), "2 parameters, 2 columns");
    EXPECT_EQ(fieldStatus(typing, CellKind::Movement), "no movement cells in this model");
    EXPECT_EQ(fieldStatus(typing, CellKind::Closed), "no formula: 6 parameters kept, 6 columns");
    EXPECT_EQ(typing.design.size(), static_cast<std::size_t>(model.npar) + 1);

    const FormulaFields noCells = readFormulaFields(model, {"~ time", "~ stratum", "", ""});
    ASSERT_TRUE(noCells.errors[kindIndex(CellKind::Movement)]);
    EXPECT_EQ(noCells.errors[kindIndex(CellKind::Movement)]->message, "the model has no movement cells");
    EXPECT_EQ(fieldStatus(noCells, CellKind::Survival), "2 parameters, 2 columns");

    const FormulaFields complete = readFormulaFields(model, {"~ time", "", "~ 1", ""});
    EXPECT_TRUE(complete.complete());
    EXPECT_EQ(fieldStatus(complete, CellKind::Open), "1 parameter, 1 column");
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
    // Typing a value keeps the column what it was.
    EXPECT_EQ(writeBack([](DesignTable& t, Model&) { t.setText(t.cellIndex(0, 1), "2"); }),
              (std::vector<std::string>{"a", "b", "c"}));
    // Retyping a header moves the column's entries into another column: that one's name goes.
    EXPECT_EQ(writeBack([](DesignTable& t, Model&) { t.setHeader(0, "B3"); }),
              (std::vector<std::string>{"a", "b", ""}));
    // An added column has no name, even where an earlier column of that number had one.
    EXPECT_EQ(writeBack([](DesignTable& t, Model& m) {
                  m.dmcols = 2;
                  ASSERT_TRUE(t.addColumn(m).ok());
              }),
              (std::vector<std::string>{"a", "b", ""}));

    Model m = namedColumns();
    DesignTable table;
    table.build(m, {1});
    EXPECT_EQ(table.column(0).name, "a");
    EXPECT_EQ(table.column(1).name, "c");
}

TEST(DesignColumnNames, followASaveThatClosesGapsAndGoWithANewRead)
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

    front.files = {"saved.inp"};
    ASSERT_TRUE(session.readPims(front).done());
    for (const std::string& name : session.designColumnNames())
        EXPECT_EQ(name, "");
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
        {" ; ", "no formula given: write one per kind, such as \"survival ~ time + stratum; open ~ 1\""},
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
