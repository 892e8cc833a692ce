#include "model/atomicfile.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/fileerrors.h"

namespace tw {

namespace fs = std::filesystem;

Status saveAtomically(const std::string& target, const std::function<Status(std::ostream&)>& write)
{
    const fs::path path(target);
    const fs::path dir = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string pattern = (dir / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        const int error = errno;
        return makeError("cannot create a file in " + fullPath(dir) + ": " + writeFailure(error), target);
    }
    const std::string temp = pattern;

    auto fail = [&](std::string message) -> Status {
        ::unlink(temp.c_str());
        return makeError(std::move(message), target);
    };
    // A stream that fails on flush or close gives no reason; a full disk is the usual one.
    auto diskFull = [&] { return "writing a file in " + fullPath(dir) + " failed; is the disk full?"; };

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
        if (!out) {
            const int error = errno;
            return fail("cannot write a file in " + fullPath(dir) + ": " + writeFailure(error));
        }
        Status written = write(out);
        if (!written.ok()) {
            out.close();
            ::unlink(temp.c_str());
            return written;
        }
        out.flush();
        if (!out)
            return fail(diskFull());
        out.close();
        if (!out)
            return fail(diskFull());
    }

    const int sync = ::open(temp.c_str(), O_RDONLY);
    if (sync >= 0) {
        const bool synced = ::fsync(sync) == 0;
        const int syncError = errno;
        ::close(sync);
        if (!synced)
            return fail("writing a file in " + fullPath(dir) + " failed: " + writeFailure(syncError));
    }
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return fail("cannot replace the file: " + writeFailure(errno));
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
