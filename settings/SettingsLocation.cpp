#include "settings/SettingsLocation.h"

#include "common/AsciiCase.h"
#include "common/PathNames.h"

namespace qvc {

namespace {

std::string AsciiLowerName(const std::string &path)
{
    return std::string(FolderPart(path)) + AsciiLower(NamePart(path));
}

bool IsUnderUsr(const std::string &path)
{
    return path.rfind("/usr/", 0) == 0;
}

} // namespace

std::string SettingsBasePath(const std::string &executablePath,
    const std::function<bool(const std::string &path)> &exists, const TSettingsEnvironment &environment)
{
    if (!IsUnderUsr(executablePath))
        return executablePath;
    // A settings file put beside an installed executable on purpose keeps being used.
    const std::string beside = ReplaceExtension(executablePath, ".ini");
    if (exists(beside) || exists(AsciiLowerName(beside)))
        return executablePath;
    std::string config = environment.XdgConfigHome;
    if (config.empty() || config.front() != '/') {
        if (environment.Home.empty() || environment.Home.front() != '/')
            return executablePath;
        config = environment.Home;
        if (config.back() != '/')
            config += '/';
        config += ".config";
    }
    while (!config.empty() && config.back() == '/')
        config.pop_back();
    return config + "/qvConvertFiles/" + std::string(NamePart(executablePath));
}

std::string SettingsFolder(const std::string &basePath)
{
    const std::size_t slash = basePath.rfind('/');
    return slash == std::string::npos ? std::string() : basePath.substr(0, slash);
}

} // namespace qvc
