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
#include <ostream>
#include <string>

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

/// Whether two names refer to the same file: equal absolute normalised paths after
/// their symbolic links, or the same device and inode when both exist.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace tw
