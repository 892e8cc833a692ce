// Fuzzes the reader of the per-period estimation listing "runsurv.t2".
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "runs/persperiodlisting.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    const auto estimates = tw::readPeriodListing(in);
    for (const auto& estimate : estimates)
        fuzz::check(tw::isEstimateLine(estimate.line), "every estimate comes from an estimate line");
    return 0;
}
