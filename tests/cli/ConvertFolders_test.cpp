// "qvconvert convert" with folder arguments: the folder search with its masks, the order found, each file
// once however it is spelt, and the numbers in order.
#include "common/FileIO.h"
#include "filelist/FileParams.h"
#include "filelist/SearchFiles.h"

#include "QvconvertRunner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TRun
{
    int ExitCode = -1;
    std::string Err;
    std::vector<std::string> Numbers; ///< first field of each output line
    std::vector<std::string> Files; ///< last field of each output line
};

class ConvertFolders : public testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "qvc-convert-folders-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        ::setenv("LC_ALL", "C", 1);
        qvc::WriteFileReplacing(Path("r.dat"), "Forms=QForms\r\n");
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    std::string Path(const std::string &name) const { return (m_dir / name).string(); }
    void Write(const std::vector<std::string> &names) const
    {
        for (const std::string &name : names) {
            fs::create_directories(fs::path(Path(name)).parent_path());
            qvc::WriteFileReplacing(Path(name), "uses Forms;\r\n");
        }
    }

    // Runs "qvconvert convert --repository r.dat --simulate ARGS" (without --simulate when `simulate` is
    // false) and splits its lines.
    TRun Convert(const std::vector<std::string> &args, bool simulate = true) const
    {
        std::vector<std::string> all = { "convert", "--repository", Path("r.dat") };
        if (simulate)
            all.emplace_back("--simulate");
        all.insert(all.end(), args.begin(), args.end());
        const TQvconvertRun spawned = RunQvconvert(all, m_dir.string());
        TRun run;
        run.ExitCode = spawned.ExitCode;
        run.Err = spawned.Err;
        const std::string &out = spawned.Out;
        std::size_t start = 0;
        while (start < out.size()) {
            const std::size_t end = out.find('\n', start);
            const std::string line = out.substr(start, end - start);
            run.Numbers.push_back(line.substr(0, line.find('\t')));
            run.Files.push_back(line.substr(line.rfind('\t') + 1));
            start = end == std::string::npos ? out.size() : end + 1;
        }
        return run;
    }

    // What the window's search finds in a folder with these masks, in its order.
    static std::vector<std::string> Found(const std::string &folder, const std::string &masks)
    {
        qvc::TSearchFiles search;
        search.SetRootDirectory(folder);
        search.FileParams().SetMaskText(masks);
        search.FileParams().FallBackToDefaultMask();
        std::vector<std::string> names;
        search.SetOnFindFile([&names](const std::string &name) { names.push_back(name); });
        EXPECT_TRUE(search.Search());
        return names;
    }

    static std::vector<std::string> Counting(std::size_t count)
    {
        std::vector<std::string> numbers;
        for (std::size_t i = 0; i < count; ++i)
            numbers.push_back(std::to_string(i));
        return numbers;
    }

    fs::path m_dir;
};

TEST_F(ConvertFolders, FolderJoinsInSearchOrderWithItsMasks)
{
    Write({ "tree/b.pas", "tree/A.DFM", "tree/notes.txt", "tree/sub/c.dpr", "tree/sub/deep/d.Pas", "tree/.svn/e.pas",
        "tree/z.xfm", "tree/w.dpk", "tree/old.pas.bak" });
    struct TCase
    {
        const char *Name;
        std::vector<std::string> MaskArgs;
        std::string Masks;
    };
    const TCase cases[] = {
        { "default masks", {}, std::string(qvc::kDefaultFileMask) },
        { "one mask", { "--mask", "*.dfm" }, "*.dfm" },
        { "two masks", { "--mask", "*.txt;*.DPR" }, "*.txt;*.DPR" },
        { "empty mask means the default", { "--mask", "" }, "" },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::string> args = c.MaskArgs;
        args.push_back(Path("tree"));
        const TRun run = Convert(args);
        EXPECT_EQ(run.ExitCode, 0) << run.Err;
        const std::vector<std::string> expected = Found(Path("tree"), c.Masks);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(run.Files, expected);
        EXPECT_EQ(run.Numbers, Counting(expected.size()));
    }
    // The default masks leave out what the window's scan leaves out.
    const TRun run = Convert({ Path("tree") });
    EXPECT_EQ(run.Files.size(), 6u);
    for (const std::string &file : run.Files) {
        EXPECT_EQ(file.find(".svn"), std::string::npos) << file;
        EXPECT_EQ(file.find(".bak"), std::string::npos) << file;
    }
}

