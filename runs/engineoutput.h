#pragma once
// Reading back what the engine wrote: whether its output file is new, and the error
// lines in it.

#include <cstdint>
#include <filesystem>
#include <istream>
#include <string>
#include <vector>

namespace tw {

inline constexpr const char* kEngineErrorMark = "KESTON ERROR";

/// What a file looked like at one moment: taken before a run, so that an output left
/// by an earlier run does not count as written by this one.
struct FileStamp {
    bool exists = false;
    std::filesystem::file_time_type modified{};
    std::uintmax_t size = 0;
};

/// The file's stamp now; a missing or unreadable file gives exists = false.
FileStamp stampOf(const std::filesystem::path& path);

/// Whether the file exists now and was created or rewritten after the stamp was taken.
bool writtenSince(const FileStamp& before, const std::filesystem::path& path);

/// One line of the engine's output that reports an error.
struct EngineErrorLine {
    int number = 0;    // 1-based line number in the output file
    std::string text;  // the whole line, its line end removed
    bool operator==(const EngineErrorLine&) const = default;
};

/// The lines that contain "KESTON ERROR" (case-sensitive), in file order.
std::vector<EngineErrorLine> engineErrorLines(std::istream& output);

/// What the dialog listing the error lines says above them: how many lines of which
/// file report errors, and where to read them in context.
std::string engineErrorSummary(std::string_view output, std::size_t count);

/// One entry of that list: "line 12: KESTON ERROR 3: NPAR too small".
std::string engineErrorEntry(const EngineErrorLine& line);

}  // namespace tw
