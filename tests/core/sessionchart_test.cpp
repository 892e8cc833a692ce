// The PIM chart's commands as the session runs them, and the command line's chart steps.
#include <gtest/gtest.h>

#include <functional>

#include "cli/steps.h"
#include "pim/chartdata.h"
#include "session/session.h"
#include "sessionsupport.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

// Two groups, two age classes, two strata, two primary periods of 2 and 1 occasions: 32
// cells in 12 blocks (survival 0-3, movement 4-7, open capture 8-9, closed capture
// 10-11), cells tied in pairs (numbers 1..16), the design the identity.
Session smallSession()
{
    Session session;
    Model& m = session.model();
    m = modelOfShape(2, 2, 2, {2, 1});
    for (int i = 1; i <= m.npar; ++i)
        m.pim[static_cast<std::size_t>(i)] = static_cast<std::int16_t>((i + 1) / 2);
    for (int p = 1; p <= 16; ++p) {
        m.dm.set(p, p, 1);
        m.dm.setColUsed(p);
    }
    m.dmrows = m.dmcols = 16;
    return session;
}

using ChartCommand = std::function<Outcome(Session&, FrontEnd&)>;

struct CommandCase {
    const char* name;
    ChartCommand run;
};

const CommandCase kCommands[] = {
    {"time", [](Session& s, FrontEnd& f) { return s.changeBlock(f, 11, BlockCommand::Time); }},
    {"shift", [](Session& s, FrontEnd& f) { return s.shiftBlock(f, 6, 2); }},
    {"renumber without gaps", [](Session& s, FrontEnd& f) { return s.renumberWithoutGaps(f); }},
    {"renumber without sharing", [](Session& s, FrontEnd& f) { return s.renumberWithoutSharing(f); }},
};

// A window that refuses to write back stops the command; else the command is one undo step.
TEST(SessionChart, eachCommandWritesBackFirstAndIsOneUndoStep)
{
    for (const CommandCase& c : kCommands) {
        Session refused = smallSession();
        AnsweringFront refusing;
        refusing.writesBack = false;
        EXPECT_TRUE(c.run(refused, refusing).cancelled) << c.name;
        EXPECT_EQ(refused.model(), smallSession().model()) << c.name;
        EXPECT_EQ(refused.undoText(), "") << c.name;

        Session session = smallSession();
        const Model before = session.model();
        AnsweringFront front;
        front.writeBack = [&session] { session.model().pim[32] = 20; };  // a grid window's edit: a gap
        ASSERT_TRUE(c.run(session, front).done()) << c.name;
        EXPECT_TRUE(session.model().unsaved) << c.name;
        const std::string step = session.undoText();
        EXPECT_NE(step, "") << c.name;

        const Model after = session.model();
        ASSERT_TRUE(session.undo(front).done());
        Model written = before;
        written.pim[32] = 20;  // the edit written back stays; the command is taken back
        EXPECT_EQ(session.model(), written) << c.name;
        EXPECT_EQ(session.undoText(), "") << c.name;
        EXPECT_EQ(session.redoText(), step) << c.name;
        ASSERT_TRUE(session.redo(front).done());
        EXPECT_EQ(session.model(), after) << c.name;
    }
}

TEST(SessionChart, anyOtherChangeOfTheModelEndsTheHistory)
{
    const struct {
        const char* change;
        std::function<void(Session&, AnsweringFront&)> make;
    } cases[] = {
        {"a window edits the model in place", [](Session& s, AnsweringFront&) { s.model().pim[1] = 9; }},
        {"a window writes back before the next command",
         [](Session& s, AnsweringFront& f) {
             f.writeBack = [&s] { s.model().pim[1] = 9; };
             ASSERT_TRUE(s.changeBlock(f, 3, BlockCommand::Constant).done());
             EXPECT_EQ(s.undoText(), "Constant: Survival g2 s2");  // only the newest step is left
             ASSERT_TRUE(s.undo(f).done());
         }},
        {"the fixed-parameter list taken at Done",
         [](Session& s, AnsweringFront&) {
             s.setFixedList(FixedList({"S(1)=.5;"}));
             ASSERT_TRUE(s.applyFixedList().done());
         }},
    };
    for (const auto& c : cases) {
        Session session = smallSession();
        AnsweringFront front;
        ASSERT_TRUE(session.changeBlock(front, 0, BlockCommand::Constant).done());
        ASSERT_TRUE(session.shiftBlock(front, 1, 3).done());
        c.make(session, front);
        EXPECT_EQ(session.undoText(), "") << c.change;
        const Model now = session.model();
        ASSERT_TRUE(session.undo(front).done()) << c.change;
        EXPECT_EQ(session.model(), now) << c.change;
    }
}

TEST(SessionChart, undoAfterAWindowWroteBackSaysWhyNothingWasUndone)
{
    for (const bool redo : {false, true}) {
        Session session = smallSession();
        AnsweringFront front;
        ASSERT_TRUE(session.changeBlock(front, 0, BlockCommand::Constant).done());
        if (redo) {
            ASSERT_TRUE(session.undo(front).done());
        }
        front.writeBack = [&session] { session.model().pim[1] = 7; };
        const Outcome outcome = redo ? session.redo(front) : session.undo(front);
        ASSERT_TRUE(outcome.done());
        ASSERT_EQ(outcome.messages.size(), 1u);
        EXPECT_EQ(outcome.messages[0].text, "The edits of the open windows changed the model, so the chart's earlier "
                                            "steps can no longer be undone or redone.");
        EXPECT_EQ(session.model().pim[1], 7);
    }
}

