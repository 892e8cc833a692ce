// Fuzzes the reader of the constraints form, the numbering that follows a read and the
// writer of the constraints form over the model read.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "model/constraintsreader.h"
#include "model/numbering.h"
#include "model/constraintswriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    auto read = tw::readConstraints(in, "c.inp");
    if (!read) {
        fuzz::check(read.error().file == "c.inp", "an error names the file");
        return 0;
    }
    tw::Model& model = read->model;
    fuzz::check(model.pim.size() == static_cast<std::size_t>(model.npar) + 1, "pim covers 0..npar");
    const auto numbered = tw::computePointNumbering(model);
    fuzz::check(numbered.point.size() >= model.pim.size(), "POINT covers 0..npar");
    std::ostringstream out;
    (void)tw::writeConstraints(model, out);
    return 0;
}
