#include "cli/steps.h"

#include <algorithm>

#include "buildinfo.h"

namespace tw::cli {

namespace {

// One message, one line.
std::string oneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

// Answers a command's file dialogs with the step's operand and its questions with OK;
// draws the chart with the program's drawer.
class OperandFrontEnd : public FrontEnd {
public:
    OperandFrontEnd(std::string operand, const ChartDrawer& drawChart)
        : m_operand(std::move(operand)), m_drawChart(drawChart)
    {
    }
    std::optional<std::string> openFile(const FileQuestion&) override { return m_operand; }
    std::optional<std::string> saveFile(const FileQuestion&) override { return m_operand; }
    bool confirm(const std::string&) override { return true; }
    Result<std::string> drawChart(const ChartData& chart, ChartFormat format) override
    {
        if (!m_drawChart)
            return FrontEnd::drawChart(chart, format);
        return m_drawChart(chart, format);
    }

private:
    std::string m_operand;
    const ChartDrawer& m_drawChart;
};

// A step that runs a session command with its operand as the front end's answers.
template <Outcome (Session::*command)(FrontEnd&)>
Outcome answered(Session& session, const std::string& /*operand*/, FrontEnd& front)
{
    return (session.*command)(front);
}

Outcome describeBlocks(Session& session, const std::string& /*operand*/, FrontEnd& /*front*/)
{
    return session.describeBlocks();
}

Outcome applyFormulas(Session& session, const std::string& formulas, FrontEnd& front)
{
    return session.applyFormulaList(front, formulas);
}

}  // namespace

const std::vector<StepKind>& stepKinds()
{
    static const std::vector<StepKind> kinds = {
        {"--read-pims", "FILE", "read a model file in the PIM form (\"Get input file w/ PIM's\")", false,
         answered<&Session::readPims>},
        {"--write-pims", "FILE", "save the model in the PIM form (\"Save model w/ PIM's\")", false,
         answered<&Session::savePims>},
        {"--read-constraints", "FILE",
         "read a model file in the constraints form (\"Get input file w/ constraints\"); writes quarlet.chk", false,
         answered<&Session::readConstraints>},
        {"--convert", "FILE", "apply a constraints file to the model (\"Convert constraints to PIMs\")", false,
         answered<&Session::convert>},
        {"--point", "", "number the parameters (\"Compute POINT(i)\"); writes quarlet.chk", false,
         answered<&Session::point>},
        {"--formulas", "FORMULAS",
         "build the PIMs and the design matrix from model formulas (\"survival ~ time; open ~ 1\"); "
         "each kind's rank goes to standard error",
         false, applyFormulas},
        {"--write-design-table", "FILE", "write the design matrix as tab-separated text, its columns named", false,
         answered<&Session::writeDesignTable>},
        {"--describe-blocks", "",
         "print one line per PIM block: label, cells, fixed and special cells, numbers, sharing blocks",
         false, describeBlocks},
        {"--chart", "FILE", "draw the PIM chart of the model to FILE, a .png or .pdf (\"Save chart as\")", false,
         answered<&Session::saveChart>},
        {"--write-constraints", "FILE",
         "save the model in the constraints form to FILE (\"Save model w/ constraints\"); the last step", true,
         answered<&Session::saveConstraints>},
    };
    return kinds;
}

std::string usageText()
{
    std::vector<std::pair<std::string, std::string>> lines;
    for (const StepKind& kind : stepKinds()) {
        std::string head = "  " + std::string(kind.option);
        if (!kind.operand.empty())
            head += " " + std::string(kind.operand);
        lines.emplace_back(std::move(head), kind.summary);
    }
    lines.emplace_back("  --help", "print this text");
    lines.emplace_back("  --version", "print the version");
    std::size_t width = 28;
    for (const auto& line : lines)
        width = std::max(width, line.first.size() + 2);

    std::string text = "usage: tallowick2-model STEP...\n"
                       "Runs the steps in the order given on one model.\n"
                       "Steps:\n";
    for (auto& [head, summary] : lines) {
        head.resize(width, ' ');
        text += head + summary + "\n";
    }
    text += "Exit status: 0 when every step was done, 1 when a step failed, 2 for a usage error.\n";
    return text;
}

Result<CommandLine> parseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine command;
    // Only in the first place: as the operand of a step "--help" is a file name, and
    // anywhere else either would end the run with success before its steps were done.
    if (!arguments.empty() && (arguments.front() == "--help" || arguments.front() == "--version")) {
        command.help = arguments.front() == "--help";
        command.version = !command.help;
        return command;
    }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
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

int runCommandLine(const std::vector<std::string>& arguments, Session& session, std::ostream& out, std::ostream& err,
                   const ChartDrawer& drawChart)
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
        OperandFrontEnd front(step.operand, drawChart);
        const Outcome outcome = step.kind->run(session, step.operand, front);
        out << outcome.output;
        for (const Message& message : outcome.messages)
            err << oneLine(message.text) << "\n";
        for (const std::string& note : outcome.notes)
            err << oneLine(note) << "\n";
        if (outcome.failure) {
            err << oneLine(outcome.failure->text()) << "\n";
            return 1;
        }
    }
    return 0;
}

}  // namespace tw::cli
