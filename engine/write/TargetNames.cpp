#include "engine/write/TargetNames.h"

#include "engine/pass/Separator.h"

namespace qvc {

std::string RenamedTarget(const std::string &fileName, TRenameMode renameMode)
{
    // The extension is compared as written: "UNIT1.DFM" is read as a form but keeps its name.
    const std::string_view renamed = RenamedFormExtension(renameMode, FileExtension(fileName));
    return renamed.empty() ? fileName : ChangeExtension(fileName, renamed);
}

std::string NewNameFor(const std::string &targetName, std::string_view find, std::string_view replace)
{
    const std::string_view extension = FileExtension(targetName);
    const std::string_view name = NamePart(targetName);
    // Only the file's own base name renames it, matched letter case counting: "alpha.pas" keeps its name.
    if (name.size() != find.size() + extension.size() || name.substr(0, find.size()) != find)
        return {};
    // A replace text holding a brace comment never renames the file.
    if (replace.find('{') != std::string_view::npos && replace.find('}') != std::string_view::npos)
        return {};
    if (IsBlankText(replace) || replace.find('/') != std::string_view::npos
        || replace.find('\0') != std::string_view::npos)
        return {};
    std::string out(FolderPart(targetName));
    out += replace;
    out += extension;
    return out;
}

} // namespace qvc
