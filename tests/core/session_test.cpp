// The session's commands as both front ends run them, and the command line over them.
#include "session/session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "cli/steps.h"
#include "model/fileerrors.h"
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
        for (const bool windowEdits : {false, true}) {
            for (const bool replace : {false, true}) {
                SCOPED_TRACE(std::string(reader.name) + (windowEdits ? ", edits in a window" : ", unsaved model")
                             + (replace ? ", OK" : ", Cancel"));
                TempDir dir;
                Session session;
                session.model().markChanged();
                if (windowEdits)
                    session.model().unsaved = false;
                const Model before = session.model();
                AnsweringFront front;
                front.edits = windowEdits;
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
        SCOPED_TRACE(std::string(reader.name) + ", nothing unsaved");
        TempDir dir;
        Session session;
        AnsweringFront front;
        const Outcome outcome = (session.*reader.command)(front);
        EXPECT_TRUE(outcome.cancelled);
        EXPECT_EQ(failureText(outcome), "");
        EXPECT_EQ(front.asked, std::vector<std::string>{reader.dialog});
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
        {"PIM read, empty", "", &Session::readPims, kNoFileSelected},
        {"constraints read, pattern", "*.*", &Session::readConstraints, kNoFileSelected},
        {"conversion, empty", "", &Session::convert, kNoFileSelected},
        {"conversion, cancelled", std::nullopt, &Session::convert, ""},
        {"per-period run, cancelled", std::nullopt, &Session::runEachPeriod, ""},
        {"per-period run, pattern", "*.*", &Session::runEachPeriod, kNoFileSelected},
        {"PIM save, pattern", "*.*", &Session::savePims, kNoFileSelected},
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
        EXPECT_TRUE(outcome.messages.empty());
        EXPECT_EQ(session.model(), before);
        EXPECT_TRUE(std::find(front.asked.begin(), front.asked.end(), "write back") == front.asked.end());
    }
}

TEST(SessionWindows, aWindowThatRefusesItsWriteBackStopsTheCommand)
{
    const std::pair<SessionCommand, std::string> commands[] = {
        // the answer of its file dialog
        {&Session::convert, kModel1Convert},
        {&Session::point, ""},
        {&Session::savePims, "OUT.MSS"},
        {&Session::saveConstraints, "OUT.INP"},
    };
    for (const auto& [command, file] : commands) {
        SCOPED_TRACE(file);
        TempDir dir;
        Session session;
        readAndConvertModel1(session);
        fs::remove("quarlet.chk");
        const Model before = session.model();
        AnsweringFront front;
        front.files = {file};
        front.writesBack = false;
        EXPECT_TRUE((session.*command)(front).cancelled);
        EXPECT_EQ(session.model(), before);
        EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{});
    }
}

TEST(SessionAvailability, followsTheRoadTaken)
{
    TempDir dir;
    Session session;
    using Available = std::vector<bool>;  // save constraints, save PIMs, convert
    const auto available = [&session] {
        return Available{session.available(Command::SaveConstraints), session.available(Command::SavePims),
                         session.available(Command::Convert)};
    };
    EXPECT_EQ(available(), (Available{false, false, false}));
    ASSERT_TRUE(run(session, &Session::readPims, {kExample26}).done());
    EXPECT_EQ(available(), (Available{true, true, false}));
    ASSERT_TRUE(readConstraints(session, kModel1).done());
    EXPECT_EQ(available(), (Available{true, false, true}));
    EXPECT_EQ(failureText(run(session, &Session::convert, {kExample26})),
              kExample26 + ", line 2: the file states NPAR=24 but the loaded model has npar=10");
    EXPECT_EQ(available(), (Available{true, false, true}));
    ASSERT_TRUE(run(session, &Session::convert, {kModel1Convert}).done());
    EXPECT_EQ(available(), (Available{true, true, true}));
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
        ASSERT_EQ(front.runs.size(), 1u);
        EXPECT_EQ(front.runs[0].program, "tw/fennel1");
        EXPECT_EQ(front.runs[0].standardInput, "i=runsurv.t1 l=runsurv.t2 \n");
        EXPECT_EQ(session.model(), before);
        EXPECT_TRUE(session.fixedList().entries().empty());
    }
}

// The status texts are the front end's to show; here, which file the model now matches
// (the window's title and its list of recent models follow it).
TEST(SessionStatus, readsAndSavesNameTheFileTheModelNowMatches)
{
    TempDir dir;
    Session session;
    const std::string modelFile = fullPath(kModel1);
    ASSERT_EQ(readConstraints(session, kModel1).status, "Read: " + modelFile + "; numbered: 3 parameters, 2 fixed");
    EXPECT_EQ(session.modelFile(), kModel1);
    const struct {
        SessionCommand command;
        std::string answer;  // the answer of its file dialog
        std::optional<ModelFile> file;
    } steps[] = {
        {&Session::point, "", {}},
        {&Session::saveConstraints, "OUT.INP", ModelFile{"OUT.INP", ModelForm::Constraints}},
        {&Session::convert, kModel1Convert, {}},
        {&Session::savePims, "out.mss", ModelFile{"out.mss", ModelForm::Pim}},
        {&Session::readPims, "out.mss", ModelFile{"out.mss", ModelForm::Pim}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.answer);
        const Outcome outcome = run(session, step.command, {step.answer}, {true});
        ASSERT_TRUE(outcome.done()) << failureText(outcome);
        EXPECT_NE(outcome.status, "");
        EXPECT_EQ(outcome.file, step.file);
        if (step.file) {
            EXPECT_EQ(session.modelFile(), step.file->path);
        }
    }
}

TEST(SessionStatus, aFailedSaveIsCriticalAndAFailedReadAWarningAndNeitherSaysDone)
{
    TempDir dir;
    Session session;
    ASSERT_TRUE(readConstraints(session, kModel1).done());
    const Outcome read = readConstraints(session, "missing.inp");
    EXPECT_EQ(read.failureSeverity, Severity::Warning);
    const Outcome saved = run(session, &Session::saveConstraints, {"no folder/OUT.INP"});
    ASSERT_TRUE(saved.failure);
    EXPECT_EQ(saved.failureSeverity, Severity::Critical);
    for (const Outcome* outcome : {&read, &saved}) {
        EXPECT_EQ(outcome->status, "");
        EXPECT_FALSE(outcome->file);
    }
    EXPECT_EQ(session.modelFile(), kModel1);
}

TEST(SessionCommandLine, runsTheConstraintRoad)
{
    const std::string chk = "quarlet.chk";
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        int exitCode;
        std::string err;
        std::vector<std::string> filesWritten;
    } cases[] = {
        {"readAndWrite", {"--read-constraints", kModel1, "--write-constraints", "out.inp"}, 0,
         "New CORVANE input file saved as out.inp\n", {"out.inp", chk}},
        {"noFileSelected", {"--read-pims", "*.*"}, 1, "No file selected\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Session session;
        std::ostringstream out, err;
        EXPECT_EQ(cli::runCommandLine(c.arguments, session, out, err), c.exitCode);
        EXPECT_EQ(err.str(), c.err);
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(filesIn(dir.path()), c.filesWritten);
    }
}

}  // namespace
