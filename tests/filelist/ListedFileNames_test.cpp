// Which names are one row: the same bytes, or another letter case of the same existing file.
#include "common/AsciiCase.h"
#include "filelist/FileList.h"
#include "filelist/ListedFileNames.h"

#include "TempFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using qvc::TListedFileNames;

namespace {

class ListedFileNames : public TTempFolderTest
{
protected:
    void SetUp() override
    {
        TTempFolderTest::SetUp();
        for (const char *file : { "Unit1.pas", "UNIT1.pas", "Hard.pas", "Alias.pas", "src/Form.pas", "Later.pas",
                 "A\xC3\xA7\xC3\xA3o.pas" }) {
            fs::create_directories(fs::path(Path(file)).parent_path());
            std::ofstream(Path(file)) << "unit\r\n";
        }
        fs::create_hard_link(Path("Hard.pas"), Path("HARD.pas"));
        fs::create_hard_link(Path("Unit1.pas"), Path("Other.pas"));
        fs::create_hard_link(Path("A\xC3\xA7\xC3\xA3o.pas"), Path("A\xC3\x87\xC3\x83O.PAS")); // "Ação", "AÇÃO"
        fs::create_symlink(Path("Alias.pas"), Path("ALIAS.PAS"));
        fs::create_directory_symlink(Path("src"), Path("SRC"));
    }

