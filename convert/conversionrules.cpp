#include "convert/conversionrules.h"

#include <cmath>

#include "model/textrules.h"

namespace tw {

std::string cutStrataCodes(std::string_view codes, double strata)
{
    // An emptied or zero field would otherwise wipe the codes the user typed.
    if (!(strata >= 1) || strata >= static_cast<double>(codes.size()))
        return std::string(codes);
    const auto keep = static_cast<std::size_t>(roundHalfEven(strata));
    return std::string(codes.substr(0, std::min(keep, codes.size())));
}

std::string timeIncrementCodes(double periods)
{
    std::string codes;
    if (!(periods >= 2))
        return codes;
    const auto pairs = static_cast<std::size_t>(std::floor(std::min(periods, kMaxTimePeriods) / 2));
    codes.reserve(pairs * 2);
    for (std::size_t k = 0; k < pairs; ++k)
        codes += "10";
    return codes;
}

Result<std::string> extendTimeIncrements(std::string_view codes, double periods)
{
    if (periods > kMaxTimePeriods)
        return makeError("The number of time periods is too large: at most 32767 can be converted.");
    std::string extended(codes);
    if (!(static_cast<double>(extended.size()) < periods))
        return extended;
    const auto lastOne = extended.rfind('1');
    if (lastOne == std::string::npos)
        return makeError("The time increments \"" + extended + "\" hold no \"1\" and are shorter than the "
                         + plainText(periods)
                         + " time periods, so they cannot be extended. Type one code for each time period.");
    const std::string repeat = extended.substr(lastOne);
    while (static_cast<double>(extended.size()) < periods)
        extended += repeat;
    return extended;
}

}  // namespace tw
