#pragma once
// The recent-models list of the File menu: the model files last read or saved, newest
// first, each with the form it holds the model in so that it opens with the right
// reader. The windows store it as lines of text through the platform's settings.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/session.h"

namespace tw {

/// The list holds at most this many files.
inline constexpr std::size_t kRecentModelCount = 8;

/// The list with file in front (its path made absolute): an earlier entry of the same
/// path leaves its place, and only the newest kRecentModelCount entries stay.
std::vector<ModelFile> rememberModel(std::vector<ModelFile> list, ModelFile file);

/// An entry as stored: the form, a colon and the path ("pim:/home/ann/m.inp",
/// "constraints:/home/ann/c.inp").
std::string storedModel(const ModelFile& file);

/// The list from its stored lines, in order: lines that name no form or no absolute
/// path are skipped, and so are repeated paths and lines beyond kRecentModelCount.
std::vector<ModelFile> storedModels(const std::vector<std::string>& lines);

}  // namespace tw
