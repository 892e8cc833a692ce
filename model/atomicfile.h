#pragma once
// Saving without ever leaving a half-written file: the content goes to a temporary
// file beside the target, which replaces the target by a rename only when everything
// was written and flushed to disk. A failure removes the temporary file and leaves the
// target as it was. An existing target's permissions are kept.
//
// Only regular files are replaced: a target that is a device, FIFO, socket or directory
// is refused. A symbolic link is followed to the file it leads to, which is replaced in
// its own directory; the link stays a link.

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "model/result.h"

namespace tw {

/// The file a save to target replaces: target, or the file its symbolic links lead to
/// (which need not exist yet). Fails when the links cannot be read or run in a circle.
Result<std::string> resolveSaveTarget(const std::string& target);

/// Refuses, with "NAME is not a regular file", a name that exists (after its symbolic
/// links) and is not a regular file.
Status checkRegularFile(const std::string& name);

/// Writes a file atomically: write receives a stream on the temporary file and returns
/// an error to abandon the save. The error of a failed write names the target.
Status saveAtomically(const std::string& target, const std::function<Status(std::ostream&)>& write);

/// A temporary file beside a save target for a writer that is not this process (an
/// outside program's standard output): commit renames it over the target, and a
/// pending file that was not committed is removed.
class PendingSave {
public:
    /// Creates the temporary file (empty, closed) for target, after the checks of
    /// saveAtomically.
    static Result<PendingSave> create(const std::string& target);
    PendingSave(PendingSave&& other) noexcept;
    PendingSave& operator=(PendingSave&&) = delete;
    PendingSave(const PendingSave&) = delete;
    ~PendingSave();

    const std::string& temporaryPath() const { return m_temporary; }
    /// Syncs the temporary file and renames it over the target.
    Status commit();

private:
    PendingSave(std::string target, std::string resolved, std::string temporary);

    std::string m_target;
    std::string m_resolved;
    std::string m_temporary;  // empty once committed or moved from
};

/// Refuses to write a file of a fixed name (a listing or scratch file in the current
/// directory) that is one of the files the command reads (inputs; empty names are
/// skipped), or that exists and is not a regular file. Errors name the file.
Status checkFixedNameFile(const std::string& name, const std::vector<std::string>& inputs);

/// A file opened for appending (a log): created when missing, never opened through a
/// symbolic link, and refused when it is not a regular file.
class AppendFile {
public:
    static Result<std::unique_ptr<AppendFile>> open(const std::string& path);
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;
    /// The stream that appends to the file; a failed write sets its bad state.
    std::ostream& stream();

private:
    struct Open;
    explicit AppendFile(std::unique_ptr<Open> open);
    std::unique_ptr<Open> m_open;
};

/// Whether two names refer to the same file: equal absolute normalised paths after
/// their symbolic links, or the same device and inode when both exist.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace tw
