#pragma once
// What the engine run hands to the estimation engine and the texts it shows: the
// standard-input line naming the model file and the output file, and the messages for
// a refused, missing, failed or cancelled run. The engine is started without a shell,
// so file names travel unchanged; only the quotes of the line itself limit them.

#include <string>
#include <string_view>

#include "model/result.h"

namespace tw {

inline constexpr const char* kEngineProgram = "corvane";
inline constexpr const char* kEngineName = "CORVANE";
inline constexpr const char* kEngineDialogTitle = "corvane input filename";
inline constexpr const char* kEngineProposedInput = "quarlet.mss";
inline constexpr const char* kEngineErrorTitle = "corvane error";
inline constexpr const char* kMissingOutputTitle = "oops!";
inline constexpr const char* kSetEngineCommand = "Set CORVANE location\u2026";

/// The engine's output file for a model file: the input name + ".out".
std::string engineOutputName(std::string_view input);

/// The engine's standard-input line: i="<input>" l="<input>.out", one blank and a line
/// feed. A name holding a double quote or a line break cannot stand inside the quotes;
/// such a run is refused with an error saying so.
Result<std::string> engineInputLine(std::string_view input);

/// "output file (<output>)not created!": the engine ended without writing its output.
std::string missingOutputMessage(std::string_view output);

/// The engine program does not exist at its full path.
std::string missingEngineMessage(std::string_view enginePath);

/// The full path of an outside program in the installation directory apppath, or the
/// error of missingEngineMessage when it is not a file there. Without an installation
/// directory there is none: a bare name would start whatever program of that name lies
/// in the current directory.
Result<std::string> installedProgram(const std::string& apppath, std::string_view program);

/// The engine program exists but could not be started (reason from the system).
std::string engineNotStartedMessage(std::string_view enginePath, std::string_view reason);

/// The user ended an outside program before it finished.
std::string cancelledMessage(std::string_view programName);

}  // namespace tw
