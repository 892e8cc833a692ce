#include "model/atomicfile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <streambuf>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/fileerrors.h"

namespace tw {

namespace fs = std::filesystem;

namespace {

// As many links as the system itself follows before it gives up with ELOOP.
constexpr int kMaxLinks = 40;

// The system's reason, with what to do about it when there is a usual remedy.
std::string systemMessage(int error)
{
    return writeFailure(error);
}

fs::path directoryOf(const fs::path& path)
{
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// "writing a file in /home/ann/models failed"
std::string writingFailed(const std::string& resolved)
{
    return "writing a file in " + fullPath(directoryOf(resolved)) + " failed";
}
// The longest name a file in dir may have.
std::size_t longestName(const fs::path& dir)
{
    const long limit = ::pathconf(dir.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : 255;
}

// ".NAME.XXXXXX" beside path; NAME is cut short where the whole would exceed the longest
// name the directory allows (mkstemp keeps it unique).
std::string temporaryPattern(const fs::path& path)
{
    const fs::path dir = directoryOf(path);
    const std::string suffix = ".XXXXXX";
    std::string base = path.filename().string();
    const std::size_t room = longestName(dir) - suffix.size() - 1;
    if (base.size() > room)
        base.resize(room);
    return (dir / ("." + base + suffix)).string();
}

// Gives the new file the permissions of the file it replaces, or the usual 0666 & ~umask.
void takePermissions(int fd, const std::string& resolved)
{
    struct stat existing {};
    if (::stat(resolved.c_str(), &existing) == 0) {
        ::fchmod(fd, existing.st_mode & 07777);
        return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

struct Temporary {
    int fd = -1;
    std::string path;
    std::string resolved;
};

// The checks every save makes, then the temporary file beside the file to replace.
Result<Temporary> createTemporary(const std::string& target)
{
    auto resolved = resolveSaveTarget(target);
    if (!resolved)
        return resolved.error();
    if (!checkRegularFile(*resolved))
        return makeError(target + " is not a regular file");
    std::string pattern = temporaryPattern(*resolved);
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        const int error = errno;
        const fs::path folder = directoryOf(*resolved);
        return makeError("cannot create a file in " + fullPath(folder) + ": " + creationFailure(error, folder), target);
    }
    takePermissions(fd, *resolved);
    return Temporary{fd, pattern, *resolved};
}

// Renames the synced temporary file over the resolved target and syncs its directory,
// without which the rename is not durable.
Status replaceTarget(const std::string& temporary, const std::string& resolved, const std::string& target)
{
    if (::rename(temporary.c_str(), resolved.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return makeError("cannot replace the file: " + systemMessage(error), target);
    }
    const int dirFd = ::open(directoryOf(resolved).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

// A stream buffer that writes to a file descriptor, remembering the first failure.
class DescriptorBuffer : public std::streambuf {
public:
    explicit DescriptorBuffer(int fd) : m_fd(fd), m_buffer(new char[kSize])
    {
        setp(m_buffer.get(), m_buffer.get() + kSize);
    }
    bool failed() const { return m_failed; }

protected:
    int_type overflow(int_type c) override
    {
        if (!drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override
    {
        if (count <= epptr() - pptr()) {
            std::memcpy(pptr(), text, static_cast<std::size_t>(count));
            pbump(static_cast<int>(count));
            return count;
        }
        if (!drain() || !writeAll(text, static_cast<std::size_t>(count)))
            return 0;
        return count;
    }
    int sync() override { return drain() ? 0 : -1; }

private:
    static constexpr std::size_t kSize = 64 * 1024;

    bool drain()
    {
        const auto used = static_cast<std::size_t>(pptr() - pbase());
        setp(m_buffer.get(), m_buffer.get() + kSize);
        return writeAll(m_buffer.get(), used);
    }
    bool writeAll(const char* text, std::size_t count)
    {
        while (count > 0 && !m_failed) {
            const ssize_t written = ::write(m_fd, text, count);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                m_failed = true;
                break;
            }
            text += written;
            count -= static_cast<std::size_t>(written);
        }
        return !m_failed;
    }

    int m_fd;
    std::unique_ptr<char[]> m_buffer;
    bool m_failed = false;
};

}  // namespace

Result<std::string> resolveSaveTarget(const std::string& target)
{
    fs::path path(target);
    for (int links = 0;; ++links) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path.string();
        std::error_code error;
        const fs::path next = fs::read_symlink(path, error);
        if (links == kMaxLinks)
            error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
        if (error)
            return makeError("cannot follow the symbolic links to the file: " + systemMessage(error.value()), target);
        path = next.is_absolute() || !path.has_parent_path() ? next : path.parent_path() / next;
    }
}

Status checkRegularFile(const std::string& name)
{
    struct stat info {};
    if (::stat(name.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return makeError(name + " is not a regular file");
    return {};
}

Status saveAtomically(const std::string& target, const std::function<Status(std::ostream&)>& write)
{
    auto temporary = createTemporary(target);
    if (!temporary)
        return temporary.error();
    const Temporary& file = *temporary;
    auto fail = [&](std::string message) -> Status {
        ::close(file.fd);
        ::unlink(file.path.c_str());
        return makeError(std::move(message), target);
    };

    DescriptorBuffer buffer(file.fd);
    std::ostream out(&buffer);
    const Status written = write(out);
    // A writer that stopped because its stream failed reports the failure as its own.
    if (!out || buffer.failed() || !out.flush())
        return fail(writingFailed(file.resolved) + "; is the disk full?");
    if (!written.ok()) {
        ::close(file.fd);
        ::unlink(file.path.c_str());
        return written;
    }
    if (::fsync(file.fd) != 0) {
        const int error = errno;
        return fail(writingFailed(file.resolved) + ": " + systemMessage(error));
    }
    if (::close(file.fd) != 0) {
        const int error = errno;
        ::unlink(file.path.c_str());
        return makeError(writingFailed(file.resolved) + ": " + systemMessage(error), target);
    }
    return replaceTarget(file.path, file.resolved, target);
}

Status checkFixedNameFile(const std::string& name, const std::vector<std::string>& inputs)
{
    for (const std::string& input : inputs)
        if (!input.empty() && sameFile(name, input))
            return makeError(name + " is the same file as " + input + ", which this command reads, so it is not "
                             "written");
    return checkRegularFile(name);
}

struct AppendFile::Open {
    explicit Open(int descriptor) : fd(descriptor), buffer(descriptor), out(&buffer) {}
    ~Open()
    {
        out.flush();
        ::close(fd);
    }
    int fd;
    DescriptorBuffer buffer;
    std::ostream out;
};

Result<std::unique_ptr<AppendFile>> AppendFile::open(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
        return makeError(path + " is a symbolic link, which is not written through");
    TW_TRY(checkRegularFile(path));
    // O_NONBLOCK: a FIFO put in its place after the checks must not block the open.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        return makeError("cannot write the file: " + systemMessage(error), fullPath(path));
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return makeError(path + " is not a regular file");
    }
    return std::unique_ptr<AppendFile>(new AppendFile(std::make_unique<Open>(fd)));
}

AppendFile::AppendFile(std::unique_ptr<Open> open) : m_open(std::move(open)) {}

AppendFile::~AppendFile() = default;

std::ostream& AppendFile::stream()
{
    return m_open->out;
}

Result<PendingSave> PendingSave::create(const std::string& target)
{
    auto temporary = createTemporary(target);
    if (!temporary)
        return temporary.error();
    ::close(temporary->fd);
    return PendingSave(target, temporary->resolved, temporary->path);
}

PendingSave::PendingSave(std::string target, std::string resolved, std::string temporary)
    : m_target(std::move(target)), m_resolved(std::move(resolved)), m_temporary(std::move(temporary))
{
}

PendingSave::PendingSave(PendingSave&& other) noexcept
    : m_target(std::move(other.m_target)), m_resolved(std::move(other.m_resolved)),
      m_temporary(std::exchange(other.m_temporary, {}))
{
}

PendingSave::~PendingSave()
{
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
}

Status PendingSave::commit()
{
    const std::string temporary = std::exchange(m_temporary, {});
    const int fd = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        const bool synced = ::fsync(fd) == 0;
        const int error = errno;
        ::close(fd);
        if (!synced) {
            ::unlink(temporary.c_str());
            return makeError(writingFailed(m_resolved) + ": " + systemMessage(error), m_target);
        }
    }
    return replaceTarget(temporary, m_resolved, m_target);
}

bool sameFile(const std::string& a, const std::string& b)
{
    auto resolvedA = resolveSaveTarget(a);
    auto resolvedB = resolveSaveTarget(b);
    const std::string pathA = resolvedA ? *resolvedA : a;
    const std::string pathB = resolvedB ? *resolvedB : b;
    std::error_code ec;
    const fs::path pa = fs::weakly_canonical(fs::absolute(pathA, ec), ec);
    std::error_code ec2;
    const fs::path pb = fs::weakly_canonical(fs::absolute(pathB, ec2), ec2);
    if (!ec && !ec2 && pa.lexically_normal() == pb.lexically_normal())
        return true;
    struct stat sa {}, sb {};
    if (::stat(pathA.c_str(), &sa) == 0 && ::stat(pathB.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return false;
}

}  // namespace tw
