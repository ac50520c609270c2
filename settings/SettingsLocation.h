#pragma once
// Where the settings file and the default repository live: beside the executable for a portable copy, in the
// user's configuration folder for a program installed under /usr, which its users cannot write.
#include <functional>
#include <string>

namespace qvc {

/// The environment values the choice reads (empty when unset).
struct TSettingsEnvironment
{
    std::string XdgConfigHome; ///< $XDG_CONFIG_HOME
    std::string Home; ///< $HOME
};

/// The path whose extension is replaced by ".ini" for the settings file and by ".dat" for the default repository:
/// the executable path itself when a settings file beside it exists (`exists` is asked for its name as written and
/// lower-cased) or when the executable is not under /usr; otherwise the executable's file name in
/// $XDG_CONFIG_HOME/qvConvertFiles (an unset or relative $XDG_CONFIG_HOME means $HOME/.config). Without a usable
/// $HOME either, the executable path. Pure: touches no file but through `exists`.
std::string SettingsBasePath(const std::string &executablePath,
    const std::function<bool(const std::string &path)> &exists, const TSettingsEnvironment &environment);

/// The folder of a path made by SettingsBasePath (everything before its last "/"), empty when it has none.
std::string SettingsFolder(const std::string &basePath);

} // namespace qvc
