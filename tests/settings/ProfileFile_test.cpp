#include "SystemFaults.h"
#include "TempFolder.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "settings/ProfileFile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using qvc::TProfileFile;

namespace {

struct TReadCase
{
    const char *name;
    std::string file;
    std::string section;
    std::string key;
    std::string defaultValue;
    std::string expected;
};

class ProfileReadTest : public ::testing::TestWithParam<TReadCase>
{
};

TEST_P(ProfileReadTest, ReadsAsTheProfileFunctionsDo)
{
    const auto &c = GetParam();
    EXPECT_EQ(TProfileFile::FromBytes(c.file).ReadString(c.section, c.key, c.defaultValue), c.expected);
}

const std::string kLong(3000, 'v');

INSTANTIATE_TEST_SUITE_P(Cases, ProfileReadTest,
    ::testing::Values(TReadCase { "Plain", "[Settings]\r\nMask=*.pas\r\n", "Settings", "Mask", "d", "*.pas" },
        TReadCase { "NamesIgnoreLetterCase", "[sETTINGS]\r\nmASK=x\r\n", "Settings", "Mask", "d", "x" },
        TReadCase {
            "BlanksAroundNamesAndValue", "  [ Settings ]  \n  Mask \t=  a  b \t\n", "Settings", "Mask", "", "a  b" },
        TReadCase { "DoubleQuotesDropped", "[S]\nk= \" a \" \n", "S", "k", "", " a " },
        TReadCase { "SingleQuotesDropped", "[S]\nk='a'\n", "S", "k", "", "a" },
        TReadCase { "OnlyOnePairDropped", "[S]\nk=\"\"a\"\"\n", "S", "k", "", "\"a\"" },
        TReadCase { "MismatchedQuotesStay", "[S]\nk='a\"\n", "S", "k", "", "'a\"" },
        TReadCase { "LoneQuoteStays", "[S]\nk=\"\n", "S", "k", "", "\"" },
        TReadCase {
            "InnerQuotesStay", "[S]\nk=Efetuar um \"&BACKUP\" antes\n", "S", "k", "", "Efetuar um \"&BACKUP\" antes" },
        TReadCase { "ValueMayHoldEquals", "[S]\nk=|a=b\n", "S", "k", "", "|a=b" },
        TReadCase { "EmptyValueIsNoDefault", "[S]\nk=\n", "S", "k", "d", "" },
        TReadCase {
            "MissingKeyDefaultLosesTrailingBlanks", "[S]\nk=v\n", "S", "other", "  Vers\xE3o : ", "  Vers\xE3o :" },
        TReadCase { "MissingSection", "[T]\nk=v\n", "S", "k", "d", "d" },
        TReadCase { "MissingFile", "", "S", "k", "d", "d" },
        TReadCase { "FirstOfTwoKeysCounts", "[S]\nk=1\nK=2\n", "S", "k", "", "1" },
        TReadCase { "FirstOfTwoSectionsCounts", "[S]\na=1\n[T]\nk=t\n[s]\nk=2\n", "S", "k", "d", "d" },
        TReadCase { "KeyOfAnotherSectionIsNotSeen", "[T]\nk=t\n[S]\n", "S", "k", "d", "d" },
        TReadCase { "CommentIsNoKey", "[S]\n;k=c\n", "S", "k", "d", "d" },
        TReadCase { "KeyBeforeAnySectionIsNoKey", "k=0\n[S]\n", "S", "k", "d", "d" },
        TReadCase { "LoneCrAndLfBreakLines", "[S]\ra=1\nk=2\r", "S", "k", "", "2" },
        TReadCase { "EightBitBytesKept",
            "[Captions]\r\nOutlookBar=Op\xE7\xF5"
            "es\r\n",
            "Captions", "OutlookBar", "",
            "Op\xE7\xF5"
            "es" },
        TReadCase { "NulEndsTheValue", std::string("[S]\nk=ab\0cd\n", 12), "S", "k", "", "ab" },
        TReadCase { "LongValueCutTo2047", "[S]\nk=" + kLong + "\n", "S", "k", "", kLong.substr(0, 2047) },
        TReadCase { "LongDefaultCutTo2047", "", "S", "k", kLong, kLong.substr(0, 2047) }),
    [](const auto &info) { return std::string(info.param.name); });

struct TIntegerCase
{
    const char *name;
    std::string value;
    int expected; // with the default 42
};

class ProfileIntegerTest : public ::testing::TestWithParam<TIntegerCase>
{
};

TEST_P(ProfileIntegerTest, ReadsDecimalOrHexadecimalElseTheDefault)
{
    const auto &c = GetParam();
    const auto profile = TProfileFile::FromBytes("[S]\nk=" + c.value + "\n");
    EXPECT_EQ(profile.ReadInteger("S", "k", 42), c.expected);
    EXPECT_EQ(profile.ReadBool("S", "k", true), c.expected != 0);
    EXPECT_EQ(profile.ReadBool("S", "k", false), c.expected == 42 ? false : c.expected != 0)
        << "a value that is no number gives the default";
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileIntegerTest,
    ::testing::Values(TIntegerCase { "One", "1", 1 }, TIntegerCase { "Zero", "0", 0 },
        TIntegerCase { "Negative", "-3", -3 }, TIntegerCase { "Plus", "+4", 4 },
        TIntegerCase { "BlanksDropped", "  7 ", 7 }, TIntegerCase { "Hex", "0x10", 16 },
        TIntegerCase { "HexUpper", "0X1f", 31 }, TIntegerCase { "HexZero", "0x0", 0 },
        TIntegerCase { "HexAllBits", "0xFFFFFFFF", -1 }, TIntegerCase { "Quoted", "\"1\"", 1 },
        TIntegerCase { "Text", "true", 42 }, TIntegerCase { "Empty", "", 42 },
        TIntegerCase { "HexPrefixOnly", "0x", 42 }, TIntegerCase { "TrailingLetters", "12a", 42 },
        TIntegerCase { "InnerBlank", "1 2", 42 }, TIntegerCase { "TooLarge", "2147483648", 42 },
        TIntegerCase { "SmallestInteger", "-2147483648", INT32_MIN }, TIntegerCase { "HexTooLarge", "0x100000000", 42 },
        TIntegerCase { "DollarHexIsNoNumber", "$10", 42 }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ProfileRead, MissingIntegerGivesTheDefault)
{
    const auto profile = TProfileFile::FromBytes("[S]\n");
    EXPECT_EQ(profile.ReadInteger("S", "k", -5), -5);
    EXPECT_TRUE(profile.ReadBool("S", "k", true));
    EXPECT_FALSE(profile.ReadBool("S", "k", false));
}

struct TWriteCase
{
    const char *name;
    std::string before;
    std::string section;
    std::string key;
    std::string value;
    std::string after;
};

class ProfileWriteTest : public ::testing::TestWithParam<TWriteCase>
{
};

TEST_P(ProfileWriteTest, ReplacesInPlaceOrAppendsAndKeepsEveryOtherByte)
{
    const auto &c = GetParam();
    auto profile = TProfileFile::FromBytes(c.before);
    profile.WriteString(c.section, c.key, c.value);
    EXPECT_EQ(profile.Bytes(), c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileWriteTest,
    ::testing::Values(
        TWriteCase { "EmptyFileGetsTheSection", "", "Settings", "Path", "/src", "[Settings]\r\nPath=/src\r\n" },
        TWriteCase { "ReplacesWhereItStands", "; note\n[Settings]\r\nPath = old \r\nMask=m\n[Captions]\r\n", "Settings",
            "Path", "new", "; note\n[Settings]\r\nPath =new\r\nMask=m\n[Captions]\r\n" },
        TWriteCase {
            "NamesIgnoreLetterCase", "[settings]\r\npath=x\r\n", "Settings", "Path", "y", "[settings]\r\npath=y\r\n" },
        TWriteCase { "FirstOfTwoKeysIsReplaced", "[S]\nk=1\nk=2\n", "S", "K", "3", "[S]\nk=3\nk=2\n" },
        TWriteCase { "AppendsBeforeBlankLinesThatPartSections", "[Settings]\r\nPath=p\r\n\r\n[Hints]\r\nx=1\r\n",
            "Settings", "Mask", "m", "[Settings]\r\nPath=p\r\nMask=m\r\n\r\n[Hints]\r\nx=1\r\n" },
        TWriteCase { "AppendsAfterAHeaderAlone", "[Hints]\r\n\r\n", "Hints", "k", "v", "[Hints]\r\nk=v\r\n\r\n" },
        TWriteCase {
            "AppendsAfterALastLineWithoutBreak", "[Hints]\r\nx=1", "Hints", "y", "2", "[Hints]\r\nx=1\r\ny=2\r\n" },
        TWriteCase { "NewSectionGoesAtTheEnd", "[Settings]\r\nPath=p", "Captions", "Form", "f",
            "[Settings]\r\nPath=p\r\n[Captions]\r\nForm=f\r\n" },
        TWriteCase { "LineBreaksInTheValueBecomeBlanks", "[S]\r\n", "S", "k", "a\r\nb", "[S]\r\nk=a  b\r\n" },
        TWriteCase { "ValueKeptAsGiven", "", "Captions", "ChangeFileName", " Trocar ",
            "[Captions]\r\nChangeFileName= Trocar \r\n" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ProfileWrite, RefusesNamesNoLineCanHold)
{
    TProfileFile profile;
    for (const char *key : { "", "a=b", " a", "[a", ";a", "a\nb" })
        EXPECT_THROW(profile.WriteString("S", key, "v"), std::invalid_argument) << key;
    for (const char *section : { "", "a]b", " S" })
        EXPECT_THROW(profile.WriteString(section, "k", "v"), std::invalid_argument) << section;
    EXPECT_EQ(profile.Bytes(), "");
}

TEST(ProfileWrite, UntouchedFileStaysByteForByte)
{
    const std::string odd = std::string("\xEF\xBB\xBF;x\r\n[S\n=v\r\r\n[S]\nk = 'q' \n[S]\nk=2\0z\r\n  ", 41);
    auto profile = TProfileFile::FromBytes(odd);
    EXPECT_EQ(profile.Bytes(), odd);
    profile.WriteString("S", "k", "new");
    EXPECT_EQ(profile.ReadString("S", "k", ""), "new");
}

TEST(ProfileSectionList, GivesKeysInFileOrderWithTheirFirstValues)
{
    const auto profile = TProfileFile::FromBytes("[Captions]\r\nForm=a\r\n;c=x\r\nnot a key\r\n StatusBar = ' b ' "
                                                 "\r\nform=second\r\n[Hints]\r\nk=v\r\n");
    EXPECT_EQ(profile.ReadSectionKeys("captions"), (std::vector<std::string> { "Form", "StatusBar", "form" }));
    using TRows = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(
        profile.ReadSectionRows("Captions"), (TRows { { "Form", "a" }, { "StatusBar", " b " }, { "form", "a" } }));
    EXPECT_TRUE(profile.ReadSectionRows("Missing").empty());
}

TEST(ProfileSectionList, TakesOnlyWholeNamesThatFitTheListBuffer)
{
    // Names of 10 bytes take 11 bytes each; with the closing NUL, 1489 fit in 16384 bytes and the 1490th does not.
    std::string file = "[S]\n";
    for (int i = 0; i < 2000; ++i) {
        const std::string number = std::to_string(1000000000 + i).substr(1);
        file += "K" + number + "=" + std::to_string(i) + "\n";
    }
    const auto keys = TProfileFile::FromBytes(file).ReadSectionKeys("S");
    ASSERT_EQ(keys.size(), 1489u);
    EXPECT_EQ(keys.back(), "K000001488");
}

TEST(ProfileSectionList, WritingRowsGivesARepeatedKeyItsFirstValue)
{
    auto profile = TProfileFile::FromBytes("[Captions]\r\nForm=old\r\n");
    profile.WriteSectionRows("Captions", { { "Form", "first" }, { "New", "n" }, { "FORM", "second" } });
    EXPECT_EQ(profile.Bytes(), "[Captions]\r\nForm=first\r\nNew=n\r\n");
}

class ProfileFileTest : public TTempFolderTest
{
};

TEST_F(ProfileFileTest, BatchOfWritesEqualsKeyByKeyAndWritesOnce)
{
    const std::vector<std::array<std::string, 3>> writes { { "Settings", "Path", "/a" }, { "Captions", "Form", "T" },
        { "Settings", "Mask", "*.pas" }, { "Settings", "PATH", "/b" } };
    for (const auto &w : writes) {
        TProfileFile single(Path("single.ini"));
        single.WriteString(w[0], w[1], w[2]);
        single.Commit();
    }
    TProfileFile batch(Path("batch.ini"));
    EXPECT_FALSE(batch.Existed());
    for (const auto &w : writes)
        batch.WriteString(w[0], w[1], w[2]);
    EXPECT_FALSE(qvc::FileExists(Path("batch.ini"))) << "nothing reaches the disk before Commit";
    batch.Commit();
    EXPECT_EQ(qvc::ReadFileBytes(Path("batch.ini")), qvc::ReadFileBytes(Path("single.ini")));
    EXPECT_EQ(qvc::ReadFileBytes(Path("batch.ini")), "[Settings]\r\nPath=/b\r\nMask=*.pas\r\n[Captions]\r\nForm=T\r\n");
    EXPECT_EQ(TProfileFile(Path("batch.ini")).ReadString("settings", "path", ""), "/b");
}

TEST_F(ProfileFileTest, ProfileWithoutWritesIsNeverWritten)
{
    TProfileFile profile(Path("none.ini"));
    profile.Commit();
    EXPECT_FALSE(std::filesystem::exists(Path("none.ini")));
}

struct TUnwritableCase
{
    const char *name;
    const char *target;
    std::errc reason; // the system's reason the failure keeps beside its message
};

class UnwritableProfileTest : public TTempFolderTest, public ::testing::WithParamInterface<TUnwritableCase>
{
};

TEST_P(UnwritableProfileTest, ReadsDefaultsAndRefusesToWriteWithTheFileName)
{
    std::filesystem::create_directories(m_dir / "folder.ini");
    qvc::WriteFileReplacing(Path("file.ini"), "[Settings]\r\nMask=kept\r\n");
    ASSERT_EQ(::mkfifo(Path("pipe.ini").c_str(), 0600), 0);
    const std::string path = Path(GetParam().target);
    TProfileFile profile(path);
    EXPECT_EQ(profile.ReadString("Settings", "Mask", "*.pas"), "*.pas");
    profile.WriteString("Settings", "Mask", "x");
    try {
        profile.Commit();
        FAIL() << "the commit should have failed";
    } catch (const qvc::TError &e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
        EXPECT_EQ(e.Path(), path);
        EXPECT_EQ(e.Reason(), GetParam().reason) << e.Reason().message();
    }
    EXPECT_TRUE(profile.Modified());
    EXPECT_EQ(qvc::ReadFileBytes(Path("file.ini")), "[Settings]\r\nMask=kept\r\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, UnwritableProfileTest,
    ::testing::Values(TUnwritableCase { "MissingFolder", "missing/qv.ini", std::errc::no_such_file_or_directory },
        TUnwritableCase { "AFolder", "folder.ini", std::errc::is_a_directory },
        TUnwritableCase { "APipe", "pipe.ini", std::errc::invalid_argument },
        TUnwritableCase { "BelowAFile", "file.ini/qv.ini", std::errc::not_a_directory }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ProfileFileTest, AFailedWriteKeepsTheSystemsReason)
{
    qvc::WriteFileReplacing(Path("qv.ini"), "[Settings]\r\nMask=kept\r\n");
    TProfileFile profile(Path("qv.ini"));
    EXPECT_FALSE(profile.ReadReason());
    profile.WriteString("Settings", "Mask", "x");
    TFaultScope fault(1, EACCES, qvc::TSysCall::Create);
    try {
        profile.Commit();
        FAIL() << "the commit should have failed";
    } catch (const qvc::TError &e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + Path("qv.ini"));
        EXPECT_EQ(e.Reason(), std::errc::permission_denied) << e.Reason().message();
    }
    EXPECT_EQ(qvc::ReadFileBytes(Path("qv.ini")), "[Settings]\r\nMask=kept\r\n");
}

} // namespace
