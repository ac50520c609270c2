#include "settings/SettingsLocation.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct TLocationCase
{
    const char *name;
    std::string executable;
    std::set<std::string> existing;
    qvc::TSettingsEnvironment environment;
    std::string expected;
};

class SettingsLocationTest : public ::testing::TestWithParam<TLocationCase>
{
};

TEST_P(SettingsLocationTest, ChoosesBesideOrTheConfigurationFolder)
{
    const TLocationCase &c = GetParam();
    std::set<std::string> asked;
    const auto exists = [&](const std::string &path) {
        asked.insert(path);
        return c.existing.contains(path);
    };
    EXPECT_EQ(qvc::SettingsBasePath(c.executable, exists, c.environment), c.expected);
    // Only files beside the executable decide; nothing in the configuration folder is looked at.
    const std::string folder = c.executable.substr(0, c.executable.rfind('/') + 1);
    for (const std::string &path : asked)
        EXPECT_EQ(path.rfind(folder, 0), 0u) << "asked about " << path;
}

const qvc::TSettingsEnvironment kHomeOnly { "", "/home/ana" };
const qvc::TSettingsEnvironment kXdg { "/home/ana/cfg", "/home/ana" };

INSTANTIATE_TEST_SUITE_P(Table, SettingsLocationTest,
    ::testing::Values(TLocationCase { "PortableCopyStaysBeside", "/home/ana/qvc/qvConvertFiles", {}, kXdg,
                          "/home/ana/qvc/qvConvertFiles" },
        TLocationCase { "OptIsNotUsr", "/opt/qvc/qvConvertFiles", {}, kHomeOnly, "/opt/qvc/qvConvertFiles" },
        TLocationCase { "UsrLookalikeIsNotUsr", "/usrlocal/qvConvertFiles", {}, kHomeOnly, "/usrlocal/qvConvertFiles" },
        TLocationCase { "InstalledUsesXdgConfigHome", "/usr/bin/qvConvertFiles", {}, kXdg,
            "/home/ana/cfg/qvConvertFiles/qvConvertFiles" },
        TLocationCase { "InstalledWithoutXdgUsesDotConfig", "/usr/bin/qvConvertFiles", {}, kHomeOnly,
            "/home/ana/.config/qvConvertFiles/qvConvertFiles" },
        TLocationCase { "RelativeXdgIsIgnored", "/usr/bin/qvConvertFiles", {}, { "cfg", "/home/ana/" },
            "/home/ana/.config/qvConvertFiles/qvConvertFiles" },
        TLocationCase { "TrailingSlashesDropped", "/usr/bin/qvConvertFiles", {}, { "/home/ana/cfg//", "" },
            "/home/ana/cfg/qvConvertFiles/qvConvertFiles" },
        TLocationCase { "UsrLocalIsUnderUsr", "/usr/local/bin/qvConvertFiles", {}, kXdg,
            "/home/ana/cfg/qvConvertFiles/qvConvertFiles" },
        TLocationCase { "FileBesideInstalledWins", "/usr/bin/qvConvertFiles", { "/usr/bin/qvConvertFiles.ini" }, kXdg,
            "/usr/bin/qvConvertFiles" },
        TLocationCase { "LowerCasedFileBesideWins", "/usr/bin/qvConvertFiles", { "/usr/bin/qvconvertfiles.ini" }, kXdg,
            "/usr/bin/qvConvertFiles" },
        TLocationCase { "OtherFileBesideDoesNotCount", "/usr/bin/qvConvertFiles", { "/usr/bin/qvConvertFiles.dat" },
            kXdg, "/home/ana/cfg/qvConvertFiles/qvConvertFiles" },
        TLocationCase {
            "NoHomeAtAllStaysBeside", "/usr/bin/qvConvertFiles", {}, { "", "" }, "/usr/bin/qvConvertFiles" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SettingsLocation, FolderIsWhatPrecedesTheName)
{
    EXPECT_EQ(
        qvc::SettingsFolder("/home/ana/.config/qvConvertFiles/qvConvertFiles"), "/home/ana/.config/qvConvertFiles");
    EXPECT_EQ(qvc::SettingsFolder("qvConvertFiles"), "");
}

} // namespace
