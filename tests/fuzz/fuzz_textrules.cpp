// Fuzzes the text rules every reader uses: decimal values, number lists and PIM tokens;
// and what the grid windows make of a cell's text (their quick look at plain numbers
// must agree with the full reading, and a cell shown back as it was must not change).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/model.h"
#include "model/textrules.h"
#include "pim/gridentry.h"
#include "pim/gridwriteback.h"

namespace {

void checkGridEntry(const std::string& text)
{
    const tw::CellEntry entry = tw::readCellEntry(text);
    const tw::EntryLook look = tw::entryLook(text);
    if (look.fixed != (entry.kind == tw::CellEntry::Kind::Fixed) || look.flagged == tw::entryNote(text).empty())
        std::abort();
    tw::Model model = tw::startupModel();
    model.npar = 1;
    tw::createCellArrays(model);
    tw::writeBackGrid(model, {1}, {text});
    const tw::Model written = model;
    if (tw::writeBackGrid(model, {1}, {tw::cellText(model, 1)}).changed || !(model == written))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)tw::decimalValue(text);
    checkGridEntry(text);

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
