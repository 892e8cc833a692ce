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
/// At most this many error lines get a message box of their own.
inline constexpr std::size_t kMaxErrorBoxes = 10;

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

/// The lines that contain "KESTON ERROR" (case-sensitive), in file order, line ends removed.
std::vector<std::string> engineErrorLines(std::istream& output);

/// The texts of the message boxes for the error lines: one box per line for the first
/// ten, then one box that counts the rest.
std::vector<std::string> errorBoxTexts(const std::vector<std::string>& errorLines);

}  // namespace tw
