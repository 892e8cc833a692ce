// Fuzzes the scan of an engine input file for the per-period runs.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "runs/persperiodinput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    const auto input = tw::readPeriodInput(in, "p.inp");
    if (input) {
        for (const auto& cohort : input->cohorts) {
            if (cohort.counts.empty())
                continue;  // a cohort followed by another keeps its place even when empty
            const int k = tw::nearestOccasions(cohort.counts.size());
            fuzz::check(k >= 2 && k < 64, "the nearest occasions are a small whole number");
            if (const auto exact = tw::occasionsForCounts(cohort.counts.size()))
                fuzz::check(*exact == k, "an exact count has itself as the nearest");
        }
    } else {
        fuzz::check(input.error().file == "p.inp", "an error names the file");
    }
    return 0;
}
