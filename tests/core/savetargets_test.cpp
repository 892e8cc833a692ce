// What a save does with a target that is not a plain file, and with writes stopped part
// way (disk full, or the process killed): the target is the old file or the complete new
// one, the input untouched, the permissions kept, no temporary file left by a failed save.
#include <gtest/gtest.h>

#include <csignal>
#include <functional>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "model/atomicfile.h"
#include "model/numbering.h"
#include "support.h"

using namespace twtest;

namespace {

const SaveForm kWriters[] = {
    kSaveForms[0],
    kSaveForms[1],
    {"quarlet.chk",
     [](tw::Model& m, const std::string& target) {
         return tw::saveCheckListing(tw::computePointNumbering(m).listing, target, {m.infile});
     }},
};

// The model of the two-group example, read from "m.inp" in the current directory.
tw::Model readModel()
{
    fs::copy_file(pimDataDir() / "twogroups" / "input.inp", "m.inp");
    return readPimOrFail("m.inp");
}

// Names in the directory that a save left behind (".NAME.XXXXXX").
std::vector<std::string> leftovers(const fs::path& dir)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().filename().string().rfind('.', 0) == 0)
            found.push_back(entry.path().filename().string());
    return found;
}

TEST(SaveTarget, fifoAndLinksInACircleAreRefusedByNameAndLeftAsTheyAre)
{
    struct Kind {
        const char* name;
        std::function<bool(const std::string&)> make;
        mode_t type;
        std::string reason;  // after the name
    };
    const Kind kinds[] = {
        {"fifo", [](const std::string& p) { return ::mkfifo(p.c_str(), 0644) == 0; }, S_IFIFO,
         " is not a regular file"},
        {"circle",
         [](const std::string& p) { return ::symlink(p.c_str(), "b") == 0 && ::symlink("b", p.c_str()) == 0; }, S_IFLNK,
         ": cannot follow the symbolic links to the file: too many levels of symbolic links"},
    };
    for (const SaveForm& writer : kWriters)
        for (const Kind& kind : kinds) {
            SCOPED_TRACE(std::string(writer.name) + " over a " + kind.name);
            TempDir dir;
            tw::Model model = readModel();
            ASSERT_TRUE(kind.make(kind.name));
            const tw::Model before = model;
            const tw::Status saved = writer.save(model, kind.name);
            ASSERT_FALSE(saved.ok());
            EXPECT_EQ(saved.error().text(), kind.name + kind.reason);
            struct stat info {};
            ASSERT_EQ(::lstat(kind.name, &info), 0);
            EXPECT_EQ(info.st_mode & S_IFMT, kind.type);
            EXPECT_EQ(model, before);
            EXPECT_EQ(leftovers("."), std::vector<std::string>{});
        }
}

