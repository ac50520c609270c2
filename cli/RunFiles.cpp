#include "cli/RunFiles.h"

#include "common/Errors.h"
#include "common/PathNames.h"
#include "filelist/ListedFileNames.h"
#include "filelist/SearchFiles.h"

#include <dirent.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <unordered_map>

namespace qvc {

namespace {

// Tells which names are folders by reading each parent folder's entries once rather than asking about
// every name: a list of thousands of files in a few folders costs a few folder reads instead of
// thousands of path look-ups. What a listing cannot settle (links, entries of unknown type, names
// missing from it, names ending in "/", "." or "..", folders that cannot be listed or are too large to
// be worth it) is asked about name by name, so the answer is always the file system's.
class TFolderTest
{
public:
    bool IsFolder(const std::string &name)
    {
        const std::string parent = FolderOf(name);
        const std::string base(NamePart(name));
        if (base.empty() || base == "." || base == "..")
            return Ask(name);
        const auto &listing = Listing(parent);
        if (!listing)
            return Ask(name);
        const auto entry = listing->find(base);
        if (entry == listing->end() || (entry->second != DT_DIR && entry->second != DT_REG))
            return Ask(name);
        return entry->second == DT_DIR;
    }

private:
    using TEntries = std::unordered_map<std::string, unsigned char>;
    static constexpr std::size_t kMostEntries = 100000;

    static bool Ask(const std::string &name)
    {
        std::error_code error;
        return std::filesystem::is_directory(name, error);
    }

    const std::optional<TEntries> &Listing(const std::string &folder)
    {
        const auto known = m_listings.find(folder);
        if (known != m_listings.end())
            return known->second;
        std::optional<TEntries> entries;
        const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.c_str()), &::closedir);
        if (dir) {
            entries.emplace();
            while (const dirent *entry = ::readdir(dir.get())) {
                if (entries->size() == kMostEntries) {
                    entries.reset();
                    break;
                }
                entries->emplace(entry->d_name, entry->d_type);
            }
        }
        return m_listings.emplace(folder, std::move(entries)).first->second;
    }

    std::unordered_map<std::string, std::optional<TEntries>> m_listings;
};

} // namespace

std::vector<std::string> CollectRunFiles(const std::vector<std::string> &names, std::string_view maskText)
{
    std::vector<std::string> files;
    // The window's rule for names already listed: spellings of one existing file count once.
    TListedFileNames listed;
    const auto add = [&files, &listed](const std::string &name) {
        if (listed.Add(name))
            files.push_back(name);
    };
    TSearchFiles search;
    search.FileParams().SetMaskText(maskText);
    search.FileParams().FallBackToDefaultMask();
    search.SetOnFindFile(add);
    TFolderTest folders;
    for (const std::string &name : names) {
        if (!folders.IsFolder(name)) {
            add(name);
            continue;
        }
        search.SetRootDirectory(name);
        // The search stops at a folder it cannot list; converting the part found would pass for the whole tree.
        if (!search.Search())
            throw TError("Cannot read the folder \"%s\": %s",
                { PathArg(search.FailedFolder()), ReasonArg(search.FailedErrorNumber()) });
    }
    return files;
}

} // namespace qvc
