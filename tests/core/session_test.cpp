// The session's commands as both front ends run them.
#include "session/session.h"

#include <gtest/gtest.h>

#include <functional>

#include "sessionsupport.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

// The answering front end, starting outside programs from a script.
struct ScriptedFront : AnsweringFront {
    std::function<ProgramEnd(const ProgramRun&)> program;  // unset: the program cannot start
    std::vector<ProgramRun> runs;
    ProgramEnd runProgram(const ProgramRun& run) override
    {
        runs.push_back(run);
        return program ? program(run) : ProgramEnd{};
    }
};

Outcome readConstraints(Session& session, const std::string& file)
{
    return run(session, &Session::readConstraints, {file}, {true});
}

TEST(SessionFailedListing, leavesTheModelItHadBefore)
{
    // "quarlet.chk" is a folder: the listing cannot be written, so the numbering is not kept.
    const std::pair<const char*, SessionCommand> commands[] = {
        {"Compute POINT(i)", &Session::point},
        {"Get input file w/ constraints", &Session::readConstraints},
    };
    for (const auto& [name, command] : commands) {
        SCOPED_TRACE(name);
        TempDir dir;
        Session session;
        ASSERT_TRUE(readConstraints(session, kModel1).done());
        session.model().pim[2] = 9;  // numbering would renumber it
        const Model before = session.model();
        fs::remove("quarlet.chk");
        fs::create_directory("quarlet.chk");
        const Outcome outcome = run(session, command, {kModel1}, {true});
        ASSERT_TRUE(outcome.failure);
        EXPECT_NE(failureText(outcome).find("quarlet.chk"), std::string::npos) << failureText(outcome);
        EXPECT_EQ(session.model(), before);
        EXPECT_TRUE(session.available(Command::Convert));
    }
}

TEST(SessionReaders, askBeforeReplacingUnsavedWorkAndBeforeTheFileDialog)
{
    const struct {
        const char* name;
        SessionCommand command;
        std::string dialog;
        std::string file;
    } readers[] = {
        {"PIMs", &Session::readPims, "open PIM input file", kExample26},
        {"constraints", &Session::readConstraints, "open CORVANE input file", kModel1},
    };
    for (const auto& reader : readers) {
        for (const bool replace : {false, true}) {
            SCOPED_TRACE(std::string(reader.name) + (replace ? ", OK" : ", Cancel"));
            TempDir dir;
            Session session;
            session.model().markChanged();
            const Model before = session.model();
            AnsweringFront front;
            front.confirms = {replace};
            front.files = {reader.file};
            const Outcome outcome = (session.*reader.command)(front);
            std::vector<std::string> expected = {kReplaceQuestion};
            if (replace)
                expected.push_back(reader.dialog);
            EXPECT_EQ(front.asked, expected);
            EXPECT_EQ(outcome.done(), replace);
            EXPECT_EQ(session.model() == before, !replace);
        }
    }
}

TEST(SessionNoFileSelected, everyFileDialogLeftWithoutAFileEndsTheCommandAlike)
{
    const struct {
        const char* name;
        std::optional<std::string> answer;
        SessionCommand command;
        std::string failure;  // empty: the command ends silently
    } cases[] = {
        {"PIM read, cancelled", std::nullopt, &Session::readPims, ""},
        {"constraints read, pattern", "*.*", &Session::readConstraints, "No file selected"},
        {"conversion, empty", "", &Session::convert, "No file selected"},
        {"per-period run, pattern", "*.*", &Session::runEachPeriod, "No file selected"},
        {"PIM save, empty", "", &Session::savePims, "No file selected"},
        {"constraints save, cancelled", std::nullopt, &Session::saveConstraints, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Session session;
        readAndConvertModel1(session);
        const Model before = session.model();
        ScriptedFront front;
        front.files = {c.answer};
        front.confirms = {true};  // replace the unsaved model
        const Outcome outcome = (session.*c.command)(front);
        EXPECT_EQ(failureText(outcome), c.failure);
        EXPECT_EQ(outcome.cancelled, c.failure.empty());
        EXPECT_EQ(session.model(), before);
    }
}

TEST(SessionAvailability, commandsNotYetAvailableWriteNothing)
{
    TempDir dir;
    Session session;
    AnsweringFront front;
    front.files = {"OUT.INP", kModel1, "OUT.MSS"};
    const std::vector<std::pair<Outcome, std::string>> cases = {
        {session.saveConstraints(front), "\"Save model w/ constraints\" is not available at this point"},
        {session.convert(front), "\"Convert constraints to PIMs\" is not available at this point"},
        {session.savePims(front), "\"Save model w/ PIM's\" is not available at this point"},
    };
    for (const auto& [outcome, message] : cases)
        EXPECT_EQ(failureText(outcome), message);
    EXPECT_TRUE(front.asked.empty());
    EXPECT_TRUE(fs::is_empty(dir.path()));
    EXPECT_EQ(session.model(), startupModel());
}

TEST(SessionPoint, reportsAllFixedOnceAndMarksTheModelChanged)
{
    TempDir dir;
    Session session;
    Model& model = session.model();
    model.npar = 4;
    createCellArrays(model);
    model.pim[4] = 0;
    model.fixedlist = {"S(1)=.5", "S(2)=.5", "S(3)=.5"};
    const Outcome outcome = run(session, &Session::point, {});
    ASSERT_TRUE(outcome.done());
    EXPECT_EQ(outcome.messages,
              (std::vector<Message>{{kProgramTitle, "All params are fixed. Nothing to estimate", Severity::Warning}}));
    EXPECT_TRUE(session.model().unsaved);
}

TEST(SessionPerPeriod, aRunThatFailsOrIsCancelledFixesNothing)
{
    const struct {
        const char* name;
        std::function<ProgramEnd(const ProgramRun&)> program;
        std::string failure;
        bool cancelled;
    } cases[] = {
        {"not started", [](const ProgramRun&) { return ProgramEnd{false, false, "No such file"}; },
         "FENNEL1 could not be started: tw/fennel1: No such file\nNothing was fixed.", false},
        {"cancelled", [](const ProgramRun&) { return ProgramEnd{true, true, ""}; }, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        fs::create_directory("tw");
        writeFile("tw/fennel1", "");  // started by the front end, never for real
        Session session;
        session.setInstallDirectory("tw");
        session.model().npar = 40;
        createCellArrays(session.model());
        const Model before = session.model();
        ScriptedFront front;
        front.files = {TW_TEST_DATA "/persperiod/periods.inp"};
        front.program = c.program;
        const Outcome outcome = session.runEachPeriod(front);
        EXPECT_EQ(failureText(outcome), c.failure);
        EXPECT_EQ(outcome.cancelled, c.cancelled);
        EXPECT_EQ(front.runs.size(), 1u);
        EXPECT_EQ(session.model(), before);
        EXPECT_TRUE(session.fixedList().entries().empty());
    }
}

}  // namespace