// The file a link leads to is replaced where it lies, in another directory; a link to
// a file not there yet creates that file. Either way the link stays a link.
TEST(SaveTarget, symbolicLinkIsFollowedAndStaysALink)
{
    for (const SaveForm& writer : kWriters)
        for (const bool targetExists : {true, false}) {
            SCOPED_TRACE(std::string(writer.name) + (targetExists ? ", existing file" : ", new file"));
            TempDir dir;
            tw::Model model = readModel();
            fs::create_directory("elsewhere");
            if (targetExists) {
                writeFile("elsewhere/out.inp", "old\r\n");
                ::chmod("elsewhere/out.inp", 0640);
            }
            fs::create_symlink("elsewhere/out.inp", "chain.inp");
            fs::create_symlink("chain.inp", "link.inp");
            tw::Model copy = model;
            ASSERT_TRUE(writer.save(copy, "plain.inp").ok());

            const tw::Status saved = writer.save(model, "link.inp");
            ASSERT_TRUE(saved.ok()) << saved.error().text();
            EXPECT_TRUE(fs::is_symlink("link.inp"));
            EXPECT_TRUE(fs::is_symlink("chain.inp"));
            EXPECT_EQ(fileText("elsewhere/out.inp"), fileText("plain.inp"));
            if (targetExists) {
                EXPECT_EQ(fs::status("elsewhere/out.inp").permissions(),
                          fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
            }
            EXPECT_EQ(leftovers("."), std::vector<std::string>{});
            EXPECT_EQ(leftovers("elsewhere"), std::vector<std::string>{});
        }
}

const std::string kOld = "the old file\r\nkept whole\r\n";

void resetTarget()
{
    writeFile("out.inp", kOld);
    ::chmod("out.inp", 0640);
}

enum class Stop { WriteFails, Killed };

// Runs save in a child whose writes stop after limit bytes; returns the wait status.
int saveInChild(const std::function<tw::Status()>& save, rlim_t limit, Stop stop)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        std::signal(SIGXFSZ, stop == Stop::WriteFails ? SIG_IGN : SIG_DFL);
        const rlimit size{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &size);
        ::_exit(save().ok() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

TEST(CrashSafeSave, targetIsOldOrNewWhereverTheWritesStop)
{
    for (const SaveForm& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        TempDir dir;
        const tw::Model model = readModel();
        const std::string input = fileText("m.inp");

        // The complete new file, from a save that nothing stops.
        resetTarget();
        tw::Model copy = model;
        ASSERT_TRUE(writer.save(copy, "out.inp").ok());
        const std::string fresh = fileText("out.inp");
        ASSERT_GT(fresh.size(), 100u);

        const std::size_t step = std::max<std::size_t>(1, fresh.size() / 8);
        for (std::size_t limit = 0; limit <= fresh.size() + step; limit += step) {
            for (const Stop stop : {Stop::WriteFails, Stop::Killed}) {
                SCOPED_TRACE("writes stop after " + std::to_string(limit) + " bytes"
                             + (stop == Stop::Killed ? ", killed" : ", failing"));
                resetTarget();
                const int status = saveInChild(
                    [&] {
                        tw::Model m = model;
                        return writer.save(m, "out.inp");
                    },
                    limit, stop);
                const std::string target = fileText("out.inp");
                EXPECT_TRUE(target == kOld || target == fresh) << target.size() << " bytes";
                EXPECT_EQ(fileText("m.inp"), input);
                struct stat info {};
                ASSERT_EQ(::stat("out.inp", &info), 0);
                EXPECT_EQ(info.st_mode & 07777, 0640u);
                if (limit >= fresh.size()) {
                    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                    EXPECT_EQ(target, fresh);
                }
                if (stop == Stop::WriteFails) {
                    ASSERT_TRUE(WIFEXITED(status));
                    EXPECT_EQ(target, WEXITSTATUS(status) == 0 ? fresh : kOld);
                    EXPECT_EQ(leftovers("."), std::vector<std::string>{});
                } else {
                    EXPECT_TRUE(WIFEXITED(status) || WTERMSIG(status) == SIGXFSZ);
                    for (const auto& leftover : leftovers("."))  // a killed process cannot tidy up
                        fs::remove(leftover);
                }
                if (HasFailure())
                    return;
            }
        }
    }
}

// A save that runs out of room part way names the file, whichever writer ran: the
// constraints writer, which writes straight to the file, said only "writing failed".
TEST(CrashSafeSave, fullDiskMessageNamesTheTarget)
{
    TempDir dir;
    std::vector<int> cells(4000);
    for (std::size_t i = 0; i < cells.size(); ++i)
        cells[i] = static_cast<int>(i % 2 + 1);
    tw::Model model = modelWithMap(cells);
    model.infile = "m.inp";
    setHead(model, "PROC TITLE 'big';\r\nPROC MODEL NPAR=4000;\r\nCOHORT=1;\r\nCONSTRAINTS;\r\n");
    const ChildRun run = runInChild([&] { return outcome(tw::saveConstraints(model, "out.inp")); }, 10, [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit size{20000, 20000};
        ::setrlimit(RLIMIT_FSIZE, &size);
    });
    EXPECT_EQ(run.text, "out.inp: writing a file in " + dir.path().string() + " failed; is the disk full?");
    EXPECT_FALSE(fs::exists("out.inp"));
}

}  // namespace
