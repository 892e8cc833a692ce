#pragma once
// The options tallowick2 answers before it opens a window.

#include <optional>
#include <string>
#include <vector>

namespace tw {

/// The text tallowick2 prints instead of starting when the arguments (without the
/// program name) ask for it: the usage for --help or -h, the version for --version;
/// nullopt when the program starts.
std::optional<std::string> answerWithoutWindow(const std::vector<std::string>& arguments);

}  // namespace tw
