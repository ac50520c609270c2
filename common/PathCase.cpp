#include "common/PathCase.h"

#include "common/AsciiCase.h"

#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace qvc {

std::string AbsolutePath(const std::string &path)
{
    if (path.empty())
        return path;
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(std::filesystem::path(path), ec);
    return ec ? path : absolute.string();
}

std::string CaseSafeLowerPath(const std::string &path)
{
    const std::string lower = AsciiLower(path);
    if (lower == path)
        return path;
    struct stat given
    {
    };
    struct stat lowered
    {
    };
    if (::stat(path.c_str(), &given) != 0 || ::stat(lower.c_str(), &lowered) != 0)
        return path;
    return given.st_dev == lowered.st_dev && given.st_ino == lowered.st_ino ? lower : path;
}

} // namespace qvc
