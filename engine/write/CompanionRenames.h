#pragma once
// The companions of a unit written under a new name: the files beside it that share its base name (its
// form, its resources) follow it to the new name.
#include "engine/write/FileView.h"

#include <string>
#include <utility>
#include <vector>

namespace qvc {

/// The regular files beside `fileName` that share its base name (any extension) and are renamed to
/// `newName`'s base name with their own extension, as `view` shows the folder: old and new names, in the
/// order of the old names. Skips hidden names, files without write permission, the file itself (any
/// letter case), every backup (Unit1.~pas, Unit1.~pas.~2~) and every file whose new name is taken.
std::vector<std::pair<std::string, std::string>> PlanCompanionFiles(
    const std::string &fileName, const std::string &newName, const TFileView &view);

} // namespace qvc
