#include "runs/enginerun.h"

#include <filesystem>

#include "model/paths.h"

namespace tw {

std::string engineOutputName(std::string_view input)
{
    return std::string(input) + ".out";
}

Result<std::string> engineInputLine(std::string_view input)
{
    if (input.find_first_of("\"\r\n") != std::string_view::npos)
        return makeError("The model file name holds a double quote or a line break, which cannot be passed to "
                         + std::string(kEngineName) + ". Rename the file and run it again.",
                         std::string(input));
    const std::string output = engineOutputName(input);
    return "i=\"" + std::string(input) + "\" l=\"" + output + "\" \n";
}

std::string missingOutputMessage(std::string_view output)
{
    return "output file (" + std::string(output) + ")not created!";
}

std::string missingEngineMessage(std::string_view enginePath)
{
    return "The engine program " + std::string(enginePath) + " does not exist.\nChoose the " + kEngineName
        + " program with \"" + kSetEngineCommand + "\" in the File menu.";
}

Result<std::string> installedProgram(const std::string& apppath, std::string_view program)
{
    const std::string path = programIn(apppath, program);
    std::error_code error;
    if (apppath.empty() || !std::filesystem::is_regular_file(path, error))
        return makeError(missingEngineMessage(path));
    return path;
}

std::string engineNotStartedMessage(std::string_view enginePath, std::string_view reason)
{
    return "The engine program " + std::string(enginePath) + " could not be started (" + std::string(reason)
        + ").\nChoose the " + kEngineName + " program with \"" + kSetEngineCommand + "\" in the File menu.";
}

std::string cancelledMessage(std::string_view programName)
{
    return "The run of " + std::string(programName) + " was cancelled; its results are incomplete.";
}

}  // namespace tw
