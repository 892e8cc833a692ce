#include "model/paths.h"

namespace tw {

std::string directoryPart(std::string_view programPath)
{
    const auto last = programPath.find_last_of("/\\");
    if (last == std::string_view::npos)
        return {};
    return std::string(programPath.substr(0, last));
}

std::string programIn(std::string_view directory, std::string_view program)
{
    if (directory.empty())
        return std::string(program);
    std::string path(directory);
    if (path.back() != '/' && path.back() != '\\')
        path += '/';
    return path + std::string(program);
}

}  // namespace tw
