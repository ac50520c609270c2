#include "common/Cp1252.h"
#include "common/Errors.h"
#include "common/FileIO.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

class FileIOTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path()
            / ("qvc-fileio-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(m_dir);
    }
    std::string Path(const std::string &name) const { return (m_dir / name).string(); }
    fs::path m_dir;
};

TEST_F(FileIOTest, ReplacesContentAndLeavesNoTemporaryFile)
{
    qvc::WriteFileReplacing(Path("a.txt"), "old");
    qvc::WriteFileReplacing(Path("a.txt"), std::string("new\0bytes", 9));
    EXPECT_EQ(qvc::ReadFileBytes(Path("a.txt")), std::string("new\0bytes", 9));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

TEST_F(FileIOTest, KeepsPermissionBitsOfTheReplacedFile)
{
    qvc::WriteFileReplacing(Path("a.sh"), "x");
    fs::permissions(Path("a.sh"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::owner_exec);
    qvc::WriteFileReplacing(Path("a.sh"), "y");
    EXPECT_TRUE((fs::status(Path("a.sh")).permissions() & fs::perms::owner_exec) != fs::perms::none);
}

TEST_F(FileIOTest, FailedWriteKeepsTheOldFileAndSaysWhy)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    qvc::WriteFileReplacing(Path("a.txt"), "precious");
    fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec);
    try {
        qvc::WriteFileReplacing(Path("a.txt"), "lost?");
        FAIL() << "the write should have failed";
    } catch (const qvc::TError &e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + Path("a.txt") + "\". ", 0), 0u) << e.what();
    }
    EXPECT_EQ(qvc::ReadFileBytes(Path("a.txt")), "precious");
}

TEST_F(FileIOTest, ReadingAMissingFileNamesItAndTheReason)
{
    try {
        qvc::ReadFileBytes(Path("missing"));
        FAIL();
    } catch (const qvc::TError &e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + Path("missing") + "\". No such file or directory");
    }
}

TEST_F(FileIOTest, OneBufferServesFilesOfEverySize)
{
    std::string buffer;
    const std::string big(200000, 'b');
    qvc::WriteFileReplacing(Path("big"), big);
    qvc::WriteFileReplacing(Path("small"), std::string("s\0s", 3));
    qvc::WriteFileReplacing(Path("empty"), "");
    for (const auto &[name, bytes] :
        std::vector<std::pair<std::string, std::string>> { { "small", std::string("s\0s", 3) }, { "big", big },
            { "small", std::string("s\0s", 3) }, { "empty", "" } }) {
        const std::size_t length = qvc::ReadFileInto(Path(name), buffer);
        EXPECT_EQ(buffer.substr(0, length), bytes) << name;
    }
    fs::create_directory(Path("folder"));
    EXPECT_THROW(qvc::ReadFileInto(Path("folder"), buffer), qvc::TError);
}

TEST_F(FileIOTest, ScopeReusesDisplacedFilesWithoutTouchingOtherNames)
{
    fs::create_directories(m_dir / "sub");
    for (const char *name : { "a", "b", "c", "sub/d" })
        qvc::WriteFileReplacing(Path(name), std::string("old ") + name);
    // "c" has a second name: the inode it displaces must never be truncated and reused.
    fs::create_hard_link(Path("c"), Path("c-link"));
    {
        const qvc::TSpareFileScope scope;
        qvc::WriteFileReplacing(Path("a"), "new a, longer than before");
        qvc::WriteFileReplacing(Path("b"), "nb");
        qvc::WriteFileReplacing(Path("c"), "new c");
        qvc::WriteFileReplacing(Path("e"), "new e");
        qvc::WriteFileReplacing(Path("sub/d"), "new d");
    }
    EXPECT_EQ(qvc::ReadFileBytes(Path("a")), "new a, longer than before");
    EXPECT_EQ(qvc::ReadFileBytes(Path("b")), "nb");
    EXPECT_EQ(qvc::ReadFileBytes(Path("c")), "new c");
    EXPECT_EQ(qvc::ReadFileBytes(Path("c-link")), "old c");
    EXPECT_EQ(qvc::ReadFileBytes(Path("e")), "new e");
    EXPECT_EQ(qvc::ReadFileBytes(Path("sub/d")), "new d");
    // Nothing is left behind once the scope ends.
    std::vector<std::string> names;
    for (const auto &entry : fs::recursive_directory_iterator(m_dir))
        names.push_back(fs::relative(entry.path(), m_dir).string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> { "a", "b", "c", "c-link", "e", "sub", "sub/d" }));
}

