#pragma once
// Helpers shared by the stand-in outside programs.

#include <cstddef>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace tw::standin {

/// All lines of a text file, line ends (LF, CR LF) removed; false when it cannot be read.
bool readLines(const std::string& path, std::vector<std::string>& lines);

/// The text without blanks, tabs and carriage returns at both ends.
std::string trimmed(std::string_view text);

/// Whether the text begins with the prefix.
inline bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace tw::standin
