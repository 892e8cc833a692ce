// The session's commands as both front ends run them: the questions asked and their
// order, "No file selected", the availability of the commands, the listing of the
// numbering, and the command line over them.
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

const std::string kModel1 = TW_TEST_DATA "/constraints/model1.inp";
const std::string kExample26 = TW_TEST_DATA "/pim/example26/input.inp";

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

using SessionCommand = std::function<Outcome(Session&, FrontEnd&)>;

Outcome readConstraints(Session& session, const std::string& file)
{
    ScriptedFront front;
    front.files = {file};
    front.confirms = {true};
    return session.readConstraints(front);
}

TEST(SessionFailedListing, leavesTheModelItHadBefore)
{
    // "quarlet.chk" is a folder: the listing cannot be written, so the numbering is not kept.
    const std::vector<std::pair<const char*, SessionCommand>> commands = {
        {"Compute POINT(i)", [](Session& s, FrontEnd& front) { return s.point(front); }},
        {"Get input file w/ constraints", [](Session& s, FrontEnd& front) { return s.readConstraints(front); }},
    };
    for (const auto& [name, run] : commands) {
        SCOPED_TRACE(name);
        TempDir dir;
        Session session;
        ASSERT_TRUE(readConstraints(session, kModel1).done());
        session.model().pim[2] = 9;  // numbering would renumber it
        const Model before = session.model();
        fs::remove("quarlet.chk");
        fs::create_directory("quarlet.chk");
        ScriptedFront front;
        front.files = {kModel1};
        front.confirms = {true};
        const Outcome outcome = run(session, front);
        ASSERT_TRUE(outcome.failure);
        EXPECT_NE(failureText(outcome).find("quarlet.chk"), std::string::npos) << failureText(outcome);
        EXPECT_EQ(session.model(), before);
        EXPECT_TRUE(session.available(Command::Convert));
    }
}

TEST(SessionReaders, askBeforeReplacingUnsavedWorkAndBeforeTheFileDialog)
{
    struct Case {
        const char* name;
        SessionCommand run;
        std::string dialog;
    };
    const std::vector<Case> readers = {
        {"PIMs", [](Session& s, FrontEnd& f) { return s.readPims(f); }, "open PIM input file"},
        {"constraints", [](Session& s, FrontEnd& f) { return s.readConstraints(f); }, "open CORVANE input file"},
    };
    for (const Case& reader : readers) {
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
                ScriptedFront front;
                front.edits = windowEdits;
                front.confirms = {replace};
                front.files = {reader.name == std::string("PIMs") ? kExample26 : kModel1};
                const Outcome outcome = reader.run(session, front);
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
        ScriptedFront front;
        const Outcome outcome = reader.run(session, front);
        EXPECT_TRUE(outcome.cancelled);
        EXPECT_EQ(failureText(outcome), "");
        EXPECT_EQ(front.asked, std::vector<std::string>{reader.dialog});
    }
}

