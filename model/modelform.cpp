#include "model/modelform.h"

#include <cerrno>
#include <fstream>

#include "model/fileerrors.h"
#include "model/lines.h"
#include "model/textrules.h"

namespace tw {

std::optional<ModelForm> shownModelForm(std::istream& text)
{
    LineReader lines(text, {});
    std::string line;
    bool cohorts = false;
    while (lines.next(line)) {
        // Lines that end in a carriage return alone read as one: no line tells the form.
        if (line.find('\r') != std::string::npos)
            return std::nullopt;
        if (!cohorts) {
            cohorts = contains(line, "COHORT") || contains(line, "cohort");
            continue;
        }
        if (contains(line, "PIM;") || contains(line, "pim;"))
            return ModelForm::Pim;
    }
    if (!cohorts)
        return std::nullopt;
    return ModelForm::Constraints;
}

ModelForm modelFormOf(std::istream& text)
{
    return shownModelForm(text).value_or(ModelForm::Constraints);
}

std::optional<ModelForm> shownModelFormOfFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return shownModelForm(in);
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
