// Fuzzes the PIM chart's core on models read from PIM-form files: the chart's data, then
// every block command on one block (chosen by the input's length) and the two
// renumberings. Each must leave fixed and special cells alone, undo must give back the
// model exactly and redo the model after.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "pim/blockcommands.h"
#include "pim/chartdata.h"

namespace {

void checkChart(const tw::Model& model)
{
    const tw::ChartData chart = tw::buildChartData(model);
    for (std::size_t r = 0; r < chart.rows.size(); ++r) {
        const tw::ChartRow& row = chart.rows[r];
        int estimated = 0;
        for (int cell : row.block.cells)
            estimated += model.pim[static_cast<std::size_t>(cell)] > 0;
        fuzz::check(row.fixedCells + row.specialCells + estimated == static_cast<int>(row.block.cells.size()),
                    "every cell of a block is estimated, fixed or special");
        fuzz::check(static_cast<int>(tw::sharingRows(chart, static_cast<int>(r)).size()) == row.sharingCount,
                    "the sharing counted is the sharing listed");
    }
}

void checkChange(tw::Model& model, const tw::Model& before, const tw::ModelChange& change)
{
    for (std::size_t i = 1; i < model.pim.size(); ++i)
        if (before.pim[i] <= 0)
            fuzz::check(model.pim[i] == before.pim[i], "fixed and special cells never change");
    const tw::Model after = model;
    tw::undoChange(model, change);
    fuzz::check(model == before, "undo gives back the model before");
    tw::redoChange(model, change);
    fuzz::check(model == after, "redo gives back the model after");
    checkChart(model);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    const auto read = tw::readPimModel(in, "f.inp");
    if (!read)
        return 0;
    const tw::Model original = *read;
    checkChart(original);
    const auto blocks = tw::pimBlocks(original);
    if (blocks.empty())
        return 0;
    const tw::PimBlock& block = blocks[size % blocks.size()];
    for (auto command : {tw::BlockCommand::Constant, tw::BlockCommand::Time, tw::BlockCommand::Age,
                         tw::BlockCommand::AllDifferent}) {
        tw::Model model = original;
        auto change = tw::runBlockCommand(model, block, command);
        if (!change) {
            fuzz::check(model == original, "a refused command changes nothing");
            continue;
        }
        checkChange(model, original, *change);
    }
    {
        tw::Model model = original;
        auto change = tw::shiftBlockNumbers(model, block, static_cast<std::int8_t>(data[size / 2]));
        if (change)
            checkChange(model, original, *change);
        else
            fuzz::check(model == original, "a refused shift changes nothing");
    }
    for (bool sharing : {false, true}) {
        tw::Model model = original;
        const tw::ModelChange change = sharing ? tw::renumberWithoutSharing(model) : tw::renumberWithoutGaps(model);
        checkChange(model, original, change);
    }
    return 0;
}
