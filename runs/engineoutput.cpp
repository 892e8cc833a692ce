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

std::vector<EngineErrorLine> engineErrorLines(std::istream& output)
{
    std::vector<EngineErrorLine> found;
    LineReader reader(output, {});
    std::string line;
    while (reader.next(line))
        if (contains(line, kEngineErrorMark))
            found.push_back({reader.lineNumber(), line});
    return found;
}

std::string engineErrorSummary(std::string_view output, std::size_t count)
{
    const std::string lines = count == 1 ? "1 line of " + std::string(output) + " holds"
                                         : std::to_string(count) + " lines of " + std::string(output) + " hold";
    return "The engine reports errors: " + lines + " \"" + kEngineErrorMark
        + "\". Correct the model file and run it again; the output shows these lines highlighted.";
}

std::string engineErrorEntry(const EngineErrorLine& line)
{
    return "line " + std::to_string(line.number) + ": " + line.text;
}

}  // namespace tw
