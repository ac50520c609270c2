#include "settings/SettingsLocation.h"

#include "common/PathCase.h"

namespace qvc {

namespace {

std::string AsciiLowerName(std::string path)
{
    const std::size_t slash = path.rfind('/');
    for (std::size_t i = slash == std::string::npos ? 0 : slash + 1; i < path.size(); ++i)
        if (path[i] >= 'A' && path[i] <= 'Z')
            path[i] = static_cast<char>(path[i] - 'A' + 'a');
    return path;
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
    const std::size_t slash = executablePath.rfind('/');
    return config + "/qvConvertFiles/" + executablePath.substr(slash + 1);
}

std::string SettingsFolder(const std::string &basePath)
{
    const std::size_t slash = basePath.rfind('/');
    return slash == std::string::npos ? std::string() : basePath.substr(0, slash);
}

} // namespace qvc
