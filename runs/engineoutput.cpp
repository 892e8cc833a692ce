#include "runs/engineoutput.h"

#include "model/lines.h"
#include "model/textrules.h"

namespace tw {

FileStamp stampOf(const std::filesystem::path& path)
{
    std::error_code error;
    FileStamp stamp;
    if (!std::filesystem::is_regular_file(path, error))
        return stamp;
    stamp.modified = std::filesystem::last_write_time(path, error);
    if (error)
        return stamp;
    stamp.size = std::filesystem::file_size(path, error);
    if (error)
        return stamp;
    stamp.exists = true;
    return stamp;
}

bool writtenSince(const FileStamp& before, const std::filesystem::path& path)
{
    const FileStamp now = stampOf(path);
    if (!now.exists)
        return false;
    // A rewrite always moves the modification time; the size catches a rewrite within
    // the file system's time resolution.
    return !before.exists || now.modified != before.modified || now.size != before.size;
}

std::vector<std::string> engineErrorLines(std::istream& output)
{
    std::vector<std::string> found;
    LineReader reader(output, {});
    std::string line;
    while (reader.next(line))
        if (contains(line, kEngineErrorMark))
            found.push_back(line);
    return found;
}

std::vector<std::string> errorBoxTexts(const std::vector<std::string>& errorLines)
{
    if (errorLines.size() <= kMaxErrorBoxes)
        return errorLines;
    std::vector<std::string> boxes(errorLines.begin(), errorLines.begin() + kMaxErrorBoxes);
    const std::size_t rest = errorLines.size() - kMaxErrorBoxes;
    boxes.push_back(std::to_string(rest) + (rest == 1 ? " more line holds \"" : " more lines hold \"")
                    + kEngineErrorMark + "\"; all of them are highlighted in the output.");
    return boxes;
}

}  // namespace tw
