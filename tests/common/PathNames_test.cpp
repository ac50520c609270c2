#include "common/PathNames.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct TPathCase
{
    const char *name;
    std::string path;
    std::string folder; // FolderOf
    std::string folderPart; // FolderPart
    std::string namePart; // NamePart
    std::string extension; // FileExtension
    std::string changed; // ChangeExtension(path, ".lfm")
    std::string replaced; // ReplaceExtension(path, ".ini")
};

class PathNamesTest : public ::testing::TestWithParam<TPathCase>
{
};

TEST_P(PathNamesTest, SplitsThePathAtItsLastSlashAndDot)
{
    const TPathCase &c = GetParam();
    EXPECT_EQ(qvc::FolderOf(c.path), c.folder);
    EXPECT_EQ(qvc::FolderPart(c.path), c.folderPart);
    EXPECT_EQ(qvc::NamePart(c.path), c.namePart);
    EXPECT_EQ(qvc::FileExtension(c.path), c.extension);
    EXPECT_EQ(qvc::ChangeExtension(c.path, ".lfm"), c.changed);
    EXPECT_EQ(qvc::ReplaceExtension(c.path, ".ini"), c.replaced);
}

INSTANTIATE_TEST_SUITE_P(Cases, PathNamesTest,
    ::testing::Values(TPathCase { "Nested", "/src/ui/Main.dfm", "/src/ui", "/src/ui/", "Main.dfm", ".dfm",
                          "/src/ui/Main.lfm", "/src/ui/Main.ini" },
        TPathCase { "BareName", "Main.pas", ".", "", "Main.pas", ".pas", "Main.lfm", "Main.ini" },
        TPathCase { "InTheRoot", "/Main.pas", "/", "/", "Main.pas", ".pas", "/Main.lfm", "/Main.ini" },
        TPathCase { "NoExtension", "/usr/bin/qvConvertFiles", "/usr/bin", "/usr/bin/", "qvConvertFiles", "",
            "/usr/bin/qvConvertFiles.lfm", "/usr/bin/qvConvertFiles.ini" },
        TPathCase { "DotInTheFolderOnly", "/a.b/exe", "/a.b", "/a.b/", "exe", "", "/a.b/exe.lfm", "/a.b/exe.ini" },
        TPathCase { "LastDotCounts", "Unit.old.pas", ".", "", "Unit.old.pas", ".pas", "Unit.old.lfm", "Unit.old.ini" },
        TPathCase { "HiddenName", "/home/u/.profile", "/home/u", "/home/u/", ".profile", ".profile", "/home/u/.lfm",
            "/home/u/.profile.ini" },
        TPathCase { "EndsInASlash", "src/", "src", "src/", "", "", "src/.lfm", "src/.ini" }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
