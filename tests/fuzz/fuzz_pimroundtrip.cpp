// Fuzzes the PIM form through a round trip: read, write, read the written file, write
// again. The two writes must give the same bytes; a written file must read back.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "model/pimreader.h"
#include "model/pimwriter.h"

namespace {

// The bytes a save writes for model with the head kept from its file; false when it
// refuses (the writer's refusals, and a written text that would not read back as the model).
bool writeModel(tw::Model model, std::string& bytes)
{
    std::ostringstream out;
    if (!tw::writePimModel(model, out))
        return false;
    bytes = out.str();
    return tw::checkPimReadsBack(model, bytes, "g.inp").ok();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    const auto first = tw::readPimModel(in, "f.inp");
    if (!first)
        return 0;
    std::string written;
    if (!writeModel(*first, written))
        return 0;
    std::istringstream back(written);
    const auto second = tw::readPimModel(back, "g.inp");
    if (!second) {
        std::fprintf(stderr, "%s\n", second.error().text().c_str());
        fuzz::fault("a written file reads back");
    }
    std::string again;
    fuzz::check(writeModel(*second, again), "a model read back is written again");
    fuzz::check(again == written, "the second write gives the bytes of the first");
    return 0;
}
