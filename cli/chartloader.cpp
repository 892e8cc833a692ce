#include "cli/chartloader.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>
#include <vector>

#include "buildinfo.h"
#include "cli/chartmodule.h"

namespace tw::cli {

namespace {

namespace fs = std::filesystem;

// The places the module may lie: beside the program (a build tree), then the installed
// outside programs' directory.
std::vector<fs::path> modulePlaces()
{
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    const fs::path directory = program.parent_path();
    return {directory / kChartModuleName,
            (directory / kProgramsDirectoryFromBin / kChartModuleName).lexically_normal()};
}

Result<DrawChartFunction> loadModule()
{
    std::string tried;
    for (const fs::path& place : modulePlaces()) {
        if (!fs::exists(place)) {
            tried += (tried.empty() ? "" : ", ") + place.string();
            continue;
        }
        void* module = ::dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module)
            return makeError(std::string("The drawing module cannot be loaded: ") + ::dlerror());
        void* function = ::dlsym(module, kDrawChartSymbol);
        if (!function)
            return makeError("The drawing module " + place.string() + " has no " + kDrawChartSymbol + ".");
        return reinterpret_cast<DrawChartFunction>(function);
    }
    return makeError("The chart cannot be drawn: the drawing module " + std::string(kChartModuleName)
                     + " is not installed (looked for " + tried + ").");
}

}  // namespace

Result<std::string> drawChartWithModule(const ChartData& chart, ChartFormat format)
{
    static const Result<DrawChartFunction> draw = loadModule();
    if (!draw)
        return draw.error();
    std::string bytes;
    std::string error;
    if (!(*draw)(chart, format, bytes, error))
        return makeError(error);
    return bytes;
}

}  // namespace tw::cli
