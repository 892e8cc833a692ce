#include "model/atomicfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace fs = std::filesystem;

namespace {

std::string systemMessage(int error)
{
    return std::strerror(error);
}

}  // namespace

Status saveAtomically(const std::string& target, const std::function<Status(std::ostream&)>& write)
{
    const fs::path path(target);
    const fs::path dir = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string pattern = (dir / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return makeError("cannot create a file in " + dir.string() + ": " + systemMessage(errno), target);
    const std::string temp = pattern;

    auto fail = [&](std::string message) -> Status {
        ::unlink(temp.c_str());
        return makeError(std::move(message), target);
    };

    // Keep the permissions of an existing target; a new file gets the usual 0666 & ~umask.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        ::fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    ::close(fd);

    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return fail("cannot write the file: " + systemMessage(errno));
        Status written = write(out);
        if (!written.ok()) {
            out.close();
            ::unlink(temp.c_str());
            return written;
        }
        out.flush();
        if (!out)
            return fail("writing failed (disk full?)");
        out.close();
        if (!out)
            return fail("writing failed (disk full?)");
    }

    const int sync = ::open(temp.c_str(), O_RDONLY);
    if (sync >= 0) {
        const bool synced = ::fsync(sync) == 0;
        ::close(sync);
        if (!synced)
            return fail("writing failed: " + systemMessage(errno));
    }
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return fail("cannot replace the file: " + systemMessage(errno));
    // The rename is durable only once the directory is on disk too.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    const fs::path pa = fs::weakly_canonical(fs::absolute(a, ec), ec);
    std::error_code ec2;
    const fs::path pb = fs::weakly_canonical(fs::absolute(b, ec2), ec2);
    if (!ec && !ec2 && pa.lexically_normal() == pb.lexically_normal())
        return true;
    struct stat sa {}, sb {};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return false;
}

}  // namespace tw
