#include "engine/write/FileView.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace qvc {

TFileStamp TFileView::Stamp(const std::string &path) const
{
    return StampOf(path);
}

bool TFileView::Present(const std::string &path) const
{
    struct stat st
    {
    };
    return ::lstat(path.c_str(), &st) == 0;
}

bool TFileView::WritableRegular(const std::string &path) const
{
    struct stat st
    {
    };
    // Like the read-only attribute: a file its owner may not write is left alone.
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) != 0;
}

std::vector<std::string> TFileView::Names(const std::string &folder) const
{
    std::vector<std::string> names;
    if (DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str())) {
        while (const dirent *entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                names.emplace_back(name);
        }
        ::closedir(dir);
    }
    return names;
}

TFileStamp TPlanLayer::Stamp(const std::string &path) const
{
    const auto it = m_present.find(path);
    if (it == m_present.end())
        return m_base.Stamp(path);
    TFileStamp stamp;
    stamp.Exists = it->second;
    return stamp;
}

bool TPlanLayer::Present(const std::string &path) const
{
    const auto it = m_present.find(path);
    return it == m_present.end() ? m_base.Present(path) : it->second;
}

bool TPlanLayer::WritableRegular(const std::string &path) const
{
    const auto it = m_present.find(path);
    return it == m_present.end() ? m_base.WritableRegular(path) : it->second;
}

std::vector<std::string> TPlanLayer::Names(const std::string &folder) const
{
    std::vector<std::string> names = m_base.Names(folder);
    std::string name;
    for (const auto &[path, present] : m_present) {
        if (!NameInFolder(path, folder, name))
            continue;
        const auto it = std::find(names.begin(), names.end(), name);
        if (present && it == names.end())
            names.push_back(name);
        else if (!present && it != names.end())
            names.erase(it);
    }
    return names;
}

std::string FolderWithSlash(const std::string &path)
{
    return path.substr(0, path.size() - NamePart(path).size());
}

bool NameInFolder(const std::string &path, const std::string &folder, std::string &name)
{
    if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0
        || path.find('/', folder.size()) != std::string::npos)
        return false;
    name = path.substr(folder.size());
    return true;
}

} // namespace qvc