    std::vector<std::string> Paths(const std::vector<std::string> &names) const
    {
        std::vector<std::string> paths;
        paths.reserve(names.size());
        for (const std::string &name : names)
            paths.push_back(Path(name));
        return paths;
    }
};

struct TListedCase
{
    const char *name;
    std::vector<std::string> added;
    std::vector<std::string> listed;
};

TEST_F(ListedFileNames, OneRowPerFileNotPerLetterCase)
{
    const TListedCase cases[] = {
        { "SameBytes", { "Unit1.pas", "Unit1.pas" }, { "Unit1.pas" } },
        { "TwoFilesInOneFolder", { "Unit1.pas", "UNIT1.pas", "unit1.PAS" }, { "Unit1.pas", "UNIT1.pas", "unit1.PAS" } },
        { "HardLinkInOtherCase", { "Hard.pas", "HARD.pas" }, { "Hard.pas" } },
        { "LinkInOtherCase", { "ALIAS.PAS", "Alias.pas" }, { "ALIAS.PAS" } },
        { "LinkedFolderInOtherCase", { "src/Form.pas", "SRC/Form.pas" }, { "src/Form.pas" } },
        { "MissingThenExisting", { "LATER.pas", "Later.pas" }, { "LATER.pas", "Later.pas" } },
        { "ExistingThenMissing", { "Later.pas", "LATER.pas" }, { "Later.pas", "LATER.pas" } },
        { "NeitherExists", { "Gone.pas", "GONE.pas" }, { "Gone.pas", "GONE.pas" } },
        // The same file under a name that is not another letter case of it is another row.
        { "OtherNameOfOneFile", { "Unit1.pas", "Other.pas" }, { "Unit1.pas", "Other.pas" } },
        { "LettersBeyondAscii", { "A\xC3\xA7\xC3\xA3o.pas", "A\xC3\x87\xC3\x83O.PAS" }, { "A\xC3\xA7\xC3\xA3o.pas" } },
    };
    for (const TListedCase &c : cases) {
        TListedFileNames listed;
        for (const std::string &name : Paths(c.added))
            listed.Add(name);
        EXPECT_EQ(listed.Names(), Paths(c.listed)) << c.name;
        for (const std::string &name : Paths(c.added))
            EXPECT_TRUE(listed.Contains(name)) << c.name << ": " << name;
    }
}

TEST_F(ListedFileNames, RemovingANameLeavesTheOtherSpellingListed)
{
    TListedFileNames listed;
    ASSERT_TRUE(listed.Add(Path("Unit1.pas")));
    ASSERT_TRUE(listed.Add(Path("UNIT1.pas")));
    EXPECT_TRUE(listed.Remove(Path("UNIT1.pas")));
    EXPECT_EQ(listed.Names(), Paths({ "Unit1.pas" }));
    EXPECT_FALSE(listed.Contains(Path("UNIT1.pas")));
    EXPECT_FALSE(listed.Remove(Path("UNIT1.pas")));
    EXPECT_FALSE(listed.Remove(Path("unit1.pas"))) << "only the very name is removed";
    EXPECT_TRUE(listed.Add(Path("UNIT1.pas")));

    // Removing one spelling of a file frees the file for any spelling.
    ASSERT_TRUE(listed.Add(Path("Hard.pas")));
    EXPECT_FALSE(listed.Add(Path("HARD.pas")));
    EXPECT_TRUE(listed.Remove(Path("Hard.pas")));
    EXPECT_TRUE(listed.Add(Path("HARD.pas")));
    EXPECT_EQ(listed.Names(), Paths({ "Unit1.pas", "UNIT1.pas", "HARD.pas" }));
}

TEST_F(ListedFileNames, TheListsFoldingPicksTheNamesCompared)
{
    // Hard links of one file under three names; this list folds only ASCII letters and the Windows-1252
    // "Ç" (0xC7) to "ç" (0xE7).
    std::ofstream(Path("A\xE7\xE3o.pas")) << "unit\r\n";
    fs::create_hard_link(Path("A\xE7\xE3o.pas"), Path("A\xC7\xE3O.PAS"));
    fs::create_hard_link(Path("A\xE7\xE3o.pas"), Path("A\xC7\xC3O.PAS"));
    qvc::TListLocale locale = qvc::TListLocale::Ascii();
    locale.FoldCase = [](std::string_view text) {
        std::string key = qvc::AsciiLower(text);
        for (char &c : key)
            if (c == '\xC7')
                c = '\xE7';
        return key;
    };
    qvc::TResultStore store;
    qvc::TFileList list(store, locale);
    EXPECT_TRUE(list.AddFileToList(Path("A\xE7\xE3o.pas")));
    EXPECT_FALSE(list.AddFileToList(Path("A\xC7\xE3O.PAS")));
    EXPECT_TRUE(list.AddFileToList(Path("A\xC7\xC3O.PAS"))) << "0xC3 is not folded by this locale";
}

TEST_F(ListedFileNames, RemovedRowForgetsItsOwnName)
{
    qvc::TResultStore store;
    qvc::TFileList list(store);
    ASSERT_TRUE(list.AddFileToList(Path("Unit1.pas")));
    ASSERT_TRUE(list.AddFileToList(Path("UNIT1.pas")));
    ASSERT_TRUE(list.AddFileToList(Path("Hard.pas")));
    EXPECT_FALSE(list.AddFileToList(Path("HARD.pas")));
    EXPECT_EQ(list.RemoveRows({ 1 }), 1u);
    EXPECT_EQ(list.ListedFileNames(), Paths({ "Unit1.pas", "Hard.pas" }));
    EXPECT_TRUE(list.IsListed(Path("Unit1.pas")));
    EXPECT_FALSE(list.IsListed(Path("UNIT1.pas")));
    EXPECT_TRUE(list.IsListed(Path("HARD.pas")));
    EXPECT_EQ(list.RemoveRows({ 0 }), 1u);
    EXPECT_EQ(list.ListedFileNames(), Paths({ "Hard.pas" }));
    EXPECT_TRUE(list.AddFileToList(Path("UNIT1.pas")));
    EXPECT_EQ(list.Rows().back().Number, 3u);
}

struct TFoldCase
{
    const char *name;
    std::string a;
    std::string b;
    bool same;
};

TEST(FoldFileNameCase, NamesThatDifferOnlyInCaseShareAKey)
{
    const TFoldCase cases[] = {
        { "Ascii", "/Src/Unit1.PAS", "/src/unit1.pas", true },
        { "AsciiDigitsStay", "Unit1.pas", "Unit2.pas", false },
        { "Latin", "A\xC3\xA7\xC3\xA3o", "A\xC3\x87\xC3\x83O", true }, // Ação, AÇÃO
        { "AccentCounts", "A\xC3\xA7\xC3\xA3o", "Acao", false },
        { "GreekFinalSigma", "\xCE\xA3\xCE\x91\xCE\xA3", "\xCF\x83\xCE\xB1\xCF\x82", true }, // ΣΑΣ, σας
        { "Cyrillic", "\xD0\x94\xD0\x90", "\xD0\xB4\xD0\xB0", true }, // ДА, да
        { "Windows1252BytesStay", "A\xC7\xE3O", "a\xE7\xE3o", false },
        { "CutSequenceStays", "A\xC3", "a\xC3", true },
    };
    for (const TFoldCase &c : cases)
        EXPECT_EQ(qvc::FoldFileNameCase(c.a) == qvc::FoldFileNameCase(c.b), c.same) << c.name;
    EXPECT_EQ(qvc::FoldFileNameCase("A\xC7\xE3O"), "a\xC7\xE3o") << "bytes that are not UTF-8 are kept";
}

} // namespace
