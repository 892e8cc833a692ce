#pragma once
// The words of file errors: the reason the system gives, the full path of a file or
// folder, and what the user can do about a file that cannot be written.

#include <filesystem>
#include <string>

namespace tw {

/// The system's reason for an error number, to follow a colon: "permission denied",
/// "no such file or directory" (the first letter lowered unless the word is in
/// capitals, as in "I/O error").
std::string systemReason(int errorNumber);

/// The reason a file could not be written, with what to do about it when there is a
/// usual remedy: "permission denied; choose a folder you may write to".
std::string writeFailure(int errorNumber);

/// The reason a new file could not be created in folder, as writeFailure says it; but
/// a folder that exists and still answers "no such file" (/proc) is said to take no new
/// files rather than sending the user to look for a folder that exists.
std::string creationFailure(int errorNumber, const std::filesystem::path& folder);

/// The absolute, normalised path (symbolic links are not followed): "." in /home/ann
/// gives "/home/ann", "models/../m.inp" gives "/home/ann/m.inp".
std::string fullPath(const std::filesystem::path& path);

}  // namespace tw
