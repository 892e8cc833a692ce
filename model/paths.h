#pragma once
// Where the program finds its outside programs.

#include <string>
#include <string_view>

namespace tw {

/// The directory part of a program path: the text up to the last "/" or "\", without
/// that separator. A value without a separator gives the empty string
/// ("/opt/tw/tallowick2" -> "/opt/tw", "C:\Tools\x.exe" -> "C:\Tools").
std::string directoryPart(std::string_view programPath);

/// The full path of an outside program in a directory ("" directory: the bare name).
std::string programIn(std::string_view directory, std::string_view program);

}  // namespace tw
