#include "cli/steps.h"

#include <algorithm>

#include "buildinfo.h"
#include "cli/constraintsteps.h"
#include "model/pimreader.h"
#include "model/pimwriter.h"

namespace tw::cli {

namespace {

// A name as the file dialogs would give it: empty or the bare pattern means no choice.
bool noFileSelected(const std::string& file) { return file.empty() || file == "*.*"; }

Error notAvailable(std::string_view caption)
{
    return makeError("\"" + std::string(caption) + "\" is not available at this point");
}

// One message, one line.
std::string oneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

ConstraintsMenus constraintsMenus(CliState& state)
{
    return {state.menuSave, state.menuSavePims, state.menuConvert};
}

StepMessage collect(CliState& state)
{
    return [&state](const std::string& text) { state.messages.push_back(text); };
}

}  // namespace

Status readPimsStep(CliState& state, const std::string& file)
{
    if (noFileSelected(file))
        return makeError("No file selected");
    auto read = readPimFile(file);
    if (!read)
        return read.error();
    read->apppath = state.model.apppath;
    state.model = std::move(*read);
    state.menuSave = true;
    state.menuSavePims = true;
    return {};
}

Status writePimsStep(CliState& state, const std::string& file)
{
    if (!state.menuSavePims)
        return notAvailable("Save model w/ PIM's");
    if (noFileSelected(file))
        return makeError("No file selected");
    return savePimFile(state.model, file);
}

const std::vector<StepKind>& stepKinds()
{
    static const std::vector<StepKind> kinds = {
        {"--read-pims", "FILE", "read a model file in the PIM form (\"Get input file w/ PIM's\")", false,
         readPimsStep},
        {"--write-pims", "FILE", "save the model in the PIM form (\"Save model w/ PIM's\")", false, writePimsStep},
        {"--read-constraints", "FILE",
         "read a model file in the constraints form (\"Get input file w/ constraints\"); writes quarlet.chk", false,
         [](CliState& state, const std::string& file) {
             return readConstraintsStep(state.model, constraintsMenus(state), file, collect(state));
         }},
        {"--convert", "FILE", "apply a constraints file to the model (\"Convert constraints to PIMs\")", false,
         [](CliState& state, const std::string& file) {
             return convertStep(state.model, constraintsMenus(state), file);
         }},
        {"--point", "", "number the parameters (\"Compute POINT(i)\"); writes quarlet.chk", false,
         [](CliState& state, const std::string&) { return pointStep(state.model, collect(state)); }},
        {"--write-constraints", "FILE",
         "save the model in the constraints form to FILE (\"Save model w/ constraints\"); the last step", true,
         [](CliState& state, const std::string& file) {
             return writeConstraintsStep(state.model, constraintsMenus(state), file, collect(state));
         }},
    };
    return kinds;
}

std::string usageText()
{
    std::string text = "usage: tallowick2-model STEP...\n"
                       "Runs the steps in the order given on one model.\n"
                       "Steps:\n";
    for (const StepKind& kind : stepKinds()) {
        std::string head = "  ";
        head += kind.option;
        if (!kind.operand.empty()) {
            head += ' ';
            head += kind.operand;
        }
        head.resize(std::max<std::size_t>(head.size() + 2, 28), ' ');
        text += head + std::string(kind.summary) + "\n";
    }
    text += "  --help                    print this text\n"
            "  --version                 print the version\n"
            "Exit status: 0 when every step was done, 1 when a step failed, 2 for a usage error.\n";
    return text;
}

Result<CommandLine> parseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine command;
    if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()) {
        command.help = true;
        return command;
    }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--version") {
            command.version = true;
            return command;
        }
        const auto& kinds = stepKinds();
        const auto kind = std::find_if(kinds.begin(), kinds.end(),
                                       [&](const StepKind& k) { return k.option == argument; });
        if (kind == kinds.end())
            return makeError("unknown option \"" + argument + "\"");
        Step step{&*kind, {}};
        if (!kind->operand.empty()) {
            if (i + 1 >= arguments.size())
                return makeError(argument + " needs " + std::string(kind->operand));
            step.operand = arguments[++i];
        }
        if (!command.steps.empty() && command.steps.back().kind->mustBeLast)
            return makeError(std::string(command.steps.back().kind->option) + " must be the last step");
        command.steps.push_back(std::move(step));
    }
    if (command.steps.empty())
        return makeError("no step given");
    return command;
}

int runCommandLine(const std::vector<std::string>& arguments, CliState& state, std::ostream& out, std::ostream& err)
{
    const auto command = parseCommandLine(arguments);
    if (!command) {
        err << "tallowick2-model: " << oneLine(command.error().text()) << "\n" << usageText();
        return 2;
    }
    if (command->help) {
        out << usageText();
        return 0;
    }
    if (command->version) {
        out << "tallowick2-model " << kVersion << "\n";
        return 0;
    }
    for (const Step& step : command->steps) {
        const Status done = step.kind->run(state, step.operand);
        for (const std::string& message : state.messages)
            err << oneLine(message) << "\n";
        state.messages.clear();
        if (!done) {
            err << oneLine(done.error().text()) << "\n";
            return 1;
        }
    }
    return 0;
}

}  // namespace tw::cli
