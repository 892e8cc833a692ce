#include "model/fileerrors.h"

#include <cctype>
#include <cerrno>
#include <cstring>

namespace tw {

std::string systemReason(int errorNumber)
{
    std::string reason = std::strerror(errorNumber);
    const auto lower = [](char c) { return std::islower(static_cast<unsigned char>(c)) != 0; };
    if (reason.size() > 1 && std::isupper(static_cast<unsigned char>(reason[0])) && lower(reason[1]))
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    return reason;
}

std::string writeFailure(int errorNumber)
{
    const char* remedy = nullptr;
    switch (errorNumber) {
    case EACCES:
    case EPERM:
    case EROFS:
        remedy = "choose a folder you may write to";
        break;
    case ENOSPC:
    case EDQUOT:
        remedy = "make room on the disk or choose a folder on another disk";
        break;
    case ENOENT:
    case ENOTDIR:
        remedy = "choose a folder that exists";
        break;
    default:
        break;
    }
    return remedy ? systemReason(errorNumber) + "; " + remedy : systemReason(errorNumber);
}

std::string creationFailure(int errorNumber, const std::filesystem::path& folder)
{
    std::error_code ignored;
    if (errorNumber == ENOENT && std::filesystem::is_directory(folder, ignored))
        return "the folder takes no new files; choose a folder you may write to";
    return writeFailure(errorNumber);
}

std::string fullPath(const std::filesystem::path& path)
{
    std::error_code ignored;
    std::filesystem::path full = std::filesystem::absolute(path, ignored).lexically_normal();
    // "/home/ann/" names the same folder as "/home/ann"; keep the root alone.
    if (!full.has_filename() && full.has_relative_path())
        full = full.parent_path();
    return full.string();
}

}  // namespace tw
