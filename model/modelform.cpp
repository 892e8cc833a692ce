#include "model/modelform.h"

#include <cerrno>
#include <fstream>

#include "model/fileerrors.h"
#include "model/lines.h"
#include "model/textrules.h"

namespace tw {

ModelForm modelFormOf(std::istream& text)
{
    LineReader lines(text, {});
    std::string line;
    bool cohorts = false;
    while (lines.next(line)) {
        if (!cohorts) {
            cohorts = contains(line, "COHORT") || contains(line, "cohort");
            continue;
        }
        if (contains(line, "PIM;") || contains(line, "pim;"))
            return ModelForm::Pim;
    }
    return ModelForm::Constraints;
}

Result<ModelForm> modelFormOfFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int error = errno;
        return makeError("cannot open the file: " + systemReason(error), fullPath(path));
    }
    return modelFormOf(in);
}

}  // namespace tw
