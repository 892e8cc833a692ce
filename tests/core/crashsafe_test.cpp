// Saves that fail or are killed part way: every writer is run in a child process whose
// file size limit stops its writes after N bytes, for many N. With SIGXFSZ ignored the
// write fails (disk full, quota); with its default action the child is killed at that
// write. Either way the target must be the old file or the complete new one, the input
// must be untouched, and the permissions of the target must be kept; a failed save
// must also remove its temporary file.
#include <gtest/gtest.h>

#include <csignal>
#include <functional>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "model/numbering.h"
#include "model/constraintswriter.h"
#include "support.h"

using namespace twtest;

namespace {

const std::string kOld = "the old file\r\nkept whole\r\n";

std::vector<std::string> temporaryFiles()
{
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator("."))
        if (entry.path().filename().string().rfind(".out.inp.", 0) == 0)
            found.push_back(entry.path().filename().string());
    return found;
}

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

struct Writer {
    const char* name;
    std::function<tw::Status(tw::Model&)> save;  // saves the model to "out.inp"
};

TEST(CrashSafeSave, targetIsOldOrNewWhereverTheWritesStop)
{
    const Writer writers[] = {
        {"PIM form", [](tw::Model& m) { return tw::savePimFile(m, "out.inp"); }},
        {"constraints form", [](tw::Model& m) { return tw::saveConstraints(m, "out.inp"); }},
        {"quarlet.chk",
         [](tw::Model& m) { return tw::saveCheckListing(tw::computePointNumbering(m).listing, "out.inp", {m.infile}); }},
    };
    for (const Writer& writer : writers) {
        SCOPED_TRACE(writer.name);
        TempDir dir;
        fs::copy_file(pimDataDir() / "twogroups" / "input.inp", "m.inp");
        const std::string input = fileText("m.inp");
        auto read = tw::readPimFile("m.inp");
        ASSERT_TRUE(read.ok());
        const tw::Model model = *read;

        // The complete new file, from a save that nothing stops.
        resetTarget();
        tw::Model copy = model;
        ASSERT_TRUE(writer.save(copy).ok());
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
                        return writer.save(m);
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
                    EXPECT_EQ(temporaryFiles(), std::vector<std::string>{});
                } else {
                    EXPECT_TRUE(WIFEXITED(status) || WTERMSIG(status) == SIGXFSZ);
                    for (const auto& leftover : temporaryFiles())  // a killed process cannot tidy up
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
    EXPECT_EQ(run.text, "out.inp: writing failed (disk full?)");
    EXPECT_FALSE(fs::exists("out.inp"));
}

}  // namespace
