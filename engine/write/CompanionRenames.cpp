#include "engine/write/CompanionRenames.h"

#include "common/AsciiCase.h"
#include "common/Backups.h"
#include "engine/write/TargetNames.h"

#include <algorithm>

namespace qvc {

std::vector<std::pair<std::string, std::string>> PlanCompanionFiles(
    const std::string &fileName, const std::string &newName, const TFileView &view)
{
    const std::string_view ownName = NamePart(fileName);
    const std::string folder = FolderWithSlash(fileName);
    const std::string base(ownName.substr(0, ownName.size() - FileExtension(ownName).size()));
    const std::string ownLower = AsciiLower(ownName);
    std::vector<std::string> companions;
    for (const std::string &name : view.Names(folder)) {
        if (name.empty() || name[0] == '.' || name.size() <= base.size() + 1 || name.compare(0, base.size(), base) != 0
            || name[base.size()] != '.')
            continue;
        if (!view.WritableRegular(folder + name) || AsciiLower(name) == ownLower || IsBackupName(name))
            continue;
        companions.push_back(name);
    }
    // Listed first and renamed afterwards, in the order of the names, each only while its new name is free.
    std::sort(companions.begin(), companions.end());
    TPlanLayer layer(view);
    std::vector<std::pair<std::string, std::string>> renamed;
    for (const auto &name : companions) {
        std::string to = ChangeExtension(newName, FileExtension(name));
        if (layer.Present(to))
            continue;
        layer.Set(folder + name, false);
        layer.Set(to, true);
        renamed.emplace_back(folder + name, std::move(to));
    }
    return renamed;
}

} // namespace qvc