TEST_F(FileIOTest, ScopeGivesEveryFileExactlyItsTextAndModeAcrossFolders)
{
    // Many replacements of files of many sizes and modes in several folders, so that spares of every
    // size are reused for longer and shorter texts, across block boundaries and across folders.
    const fs::perms modes[]
        = { fs::perms::owner_read | fs::perms::owner_write, fs::perms::owner_all | fs::perms::group_read,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read };
    std::vector<std::string> files;
    for (int i = 0; i < 40; ++i) {
        const std::string folder = "f" + std::to_string(i % 3);
        fs::create_directories(m_dir / folder);
        files.push_back(folder + "/u" + std::to_string(i) + ".pas");
        qvc::WriteFileReplacing(Path(files.back()), std::string(static_cast<std::size_t>(i * 997 % 20000), 'o'));
        fs::permissions(Path(files.back()), modes[i % 3]);
    }
    const auto textOf = [](int i) {
        std::string text(static_cast<std::size_t>((i * 7919) % 17000), 'n');
        text += std::to_string(i);
        return text;
    };
    {
        const qvc::TSpareFileScope scope;
        for (int i = 0; i < 40; ++i)
            qvc::WriteFileReplacing(Path(files[static_cast<std::size_t>(i)]), textOf(i));
    }
    for (int i = 0; i < 40; ++i) {
        const std::string &file = files[static_cast<std::size_t>(i)];
        EXPECT_EQ(qvc::ReadFileBytes(Path(file)), textOf(i)) << file;
        EXPECT_EQ(fs::status(Path(file)).permissions(), modes[i % 3]) << file;
    }
    std::size_t entries = 0;
    for (const auto &entry : fs::recursive_directory_iterator(m_dir))
        entries += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(entries, files.size());
}

TEST_F(FileIOTest, ScopeNeverGivesAFileTheGroupOfAnother)
{
    // A spare of one group must not replace a file of another: "b" would take the group of "a".
    if (::geteuid() != 0)
        GTEST_SKIP() << "changing a file's group to any group needs root";
    const gid_t own = ::getegid();
    const gid_t other = own == 1 ? 2 : 1;
    qvc::WriteFileReplacing(Path("a"), "old a");
    qvc::WriteFileReplacing(Path("b"), "old b");
    ASSERT_EQ(::chown(Path("a").c_str(), static_cast<uid_t>(-1), other), 0);
    {
        const qvc::TSpareFileScope scope;
        qvc::WriteFileReplacing(Path("a"), "new a");
        qvc::WriteFileReplacing(Path("b"), "new b");
    }
    struct stat st
    {
    };
    ASSERT_EQ(::stat(Path("a").c_str(), &st), 0);
    EXPECT_EQ(st.st_gid, own); // a new file of ours, as without a scope
    ASSERT_EQ(::stat(Path("b").c_str(), &st), 0);
    EXPECT_EQ(st.st_gid, own);
    EXPECT_EQ(qvc::ReadFileBytes(Path("b")), "new b");
}

TEST_F(FileIOTest, RenameNeverReplaces)
{
    qvc::WriteFileReplacing(Path("a"), "A");
    qvc::WriteFileReplacing(Path("b"), "B");
    EXPECT_FALSE(qvc::RenameNoReplace(Path("a"), Path("b")));
    EXPECT_EQ(qvc::ReadFileBytes(Path("b")), "B");
    EXPECT_TRUE(qvc::RenameNoReplace(Path("a"), Path("c")));
    EXPECT_FALSE(qvc::FileExists(Path("a")));
    EXPECT_EQ(qvc::ReadFileBytes(Path("c")), "A");
}

TEST(Cp1252, EveryByteSurvivesTheRoundTripThroughUtf8AndUtf16)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(qvc::Utf8ToCp1252(qvc::Cp1252ToUtf8(all)), all);
    EXPECT_EQ(qvc::Utf16ToCp1252(qvc::Cp1252ToUtf16(all)), all);
    EXPECT_EQ(qvc::Cp1252ToUtf8("\x80\x81\xE7"), "\xE2\x82\xAC\xC2\x81\xC3\xA7");
    EXPECT_EQ(qvc::Utf16ToCp1252(u"a\u4E2Db"), "a?b");
    EXPECT_FALSE(qvc::FitsCp1252(u"\u4E2D"));
}
