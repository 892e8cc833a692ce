#pragma once
// Saving without ever leaving a half-written file: the content goes to a temporary
// file beside the target, which replaces the target by a rename only when everything
// was written and flushed to disk. A failure removes the temporary file and leaves the
// target as it was. An existing target's permissions are kept.

#include <functional>
#include <ostream>
#include <string>

#include "model/result.h"

namespace tw {

/// Writes a file atomically: write receives a stream on the temporary file and returns
/// an error to abandon the save. The error of a failed write names the target.
Status saveAtomically(const std::string& target, const std::function<Status(std::ostream&)>& write);

/// Whether two names refer to the same file: equal absolute normalised paths, or the
/// same device and inode when both exist.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace tw
