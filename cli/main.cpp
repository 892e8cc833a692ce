// tallowick2-model: the model-file commands of the main window, for scripts and batch use.
#include <iostream>

#include "cli/chartloader.h"
#include "cli/steps.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    tw::Session session;
    return tw::cli::runCommandLine(arguments, session, std::cout, std::cerr, tw::cli::drawChartWithModule);
}
