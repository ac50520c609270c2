#include "cli/RunFiles.h"

#include "common/AsciiCase.h"
#include "common/Errors.h"
#include "common/TextFormat.h"
#include "filelist/SearchFiles.h"

#include <filesystem>
#include <unordered_set>

namespace qvc {

std::vector<std::string> CollectRunFiles(const std::vector<std::string> &names, std::string_view maskText)
{
    std::vector<std::string> files;
    std::unordered_set<std::string> listed;
    const auto add = [&files, &listed](const std::string &name) {
        if (listed.insert(AsciiLower(name)).second)
            files.push_back(name);
    };
    TSearchFiles search;
    search.FileParams().SetMaskText(maskText);
    search.FileParams().FallBackToDefaultMask();
    search.SetOnFindFile(add);
    for (const std::string &name : names) {
        std::error_code error;
        if (!std::filesystem::is_directory(name, error)) {
            add(name);
            continue;
        }
        search.SetRootDirectory(name);
        // The search stops at a folder it cannot list; converting the part found would pass for the whole tree.
        if (!search.Search())
            throw TError(FormatTemplate("Cannot read the folder \"%s\": %s",
                { search.FailedFolder(), SystemReason(search.FailedErrorNumber()) }));
    }
    return files;
}

} // namespace qvc
