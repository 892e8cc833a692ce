#pragma once
// Helpers shared by the tests of the PIM-form reader, writer and command line.

#include <sstream>
#include <string>

#include "model/pimreader.h"
#include "runs/pimwriter.h"
#include "support.h"

namespace pimtest {

using namespace twtest;

inline tw::Result<tw::Model> readText(const std::string& text, const std::string& name = "m.inp")
{
    std::istringstream in(text);
    return tw::readPimModel(in, name);
}

/// The bytes the writer gives for model with head as the content of its input file.
inline tw::Result<std::string> writeText(tw::Model& model, const std::string& head)
{
    std::istringstream in(head);
    std::ostringstream out;
    const tw::Status written = tw::writePimModel(model, in, out);
    if (!written)
        return written.error();
    return out.str();
}

inline std::filesystem::path dataDir() { return std::filesystem::path(TW_TEST_DATA) / "pim"; }

}  // namespace pimtest