TEST(SessionNoFileSelected, everyFileDialogLeftWithoutAFileEndsTheCommandAlike)
{
    struct Case {
        const char* name;
        std::optional<std::string> answer;
        SessionCommand run;
        std::string failure;  // empty: the command ends silently
    };
    const SessionCommand savePims = [](Session& s, FrontEnd& f) { return s.savePims(f); };
    const std::vector<Case> cases = {
        {"PIM read, cancelled", std::nullopt, [](Session& s, FrontEnd& f) { return s.readPims(f); }, ""},
        {"PIM read, empty", "", [](Session& s, FrontEnd& f) { return s.readPims(f); }, kNoFileSelected},
        {"constraints read, pattern", "*.*", [](Session& s, FrontEnd& f) { return s.readConstraints(f); },
         kNoFileSelected},
        {"conversion, empty", "", [](Session& s, FrontEnd& f) { return s.convert(f); }, kNoFileSelected},
        {"conversion, cancelled", std::nullopt, [](Session& s, FrontEnd& f) { return s.convert(f); }, ""},
        {"per-period run, cancelled", std::nullopt, [](Session& s, FrontEnd& f) { return s.runEachPeriod(f); },
         ""},
        {"per-period run, pattern", "*.*", [](Session& s, FrontEnd& f) { return s.runEachPeriod(f); },
         kNoFileSelected},
        {"PIM save, pattern", "*.*", savePims, kNoFileSelected},
        {"PIM save, cancelled", std::nullopt, savePims, ""},
        {"constraints save, empty", "", [](Session& s, FrontEnd& f) { return s.saveConstraints(f); },
         kNoFileSelected},
        {"constraints save, cancelled", std::nullopt, [](Session& s, FrontEnd& f) { return s.saveConstraints(f); },
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Session session;
        ASSERT_TRUE(readConstraints(session, kModel1).done());
        ScriptedFront convertFirst;
        convertFirst.files = {TW_TEST_DATA "/constraints/model1-convert.inp"};
        ASSERT_TRUE(session.convert(convertFirst).done());
        const Model before = session.model();
        ScriptedFront front;
        front.files = {c.answer};
        front.confirms = {true};  // replace the unsaved model
        const Outcome outcome = c.run(session, front);
        EXPECT_EQ(failureText(outcome), c.failure);
        EXPECT_EQ(outcome.cancelled, c.failure.empty());
        EXPECT_FALSE(outcome.done());
        EXPECT_TRUE(outcome.messages.empty());
        EXPECT_EQ(session.model(), before);
        EXPECT_TRUE(std::find(front.asked.begin(), front.asked.end(), "write back") == front.asked.end());
    }
}

TEST(SessionWindows, aWindowThatRefusesItsWriteBackStopsTheCommand)
{
    struct Case {
        const char* name;
        SessionCommand run;
        std::string file;  // the answer of its file dialog
    };
    const std::vector<Case> commands = {
        {"convert", [](Session& s, FrontEnd& f) { return s.convert(f); },
         TW_TEST_DATA "/constraints/model1-convert.inp"},
        {"point", [](Session& s, FrontEnd& f) { return s.point(f); }, ""},
        {"save PIMs", [](Session& s, FrontEnd& f) { return s.savePims(f); }, "OUT.MSS"},
        {"save constraints", [](Session& s, FrontEnd& f) { return s.saveConstraints(f); }, "OUT.INP"},
    };
    for (const auto& [name, run, file] : commands) {
        SCOPED_TRACE(name);
        TempDir dir;
        Session session;
        ASSERT_TRUE(readConstraints(session, kModel1).done());
        ScriptedFront convertFirst;
        convertFirst.files = {TW_TEST_DATA "/constraints/model1-convert.inp"};
        ASSERT_TRUE(session.convert(convertFirst).done());
        fs::remove("quarlet.chk");
        const Model before = session.model();
        ScriptedFront front;
        front.files = {file};
        front.writesBack = false;
        const Outcome outcome = run(session, front);
        EXPECT_TRUE(outcome.cancelled);
        EXPECT_EQ(session.model(), before);
        std::vector<std::string> written;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            written.push_back(entry.path().filename().string());
        EXPECT_TRUE(written.empty()) << written.front();
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
    ScriptedFront pims;
    pims.files = {kExample26};
    ASSERT_TRUE(session.readPims(pims).done());
    EXPECT_EQ(available(), (Available{true, true, false}));
    ASSERT_TRUE(readConstraints(session, kModel1).done());
    EXPECT_EQ(available(), (Available{true, false, true}));
    EXPECT_EQ(fileText("quarlet.chk"), fileText(TW_TEST_DATA "/constraints/model1.chk"));
    ScriptedFront bad;
    bad.files = {kExample26};
    EXPECT_EQ(failureText(session.convert(bad)),
              kExample26 + ", line 2: the file states NPAR=24 but the loaded model has npar=10");
    EXPECT_EQ(available(), (Available{true, false, true}));
    ScriptedFront convert;
    convert.files = {TW_TEST_DATA "/constraints/model1-convert.inp"};
    ASSERT_TRUE(session.convert(convert).done());
    EXPECT_EQ(available(), (Available{true, true, true}));
}

TEST(SessionAvailability, commandsNotYetAvailableWriteNothing)
{
    TempDir dir;
    Session session;
    ScriptedFront front;
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
    ScriptedFront front;
    const Outcome outcome = session.point(front);
    ASSERT_TRUE(outcome.done());
    const std::vector<Message> expected = {
        {kProgramTitle, "All params are fixed. Nothing to estimate", Severity::Warning}};
    EXPECT_EQ(outcome.messages, expected);
    EXPECT_EQ(fileText("quarlet.chk"),
              "    1    -1     1 \r\n    2    -2     2 \r\n    3    -3     3 \r\n    4    -4     0 \r\n");
    EXPECT_TRUE(session.model().unsaved);
}

TEST(SessionPerPeriod, aRunThatFailsOrIsCancelledFixesNothing)
{
    struct Case {
        const char* name;
        std::function<ProgramEnd(const ProgramRun&)> program;
        std::string failure;
        bool cancelled;
    };
    const std::vector<Case> cases = {
        {"not started", [](const ProgramRun&) { return ProgramEnd{false, false, "No such file"}; },
         "FENNEL1 could not be started: tw/fennel1: No such file\nNothing was fixed.", false},
        {"cancelled", [](const ProgramRun&) { return ProgramEnd{true, true, ""}; }, "", true},
    };
    for (const Case& c : cases) {
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
        EXPECT_FALSE(fs::exists("quarlet.tmp"));
    }
}

TEST(SessionStatus, eachCommandSaysWhatItDidAndWhichFileTheModelNowMatches)
{
    TempDir dir;
    Session session;
    const std::string modelFile = fullPath(kModel1);
    ASSERT_EQ(readConstraints(session, kModel1).status, "Read: " + modelFile + "; numbered: 3 parameters, 2 fixed");
    EXPECT_EQ(session.modelFile(), kModel1);
    struct Step {
        const char* name;
        std::function<Outcome(Session&, ScriptedFront&)> run;
        std::string status;
        std::optional<ModelFile> file;
    };
    const std::string saved = (dir / "OUT.INP").string();
    const std::vector<Step> steps = {
        {"point", [](Session& s, ScriptedFront& f) { return s.point(f); }, "Numbered: 3 parameters, 2 fixed", {}},
        {"save constraints",
         [](Session& s, ScriptedFront& f) {
             f.files = {"OUT.INP"};
             return s.saveConstraints(f);
         },
         "Saved: " + saved + " (constraints form)", ModelFile{"OUT.INP", ModelForm::Constraints}},
        {"convert",
         [](Session& s, ScriptedFront& f) {
             f.files = {TW_TEST_DATA "/constraints/model1-convert.inp"};
             return s.convert(f);
         },
         "Converted: 3 parameters, 3 fixed", {}},
        {"save PIMs",
         [](Session& s, ScriptedFront& f) {
             f.files = {"out.mss"};
             return s.savePims(f);
         },
         "Saved: " + (dir / "out.mss").string() + " (PIM form), 3 parameters, 3 fixed", ModelFile{"out.mss", ModelForm::Pim}},
        {"read PIMs",
         [](Session& s, ScriptedFront& f) {
             f.files = {"out.mss"};
             f.confirms = {true};
             return s.readPims(f);
         },
         "Read: " + (dir / "out.mss").string() + ", 3 parameters, 3 fixed", ModelFile{"out.mss", ModelForm::Pim}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        ScriptedFront front;
        const Outcome outcome = step.run(session, front);
        ASSERT_TRUE(outcome.done()) << failureText(outcome);
        EXPECT_EQ(outcome.status, step.status);
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
    ScriptedFront front;
    front.files = {"missing.inp"};
    front.confirms = {true};
    const Outcome read = session.readConstraints(front);
    EXPECT_EQ(read.failureSeverity, Severity::Warning);
    front.files = {"no folder/OUT.INP"};
    const Outcome saved = session.saveConstraints(front);
    ASSERT_TRUE(saved.failure);
    EXPECT_EQ(saved.failureSeverity, Severity::Critical);
    for (const Outcome* outcome : {&read, &saved}) {
        EXPECT_EQ(outcome->status, "");
        EXPECT_FALSE(outcome->file);
    }
    EXPECT_EQ(session.modelFile(), kModel1);
}

struct CommandCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    std::string err;
    std::vector<std::string> filesWritten;
};

TEST(SessionCommandLine, runsTheConstraintRoad)
{
    const std::string chk = "quarlet.chk";
    const std::vector<CommandCase> cases = {
        {"readAndWrite", {"--read-constraints", kModel1, "--write-constraints", "out.inp"}, 0,
         "New CORVANE input file saved as out.inp\n", {"out.inp", chk}},
        {"pimsNeedTheConversion", {"--read-constraints", kModel1, "--write-pims", "out.mss"}, 1,
         "\"Save model w/ PIM's\" is not available at this point\n", {chk}},
        {"convertThenPims",
         {"--read-constraints", kModel1, "--convert", TW_TEST_DATA "/constraints/model1-convert.inp", "--point",
          "--write-pims", "out.mss"},
         0, "", {"out.mss", chk}},
        {"noFileSelected", {"--read-pims", "*.*"}, 1, "No file selected\n", {}},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Session session;
        std::ostringstream out, err;
        EXPECT_EQ(cli::runCommandLine(c.arguments, session, out, err), c.exitCode);
        EXPECT_EQ(err.str(), c.err);
        EXPECT_EQ(out.str(), "");
        std::vector<std::string> written;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            written.push_back(entry.path().filename().string());
        std::sort(written.begin(), written.end());
        EXPECT_EQ(written, c.filesWritten);
    }
}

}  // namespace
