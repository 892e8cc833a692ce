#include "session/recentmodels.h"

#include <algorithm>

#include "model/fileerrors.h"

namespace tw {

namespace {

constexpr std::string_view kPimPrefix = "pim:";
constexpr std::string_view kConstraintsPrefix = "constraints:";

std::optional<ModelFile> parsed(std::string_view line)
{
    ModelFile file;
    if (line.starts_with(kPimPrefix)) {
        file.form = ModelForm::Pim;
        line.remove_prefix(kPimPrefix.size());
    } else if (line.starts_with(kConstraintsPrefix)) {
        file.form = ModelForm::Constraints;
        line.remove_prefix(kConstraintsPrefix.size());
    } else {
        return std::nullopt;
    }
    if (!line.starts_with('/'))
        return std::nullopt;
    file.path = std::string(line);
    return file;
}

}  // namespace

std::vector<ModelFile> rememberModel(std::vector<ModelFile> list, ModelFile file)
{
    file.path = fullPath(file.path);
    std::erase_if(list, [&file](const ModelFile& entry) { return entry.path == file.path; });
    list.insert(list.begin(), std::move(file));
    if (list.size() > kRecentModelCount)
        list.resize(kRecentModelCount);
    return list;
}

std::string storedModel(const ModelFile& file)
{
    return std::string(file.form == ModelForm::Pim ? kPimPrefix : kConstraintsPrefix) + file.path;
}

std::vector<ModelFile> storedModels(const std::vector<std::string>& lines)
{
    std::vector<ModelFile> list;
    for (const std::string& line : lines) {
        const std::optional<ModelFile> file = parsed(line);
        if (!file)
            continue;
        const bool repeated = std::any_of(list.begin(), list.end(),
                                          [&file](const ModelFile& entry) { return entry.path == file->path; });
        if (!repeated)
            list.push_back(*file);
        if (list.size() == kRecentModelCount)
            break;
    }
    return list;
}

}  // namespace tw
