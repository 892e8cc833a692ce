// Fuzzes the text rules every reader uses: decimal values, number lists and PIM tokens.
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/textrules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)tw::decimalValue(text);

    // getnum over the text split into lines.
    std::size_t at = 0;
    auto nextLine = [&](std::string& line) {
        if (at >= text.size())
            return false;
        const std::size_t end = text.find('\n', at);
        line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        return true;
    };
    std::string list;
    for (int i = 0; i < 64 && tw::getnum(list, nextLine); ++i) {
    }

    tw::PimTokens tokens(text);
    for (int i = 0; i < 64; ++i)
        (void)tokens.next();

    std::size_t pos = 0;
    for (int i = 0; i < 3; ++i)
        (void)tw::designToken(text, pos, text.empty() ? 0 : text.size() - 1);

    if (auto value = tw::decimalValue(text)) {
        const std::string printed = tw::signedText(*value);
        (void)tw::roundToInt16(*value);
        (void)tw::plainText(*value);
        // Printing and reading back keeps 15 significant digits.
        (void)tw::decimalValue(printed);
    }
    return 0;
}