TEST_F(ConvertFolders, EachFileOnceInTheOrderMet)
{
    Write({ "tree/a.pas", "tree/sub/b.pas", "other/c.pas", "tree2/x.pas" });
    fs::create_directory_symlink(Path("tree"), Path("TREE"));
    fs::create_directory_symlink(Path("other"), Path("Other"));
    qvc::WriteFileReplacing(Path("list.txt"), Path("other/c.pas") + "\n" + Path("tree2") + "\n");
    // A file before its folder keeps its place; the same file named again in another letter case (through
    // links to its folder), or a folder twice (with a trailing "/"), adds nothing; --files-from names come
    // first and may be folders too.
    const TRun run = Convert({ "--files-from", Path("list.txt"), Path("tree/a.pas"), Path("tree"), Path("TREE/a.pas"),
        Path("tree/"), Path("Other/c.pas") });
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    std::vector<std::string> expected = { Path("other/c.pas"), Path("tree2/x.pas"), Path("tree/a.pas") };
    for (const std::string &found : Found(Path("tree"), std::string(qvc::kDefaultFileMask)))
        if (found != Path("tree/a.pas"))
            expected.push_back(found);
    EXPECT_EQ(run.Files, expected);
    EXPECT_EQ(run.Numbers, Counting(expected.size()));
}

TEST_F(ConvertFolders, NamesThatDifferOnlyInCaseAreTwoFiles)
{
    Write({ "case/Unit1.pas", "case/UNIT1.pas" });
    fs::create_directory_symlink(Path("case"), Path("CASE"));
    // The folder search finds both files; each named again, or reached through a link to the folder in
    // another letter case, adds nothing. A name of no file is its own entry whatever its case.
    const TRun run = Convert({ Path("case"), Path("case/UNIT1.pas"), Path("CASE/Unit1.pas"), Path("CASE/UNIT1.pas"),
                                 Path("case/unit1.pas") },
        false);
    EXPECT_EQ(run.ExitCode, 1) << run.Err; // case/unit1.pas cannot be read
    std::vector<std::string> expected = Found(Path("case"), "");
    ASSERT_EQ(expected.size(), 2u);
    expected.push_back(Path("case/unit1.pas"));
    EXPECT_EQ(run.Files, expected);
    EXPECT_EQ(qvc::ReadFileBytes(Path("case/Unit1.pas")), "uses QForms;\r\n");
    EXPECT_EQ(qvc::ReadFileBytes(Path("case/UNIT1.pas")), "uses QForms;\r\n");
}

TEST_F(ConvertFolders, LinkToAFolderIsNotEntered)
{
    Write({ "tree/a.pas", "elsewhere/b.pas" });
    fs::create_directory_symlink(Path("tree"), Path("tree/loop"));
    fs::create_directory_symlink(Path("elsewhere"), Path("tree/link"));
    const TRun run = Convert({ Path("tree") });
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Files, std::vector<std::string> { Path("tree/a.pas") });
}

TEST_F(ConvertFolders, FoldersAreToldFromFilesHoweverNamed)
{
    Write({ "d1/a.pas", "d2/b.pas", "d3.pas/c.pas", "real/e.pas", "f.pas" });
    fs::create_directory_symlink(Path("real"), Path("linkdir"));
    fs::create_symlink(Path("f.pas"), Path("linkfile.pas"));
    // A folder, a folder named with "/.", a file, a link to a folder, a link to a file, a missing name and
    // a folder named like a file: folders (links to them included) are searched, anything else is a file.
    const TRun run = Convert({ Path("d1"), Path("d2") + "/.", Path("f.pas"), Path("linkdir"), Path("linkfile.pas"),
        Path("none.pas"), Path("d3.pas") });
    EXPECT_EQ(run.ExitCode, 1) << run.Err; // none.pas cannot be read
    std::vector<std::string> expected = Found(Path("d1"), "");
    for (const std::string &found : Found(Path("d2") + "/.", ""))
        expected.push_back(found);
    expected.push_back(Path("f.pas"));
    for (const std::string &found : Found(Path("linkdir"), ""))
        expected.push_back(found);
    expected.push_back(Path("linkfile.pas"));
    expected.push_back(Path("none.pas"));
    for (const std::string &found : Found(Path("d3.pas"), ""))
        expected.push_back(found);
    ASSERT_EQ(expected.size(), 7u);
    EXPECT_EQ(run.Files, expected);
}

TEST_F(ConvertFolders, UnreadableFolderStopsBeforeAnyConversion)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "every folder can be read by root";
    Write({ "tree/a.pas", "tree/locked/b.pas" });
    ASSERT_EQ(::chmod(Path("tree/locked").c_str(), 0), 0);
    const TRun run = Convert({ Path("tree") });
    ::chmod(Path("tree/locked").c_str(), 0700);
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_NE(run.Err.find(Path("tree/locked")), std::string::npos) << run.Err;
    EXPECT_TRUE(run.Files.empty());
}

} // namespace
