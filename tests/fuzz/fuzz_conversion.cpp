// Fuzzes the conversion of constraints to PIMs on a fixed loaded model: a refused file
// leaves the model as it was; a converted model is written in the PIM form and reads back.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "model/constraintstopims.h"
#include "model/pimreader.h"
#include "model/pimwriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const tw::Model original = fuzz::fixedModel();
    const std::string text(reinterpret_cast<const char*>(data), size);
    tw::Model model = original;
    std::istringstream in(text);
    if (!tw::convertConstraints(model, in, "c.inp")) {
        fuzz::check(model == original, "a refused conversion leaves the model unchanged");
        return 0;
    }
    fuzz::check(model.nparms >= 0 && model.nparms <= model.npar, "nparms within 0..npar");
    std::ostringstream out;
    if (!tw::writePimModel(model, out))
        return 0;
    std::istringstream back(out.str());
    const auto reread = tw::readPimModel(back, "w.inp");
    if (!reread) {
        std::fprintf(stderr, "%s\n", reread.error().text().c_str());
        fuzz::fault("the converted model, written, reads back");
    }
    return 0;
}