// The bundled example copied into the current directory and read.
void readExampleCopy(Session& session)
{
    fs::copy_file(kExample, "example.inp");
    ASSERT_TRUE(run(session, &Session::readPims, {"example.inp"}).done());
}

TEST(SessionChart, readsAndSavesEndTheHistory)
{
    TempDir dir;
    Session session;
    readExampleCopy(session);
    AnsweringFront front;
    const std::pair<const char*, Outcome (Session::*)(FrontEnd&)> ends[] = {
        {"saved.inp", &Session::savePims}, {"saved-cons.inp", &Session::saveConstraints},
        {"example.inp", &Session::readPims}};
    for (const auto& [file, command] : ends) {
        ASSERT_TRUE(session.changeBlock(front, 0, BlockCommand::Constant).done());
        front.files = {file};
        ASSERT_TRUE((session.*command)(front).done()) << file;
        EXPECT_EQ(session.undoText(), "") << file;
    }
}

TEST(SessionChart, newStepDropsTheStepsUndoneAndTheOldestGoBeyondTheLimit)
{
    Session session = smallSession();
    AnsweringFront front;
    ASSERT_TRUE(session.shiftBlock(front, 0, 2).done());
    ASSERT_TRUE(session.undo(front).done());
    ASSERT_TRUE(session.changeBlock(front, 1, BlockCommand::Constant).done());
    EXPECT_EQ(session.redoText(), "");
    ASSERT_TRUE(session.undo(front).done());
    EXPECT_EQ(session.model(), smallSession().model());  // the shift, undone before, is not undone again
    EXPECT_EQ(session.undoText(), "");

    const Model start = session.model();
    for (std::size_t i = 0; i < ChangeHistory::kMaxSteps + 5; ++i)
        ASSERT_TRUE(session.shiftBlock(front, 5, i % 2 == 0 ? 1 : -1).done());
    std::size_t undone = 0;
    while (!session.undoText().empty()) {
        ASSERT_TRUE(session.undo(front).done());
        ++undone;
    }
    EXPECT_EQ(undone, ChangeHistory::kMaxSteps);
    EXPECT_NE(session.model(), start);  // the oldest steps can no longer be taken back
}

TEST(SessionChartSave, writesWhatTheFrontEndDrawsOrSaysWhyNot)
{
    const std::string replaceQuestion = "c.png already exists.\nDo you want to replace it?";
    const struct {
        const char* fault;
        std::optional<std::string> answer;
        bool loaded;
        std::string message;  // empty: written
        std::string written;
        std::optional<bool> replace = std::nullopt;  // the answer when c.png is there already
    } cases[] = {
        {"another ending", "c.jpg", true,
         "c.jpg: A chart is saved as PNG or PDF: the file name must end in .png or .pdf.", ""},
        {"no name", "", true, "No file selected", ""},
        {"no model", "c.png", false, "The model has no PIM blocks: read a model file first.", ""},
        {"the input file", "in.png", true, "Input & Output filenames (in.png) must be different!", ""},
        {"an existing file kept", "c.png", true, "", "old picture", false},
        {"an existing file replaced", "c.png", true, "", "png 12", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        TempDir dir;
        writeFile("in.png", "model");
        Session session = c.loaded ? smallSession() : Session();
        session.model().infile = "in.png";
        AnsweringFront front;
        front.files = {c.answer};
        std::vector<std::string> asked = {"save Save chart as chart.png"};
        if (c.replace) {
            writeFile("c.png", "old picture");
            front.confirms = {*c.replace};
            asked.push_back(replaceQuestion);
        }
        const Outcome outcome = session.saveChart(front);
        EXPECT_EQ(front.asked, asked);
        EXPECT_EQ(failureText(outcome), c.message);
        if (c.message.empty()) {
            EXPECT_EQ(fileText(*c.answer), c.written);
        }
        EXPECT_EQ(outcome.cancelled, c.replace == false);
        EXPECT_EQ(fileText("in.png"), "model");
    }
}

TEST(ChartCommandLine, describeBlocksPrintsOnStandardOutput)
{
    TempDir dir;
    const ToolRun run = runModelTool("--read-pims '" + kExample + "' --describe-blocks");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    auto model = readPimFile(kExample);
    ASSERT_TRUE(model.ok());
    EXPECT_EQ(run.out, describeBlocks(*model));
    EXPECT_EQ(run.err, "");
}

TEST(ChartCommandLine, chartStepDrawsWithTheDrawerItIsGiven)
{
    TempDir dir;
    fs::copy_file(kExample, "example.inp");
    Session session;
    std::ostringstream out, err;
    std::vector<ChartFormat> asked;
    const cli::ChartDrawer drawer = [&asked](const ChartData& chart, ChartFormat format) -> Result<std::string> {
        asked.push_back(format);
        return "rows " + std::to_string(chart.rows.size());
    };
    EXPECT_EQ(cli::runCommandLine({"--read-pims", "example.inp", "--chart", "a.pdf", "--chart", "b.png"}, session,
                                  out, err, drawer),
              0)
        << err.str();
    EXPECT_EQ(asked, (std::vector<ChartFormat>{ChartFormat::Pdf, ChartFormat::Png}));
    EXPECT_EQ(fileText("a.pdf"), "rows 24");
    EXPECT_EQ(out.str(), "");
}

}  // namespace
