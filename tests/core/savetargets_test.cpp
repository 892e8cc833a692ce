// What a save does with a target that is not a plain file: devices, FIFOs and sockets
// are refused by name and left as they are; a symbolic link is followed and the file it
// leads to replaced in its own directory, the link staying a link; names up to the
// longest a directory holds are saved. Every writer goes through the same save.
#include <gtest/gtest.h>

#include <functional>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

#include "model/atomicfile.h"
#include "model/constraintswriter.h"
#include "model/numbering.h"
#include "support.h"

using namespace twtest;

namespace {

struct Writer {
    const char* name;
    std::function<tw::Status(tw::Model&, const std::string&)> save;
};

const Writer kWriters[] = {
    {"PIM form", [](tw::Model& m, const std::string& target) { return tw::savePimFile(m, target); }},
    {"constraints form", [](tw::Model& m, const std::string& target) { return tw::saveConstraints(m, target); }},
    {"quarlet.chk",
     [](tw::Model& m, const std::string& target) {
         return tw::saveCheckListing(tw::computePointNumbering(m).listing, target, {m.infile});
     }},
};

// The model of the two-group example, read from "m.inp" in the current directory.
tw::Model readModel()
{
    fs::copy_file(pimDataDir() / "twogroups" / "input.inp", "m.inp");
    auto read = tw::readPimFile("m.inp");
    EXPECT_TRUE(read.ok());
    return read.ok() ? *read : tw::Model{};
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

bool makeSocket(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    const bool made = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return made;
}

TEST(SaveTarget, fifoSocketAndDeviceAreRefusedByNameAndLeftAsTheyAre)
{
    struct Kind {
        const char* name;
        std::function<bool(const std::string&)> make;
        mode_t type;
    };
    const Kind kinds[] = {
        {"fifo", [](const std::string& p) { return ::mkfifo(p.c_str(), 0644) == 0; }, S_IFIFO},
        {"socket", makeSocket, S_IFSOCK},
        {"device", [](const std::string& p) { return ::mknod(p.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0; },
         S_IFCHR},
    };
    for (const Writer& writer : kWriters)
        for (const Kind& kind : kinds) {
            SCOPED_TRACE(std::string(writer.name) + " over a " + kind.name);
            TempDir dir;
            tw::Model model = readModel();
            if (!kind.make(kind.name)) {
                ASSERT_EQ(kind.type, S_IFCHR);
                std::printf("[  SKIPPED ] the device case needs root to create a device node\n");
                continue;
            }
            const tw::Model before = model;
            const tw::Status saved = writer.save(model, kind.name);
            ASSERT_FALSE(saved.ok());
            EXPECT_EQ(saved.error().text(), std::string(kind.name) + " is not a regular file");
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
    for (const Writer& writer : kWriters)
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

TEST(SaveTarget, linksInACircleAreRefused)
{
    TempDir dir;
    tw::Model model = readModel();
    fs::create_symlink("b.inp", "a.inp");
    fs::create_symlink("a.inp", "b.inp");
    const tw::Status saved = tw::savePimFile(model, "a.inp");
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().text(), "a.inp: cannot follow the symbolic links to the file: Too many levels of symbolic links");
    EXPECT_TRUE(fs::is_symlink("a.inp"));
}

// The temporary file's name is the target's with 8 bytes more: a name of 248 bytes or
// longer needs a shorter temporary name.
TEST(SaveTarget, longestNamesAreSaved)
{
    for (const std::size_t length : {247u, 250u, 255u}) {
        SCOPED_TRACE(length);
        TempDir dir;
        tw::Model model = readModel();
        const std::string name(length, 'n');
        for (const Writer& writer : kWriters) {
            fs::remove(name);
            const tw::Status saved = writer.save(model, name);
            ASSERT_TRUE(saved.ok()) << writer.name << ": " << saved.error().text();
            EXPECT_GT(fs::file_size(name), 100u);
        }
        EXPECT_EQ(leftovers("."), std::vector<std::string>{});
    }
}

}  // namespace
