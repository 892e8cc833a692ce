// tallowick2-model: the model-file commands of the main window, for scripts and batch use.
#include <iostream>

#include "cli/chartloader.h"
#include "cli/steps.h"

int main(int argc, char** argv)
{
    // A failure no step reports (memory running out, say) still ends with a message and
    // exit status 1, never with an abort.
    try {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        tw::Session session;
        return tw::cli::runCommandLine(arguments, session, std::cout, std::cerr, tw::cli::drawChartWithModule);
    } catch (...) {
        std::cerr << "tallowick2-model: " << tw::failureText(std::current_exception()) << "; the command was stopped\n";
        return 1;
    }
}
