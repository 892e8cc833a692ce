#include "app/commandline.h"

#include "buildinfo.h"

namespace tw {

std::optional<std::string> answerWithoutWindow(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h")
            return "usage: tallowick2 [FILE]\n"
                   "Opens the Tallowick2 main window. FILE, when given, is a model file read at start:\n"
                   "as \"Get input file w/ PIM's\" reads it when a \"PIM;\" line follows its cohorts,\n"
                   "otherwise as \"Get input file w/ constraints\" does.\n"
                   "Options:\n"
                   "  --help      print this text\n"
                   "  --version   print the version\n"
                   "The command line tallowick2-model runs the model-file commands without a window.\n";
        if (argument == "--version")
            return std::string("tallowick2 ") + kVersion + "\n";
    }
    return std::nullopt;
}

}  // namespace tw
