#include "common/PathNames.h"

#include <filesystem>

namespace qvc {

std::string FolderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string_view FolderPart(std::string_view path)
{
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view NamePart(std::string_view path)
{
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FileExtension(std::string_view path)
{
    const std::string_view name = NamePart(path);
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

std::string ChangeExtension(std::string_view path, std::string_view extension)
{
    std::string out(path.substr(0, path.size() - FileExtension(path).size()));
    out += extension;
    return out;
}

std::string ReplaceExtension(const std::string &path, const std::string &extension)
{
    return std::filesystem::path(path).replace_extension(extension).string();
}

} // namespace qvc
