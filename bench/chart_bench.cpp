// Times the PIM chart's core on the largest model (32380 cells, 320 blocks): building the
// chart's data, the --describe-blocks text, each block command on the largest block
// (closed capture, 200 cells) with its undo, and the two renumberings of the whole model.
// Targets: chart data <= 20 ms, a block command <= 10 ms.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/largestmodel.h"
#include "pim/blockcommands.h"
#include "pim/chartdata.h"
#include "session/session.h"

using Clock = std::chrono::steady_clock;

namespace {

double milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Runs step on a fresh copy of model each time (the copy is not timed); prints the
// fastest and the median run.
void timeStep(const char* name, const tw::Model& model, const std::function<void(tw::Model&)>& step, int runs = 15)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        tw::Model copy = model;
        const auto start = Clock::now();
        step(copy);
        times.push_back(milliseconds(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    std::printf("%-40s min %7.3f ms   median %7.3f ms\n", name, times.front(), times[times.size() / 2]);
}

}  // namespace

int main()
{
    const tw::Model model = tw::largestModel(50);
    const tw::ChartData chart = tw::buildChartData(model);
    std::size_t largest = 0;
    for (std::size_t r = 1; r < chart.rows.size(); ++r)
        if (chart.rows[r].block.cells.size() > chart.rows[largest].block.cells.size())
            largest = r;
    const tw::PimBlock block = chart.rows[largest].block;
    std::printf("model: npar %d, %zu blocks, largest number %d, largest block %s (%zu cells), %zu design entries\n",
                model.npar, chart.rows.size(), chart.largestNumber, chart.rows[largest].label.c_str(),
                block.cells.size(), model.dm.size());

    timeStep("chart data (target <= 20 ms)", model, [](tw::Model& m) { (void)tw::buildChartData(m); });
    timeStep("describe blocks", model, [](tw::Model& m) { (void)tw::describeBlocks(m); });
    tw::Model shared = model;  // every block shares with every other
    for (std::size_t i = 1; i < shared.pim.size(); ++i)
        if (shared.pim[i] > 0)
            shared.pim[i] = static_cast<std::int16_t>(1 + i % 50);
    timeStep("chart data, every block sharing", shared, [](tw::Model& m) { (void)tw::buildChartData(m); });

    const std::pair<const char*, tw::BlockCommand> commands[] = {
        {"Constant (target <= 10 ms)", tw::BlockCommand::Constant},
        {"Time (target <= 10 ms)", tw::BlockCommand::Time},
        {"Age (target <= 10 ms)", tw::BlockCommand::Age},
        {"All different (target <= 10 ms)", tw::BlockCommand::AllDifferent},
    };
    for (const auto& [name, command] : commands)
        timeStep(name, model, [&, command = command](tw::Model& m) {
            if (!tw::runBlockCommand(m, block, command).ok())
                std::printf("refused\n");
        });
    timeStep("Shift by 100 (target <= 10 ms)", model, [&](tw::Model& m) {
        if (!tw::shiftBlockNumbers(m, block, 100).ok())
            std::printf("refused\n");
    });

    tw::Model changed = model;
    const auto change = tw::runBlockCommand(changed, block, tw::BlockCommand::AllDifferent);
    timeStep("undo of All different", changed, [&](tw::Model& m) { tw::undoChange(m, *change); });

    // As the window runs it: the session's step, with its write-back, its undo step and
    // the check that nothing else changed the model; then that step undone.
    struct NoWindows : tw::FrontEnd {
        std::optional<std::string> openFile(const tw::FileQuestion&) override { return std::nullopt; }
        std::optional<std::string> saveFile(const tw::FileQuestion&) override { return std::nullopt; }
        bool confirm(const std::string&) override { return true; }
    } front;
    std::vector<double> commandTimes;
    std::vector<double> undoTimes;
    tw::Session session;
    session.model() = model;
    for (int run = 0; run < 15; ++run) {
        auto start = Clock::now();
        (void)session.changeBlock(front, static_cast<int>(largest), tw::BlockCommand::AllDifferent);
        commandTimes.push_back(milliseconds(Clock::now() - start));
        start = Clock::now();
        (void)session.undo(front);
        undoTimes.push_back(milliseconds(Clock::now() - start));
    }
    std::sort(commandTimes.begin(), commandTimes.end());
    std::sort(undoTimes.begin(), undoTimes.end());
    std::printf("%-40s min %7.3f ms   median %7.3f ms\n", "session: All different, one undo step", commandTimes.front(),
                commandTimes[commandTimes.size() / 2]);
    std::printf("%-40s min %7.3f ms   median %7.3f ms\n", "session: its undo", undoTimes.front(),
                undoTimes[undoTimes.size() / 2]);

    timeStep("Renumber without gaps (whole model)", model, [](tw::Model& m) { (void)tw::renumberWithoutGaps(m); });
    timeStep("Renumber without sharing (whole model)", model, [](tw::Model& m) { (void)tw::renumberWithoutSharing(m); });
    return 0;
}
