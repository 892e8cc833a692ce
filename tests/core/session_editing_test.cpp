// The session's fixed-parameter list as the model's fixings, and saves over existing files.
#include "session/session.h"

#include <gtest/gtest.h>

#include "session/fixings.h"
#include "sessionsupport.h"
#include "support.h"

using namespace tw;
using namespace twtest;

namespace {

void editList(Session& session, std::vector<std::string> entries)
{
    session.setFixedList(FixedList(std::move(entries)));
}

// What the list's edits do to the cells is the fixings' own suite; here, that they reach
// the file whether "Done" took them or the save did.
TEST(SessionFixedList, editsReachTheSavedFileThroughDoneOrTheSave)
{
    const std::vector<std::string> entries = {"S(0007)=.25 /* c 2 1 */;"};
    for (const bool done : {true, false}) {
        SCOPED_TRACE(done ? "Done" : "saved at once");
        TempDir dir;
        Session session;
        ASSERT_TRUE(run(session, &Session::readConstraints, {kModel1}).done());
        editList(session, entries);
        if (done) {
            ASSERT_TRUE(session.applyFixedList().done());
        }
        ASSERT_TRUE(run(session, &Session::saveConstraints, {"out.con"}).done());
        EXPECT_NE(fileText("out.con").find("\nS(0007)=.25 /*"), std::string::npos) << fileText("out.con");
        EXPECT_FALSE(session.fixedListPending());
    }
}

TEST(SessionFixedList, aRefusedEntryStopsEveryCommandThatReadsTheModel)
{
    for (const SessionCommand command :
         {&Session::saveConstraints, &Session::savePims, &Session::point, &Session::convert}) {
        TempDir dir;
        Session session;
        readAndConvertModel1(session);
        fs::remove("quarlet.chk");
        editList(session, {"S(0007)=.5 /* c 2 1 */;", "S(11)=.5;"});
        const Model before = session.model();
        const Outcome outcome = run(session, command, {"out.con"});
        EXPECT_EQ(failureText(outcome), "\"S(11)=.5;\" is not a fixing line S(i)=v of a cell i in 1..10.");
        EXPECT_EQ(session.model(), before);
        EXPECT_TRUE(session.fixedListPending());
        EXPECT_TRUE(fs::is_empty(dir.path()));
    }
}

TEST(SessionFixedList, theListFollowsCellsAGridWriteBackFixedOrFreed)
{
    TempDir dir;
    Session session;
    ASSERT_TRUE(run(session, &Session::readPims, {kExample}).done());
    const std::vector<std::string> listed = session.fixedList().entries();
    const int fixed = readFixingLine(listed[1], session.model().npar)->cell;
    const Session::GridWriteBack freed = session.writeBackGrid({fixed, 1}, {"200", "=0.3"});
    EXPECT_TRUE(freed.listFollowed);
    std::vector<std::string> expected = listed;
    expected.erase(expected.begin() + 1);
    expected.insert(expected.begin(), "S(0001)=.3;");
    EXPECT_EQ(session.fixedList().entries(), expected);
    EXPECT_EQ(session.model().fixedlist, expected);
}

TEST(SessionFixedList, aGridWriteBackKeepsEditsTheListHasNotGivenTheModelYet)
{
    TempDir dir;
    Session session;
    ASSERT_TRUE(run(session, &Session::readPims, {kExample}).done());
    std::vector<std::string> edited = session.fixedList().entries();
    edited.push_back("S(5)=.7 /* typed */;");
    editList(session, edited);
    session.writeBackGrid({1}, {"=0.3"});
    edited.insert(edited.begin(), "S(0001)=.3;");
    EXPECT_EQ(session.fixedList().entries(), edited);
    ASSERT_TRUE(session.applyFixedList().done());
    EXPECT_TRUE(isFixedMarker(session.model().pim[5]));
    EXPECT_EQ(session.model().initval[1], .3);
}

// The model's own file is refused before any question; another existing file is
// replaced only when the answer is OK.
TEST(SessionFileDialogs, aSaveOverAnExistingFileAsksFirstAndNeverOverTheModelsOwn)
{
    for (const auto command : {&Session::savePims, &Session::saveConstraints}) {
        for (const std::string target : {"m.inp", "keep", "replace"}) {
            SCOPED_TRACE(target);
            TempDir dir;
            fs::copy_file(kExample26, "m.inp");
            writeFile("old.txt", "old");
            Session session;
            ASSERT_TRUE(run(session, &Session::readPims, {"m.inp"}).done());
            AnsweringFront front;
            front.files = {target == "m.inp" ? (dir.path() / "m.inp").string() : "old.txt"};
            front.confirms = {target != "keep"};
            const Outcome outcome = (session.*command)(front);
            if (target == "m.inp") {
                EXPECT_EQ(failureText(outcome), "Input & Output filenames (m.inp) must be different!");
                EXPECT_TRUE(front.questions.empty());
                EXPECT_EQ(fileText("m.inp"), fileText(kExample26));
                continue;
            }
            EXPECT_EQ(front.questions, std::vector<std::string>{"old.txt already exists.\nDo you want to replace it?"});
            EXPECT_EQ(outcome.done(), target == "replace");
            EXPECT_EQ(fileText("old.txt") == "old", target == "keep");
        }
    }
}

}  // namespace
