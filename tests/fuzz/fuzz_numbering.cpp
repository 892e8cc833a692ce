// Fuzzes the parameter numbering on a fixed model: the input gives the pim values of
// its cells (two bytes each) and, after a blank line, the fixed-parameter list (one
// entry per line). POINT numbers run 1..nparms and the listing has a line per cell.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "fuzz_support.h"
#include "model/numbering.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tw::Model model = fuzz::fixedModel();
    std::size_t at = 0;
    for (int cell = 1; cell <= model.npar && at + 1 < size; ++cell, at += 2) {
        const auto raw = static_cast<std::int16_t>(data[at] | (data[at + 1] << 8));
        // Small values make ties and special values likely.
        model.pim[static_cast<std::size_t>(cell)] = static_cast<std::int16_t>(raw % 20);
    }
    const std::string rest(reinterpret_cast<const char*>(data) + std::min(at, size), size - std::min(at, size));
    std::size_t from = 0;
    while (from < rest.size()) {
        std::size_t end = rest.find('\n', from);
        if (end == std::string::npos)
            end = rest.size();
        model.fixedlist.push_back(rest.substr(from, end - from));
        from = end + 1;
    }
    const auto numbered = tw::computePointNumbering(model);
    fuzz::check(numbered.point.size() >= static_cast<std::size_t>(model.npar) + 1, "POINT covers 0..npar");
    fuzz::check(static_cast<long>(std::count(numbered.listing.begin(), numbered.listing.end(), '\n')) == model.npar,
                "the listing has a line per cell");
    std::set<int> numbers;
    for (int cell = 1; cell <= model.npar; ++cell)
        if (numbered.point[static_cast<std::size_t>(cell)] > 0)
            numbers.insert(numbered.point[static_cast<std::size_t>(cell)]);
    fuzz::check(model.nparms >= 0 && model.nparms <= model.npar, "nparms within 0..npar");
    for (const int n : numbers)
        fuzz::check(n <= model.npar, "POINT numbers stay within npar");
    return 0;
}
