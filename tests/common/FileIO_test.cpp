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
