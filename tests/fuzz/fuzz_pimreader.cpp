// Fuzzes the reader of the PIM form: any input gives a model or an error naming a line
// of the input, and the progress runs upwards within 0..100.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "model/pimreader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    int last = -1;
    const tw::Progress progress = [&](int percent) {
        fuzz::check(percent > last && percent >= 0 && percent <= 100, "progress runs upwards within 0..100");
        last = percent;
    };
    tw::PimReadNotes notes;
    const auto model = tw::readPimModel(in, "f.inp", &notes, progress);
    if (model) {
        fuzz::check(model->pim.size() == static_cast<std::size_t>(model->npar) + 1, "pim covers 0..npar");
        fuzz::check(model->initval.size() == model->pim.size(), "initval covers 0..npar");
        fuzz::check(model->nparms >= 0 && model->nparms <= 32767, "nparms within 16 bits");
    } else {
        const long lines = static_cast<long>(std::count(text.begin(), text.end(), '\n')) + 1;
        fuzz::check(model.error().file == "f.inp", "an error names the file");
        fuzz::check(model.error().line >= 0 && model.error().line <= lines, "an error names a line of the input");
        fuzz::check(!model.error().message.empty(), "an error says what is wrong");
    }
    return 0;
}
