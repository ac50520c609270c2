#include "TempFolder.h"

#include "common/FileIO.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

using qvc::TProfileFile;

namespace {

class SettingsFileTest : public TTempFolderTest
{
};

TEST_F(SettingsFileTest, NameIsTheExecutableWithIniAndKeepsItsLetterCase)
{
    EXPECT_EQ(qvc::SettingsFileName(Path("QvConvertFiles")), Path("QvConvertFiles.ini"));
    EXPECT_EQ(qvc::SettingsFileName(Path("Tool.exe")), Path("Tool.ini"));
    // Another file that only the lower-cased name reaches is not taken.
    qvc::WriteFileReplacing(Path("qvconvertfiles.ini"), "");
    EXPECT_EQ(qvc::SettingsFileName(Path("QvConvertFiles")), Path("QvConvertFiles.ini"));
    // The same file under both names (as on a file system that ignores case) takes the lower-cased name.
    std::filesystem::create_hard_link(Path("qvconvertfiles.ini"), Path("QvConvertFiles.ini"));
    EXPECT_EQ(qvc::SettingsFileName(Path("QvConvertFiles")), Path("qvconvertfiles.ini"));
}

struct TValuesCase
{
    const char *name;
    std::string file;
    bool simulateDefault;
    qvc::TSettingsValues expected;
};

class SettingsValuesTest : public ::testing::TestWithParam<TValuesCase>
{
};

TEST_P(SettingsValuesTest, ReadsWithTheDefaultsOfTheTable)
{
    const auto &c = GetParam();
    const auto values = qvc::ReadSettingsValues(TProfileFile::FromBytes(c.file), c.simulateDefault);
    EXPECT_EQ(values.Path, c.expected.Path);
    EXPECT_EQ(values.Mask, c.expected.Mask);
    EXPECT_EQ(values.DATFile, c.expected.DATFile);
    EXPECT_EQ(values.BackupFiles, c.expected.BackupFiles);
    EXPECT_EQ(values.SimulateFiles, c.expected.SimulateFiles);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsValuesTest,
    ::testing::Values(TValuesCase { "NoFile", "", true, { "", "*.pas;*.dfm;*.xfm;*.dpr;*.dpk", "", false, true } },
        TValuesCase { "AllSet",
            "[Settings]\r\nPath=/src\r\nMask=*.pas\r\nDATFile=/r/u.dat\r\nBackupFiles=1\r\nSimulateFiles=0x0\r\n", true,
            { "/src", "*.pas", "/r/u.dat", true, false } },
        TValuesCase { "NoNumbersGiveDefaults", "[Settings]\r\nBackupFiles=yes\r\nSimulateFiles=no\r\n", false,
            { "", "*.pas;*.dfm;*.xfm;*.dpr;*.dpk", "", false, false } },
        TValuesCase {
            "EmptyMaskStaysEmpty", "[Settings]\r\nMask=\r\nBackupFiles=-1\r\n", false, { "", "", "", true, false } }),
    [](const auto &info) { return std::string(info.param.name); });

struct TCaptionCase
{
    const char *name;
    std::string file;
    std::string key;
    std::string current;
    std::string expected;
};

class ReadCaptionTest : public ::testing::TestWithParam<TCaptionCase>
{
};

TEST_P(ReadCaptionTest, AppliesTheSpecialCases)
{
    const auto &c = GetParam();
    EXPECT_EQ(qvc::ReadCaption(TProfileFile::FromBytes(c.file), c.key, c.current), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadCaptionTest,
    ::testing::Values(TCaptionCase { "MissingKeyKeepsTheCurrentText", "[Captions]\r\n", "OutlookBar", "Now", "Now" },
        TCaptionCase { "MissingFormGivesItsInitialText", "[Captions]\r\n", "Form", "Now",
            "Utilit\xE1rio para converter arquivos DELPHI e KYLIX." },
        TCaptionCase {
            "MissingStatusBarLosesItsTrailingBlank", "[Captions]\r\nForm=T\r\n", "StatusBar", "Now", "Vers\xE3o :" },
        TCaptionCase { "ChangeFileNameGetsOneBlankEachSide", "[Captions]\r\nChangeFileName=\"   Trocar  \"\r\n",
            "ChangeFileName", "", " Trocar " },
        TCaptionCase { "MissingChangeFileNameKeepsItsBlanks", "", "ChangeFileName", "  Trocar  ", " Trocar " },
        TCaptionCase {
            "ValueLosesItsBlanks", "[Captions]\r\nEditMasks= &Filtrar : \r\n", "EditMasks", "x", "&Filtrar :" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, FirstStartFileComesBackOnTheNextStart)
{
    const std::string name = qvc::SettingsFileName(Path("QvConvertFiles"));
    {
        TProfileFile profile(name);
        EXPECT_FALSE(profile.Existed());
        qvc::WriteSettings(
            profile, qvc::TSettingsValues {},
            [](std::string_view key) { return std::string(qvc::InitialCaption(key)); },
            [](std::string_view key) { return std::string(qvc::InitialHint(key)); });
        profile.Commit();
    }
    const TProfileFile profile(name);
    ASSERT_TRUE(profile.Existed());
    // A caption or hint read back with a default that differs everywhere from the file shows what the file holds.
    for (const auto key : qvc::kCaptionReadOrder) {
        const auto initial = std::string(qvc::InitialCaption(key));
        if (key == "ButtonOk")
            EXPECT_EQ(qvc::ReadCaption(profile, key, "&Ok"), "&Ok") << "never written: the current text stays";
        else if (key == "ChangeFileName")
            EXPECT_EQ(qvc::ReadCaption(profile, key, "-"), initial);
        else
            EXPECT_EQ(qvc::ReadCaption(profile, key, "-"), initial.substr(0, initial.find_last_not_of(' ') + 1)) << key;
    }
    EXPECT_EQ(qvc::ReadHint(profile, "LabeledEditFileMask", "current"), "current");
    EXPECT_EQ(qvc::ReadHint(profile, "ViewResult", "current"), "|Lista dos itens convertidos...");
}

TEST_F(SettingsFileTest, DamagedFileReadsAsDefaults)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919) % 251);
    qvc::WriteFileReplacing(Path("qv.ini"), garbage);
    const TProfileFile profile(Path("qv.ini"));
    const auto values = qvc::ReadSettingsValues(profile, true);
    EXPECT_EQ(values.Mask, "*.pas;*.dfm;*.xfm;*.dpr;*.dpk");
    EXPECT_TRUE(values.SimulateFiles);
    EXPECT_EQ(qvc::ReadCaption(profile, "OutlookBar", "Op"), "Op");
}

} // namespace
