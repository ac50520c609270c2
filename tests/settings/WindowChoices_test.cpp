#include "SystemFaults.h"
#include "TempFolder.h"

#include "common/AsciiCase.h"
#include "common/FileIO.h"
#include "settings/WindowChoices.h"

#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

using qvc::TScope;
using qvc::TWindowChoices;
using namespace std::string_literals;

namespace {

struct TParseCase
{
    const char *name;
    std::string bytes;
    TScope expected;
};

class ParseWindowChoicesTest : public ::testing::TestWithParam<TParseCase>
{
};

TEST_P(ParseWindowChoicesTest, ReadsTheScopeOrKeepsTheDefault)
{
    const auto &c = GetParam();
    EXPECT_EQ(qvc::ParseWindowChoices(c.bytes).Scope, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseWindowChoicesTest,
    ::testing::Values(TParseCase { "Empty", "", TScope::All },
        TParseCase { "AsWritten", "[Window]\r\nScope=code\r\n", TScope::Code },
        TParseCase { "LfLineEnds", "[Window]\nScope=uses\n", TScope::Uses },
        TParseCase { "LoneCrLineEnds", "[Window]\rScope=uses\r", TScope::Uses },
        TParseCase { "NoFinalLineEnd", "[Window]\r\nScope=code", TScope::Code },
        TParseCase { "LetterCaseOfNamesAndValue", "[WINDOW]\r\nscope=Uses\r\n", TScope::Uses },
        TParseCase { "BlanksAround", "  [Window]  \r\n\t Scope =  code \t\r\n", TScope::Code },
        TParseCase {
            "CommentsAndOtherKeys", "; note\r\n[Window]\r\nLater=1\r\n;Scope=uses\r\nScope=code\r\n", TScope::Code },
        TParseCase { "FirstValueCounts", "[Window]\r\nScope=uses\r\nScope=code\r\n", TScope::Uses },
        TParseCase { "KeyOutsideAnySection", "Scope=code\r\n", TScope::All },
        TParseCase { "KeyInAnotherSection", "[Settings]\r\nScope=code\r\n", TScope::All },
        TParseCase { "SectionLeftForAnother", "[Window]\r\n[Other]\r\nScope=code\r\n", TScope::All },
        TParseCase { "UnclosedHeader", "[Window\r\nScope=code\r\n", TScope::All },
        TParseCase { "UnknownValue", "[Window]\r\nScope=everything\r\n", TScope::All },
        TParseCase { "EmptyValue", "[Window]\r\nScope=\r\n", TScope::All },
        TParseCase { "ValueWithNul", "[Window]\r\nScope=co\0de\r\n"s, TScope::All },
        TParseCase { "ValueOfHighBytes",
            "[Window]\r\nScope=c\xf3"
            "de\r\n",
            TScope::All },
        TParseCase { "LoneBracketsAndEquals", "[\r\n]\r\n[]\r\n=\r\n==code\r\n[Window]\r\n=code\r\n", TScope::All },
        TParseCase { "BinaryHeader", "\xff\xfe\0[\0W\0"s, TScope::All }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(WindowChoicesFormat, IsOneSectionWithOneKeyAndReadsBackAsWritten)
{
    EXPECT_EQ(qvc::FormatWindowChoices({ TScope::Code }), "[Window]\r\nScope=code\r\n");
    for (const TScope scope : { TScope::All, TScope::Code, TScope::Uses })
        EXPECT_EQ(qvc::ParseWindowChoices(qvc::FormatWindowChoices({ scope })).Scope, scope) << int(scope);
}

// Whatever bytes a file holds, reading it gives a choice only from a Scope key, and a valid section after a
// damaged beginning is still read.
TEST(WindowChoicesFormat, AnyBytesGiveTheDefaultUnlessAScopeKeySaysOtherwise)
{
    std::mt19937 random(20240521);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 400);
    // Bytes the format gives a meaning to come up more often than chance would have them.
    const std::string meaningful = "[]=;\r\n \tWindowScopecodeuses";
    std::uniform_int_distribution<std::size_t> pick(0, meaningful.size() - 1);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        for (int i = length(random); i > 0; --i)
            bytes += byte(random) < 128 ? meaningful[pick(random)] : static_cast<char>(byte(random));
        if (qvc::AsciiLower(bytes).find("scope") != std::string::npos)
            continue;
        EXPECT_EQ(qvc::ParseWindowChoices(bytes).Scope, TScope::All) << round;
        // The damaged part, ended by a section of another name, followed by the program's own section.
        const std::string repaired = bytes + "\n[Other]\n" + qvc::FormatWindowChoices({ TScope::Uses });
        EXPECT_EQ(qvc::ParseWindowChoices(repaired).Scope, TScope::Uses) << round;
    }
}

TEST(WindowChoicesFileName, FollowsTheSettingsFileNameAndLetterCase)
{
    EXPECT_EQ(qvc::WindowChoicesFileName("/opt/qv/qvConvertFiles.ini"), "/opt/qv/qvConvertFiles.window.ini");
    EXPECT_EQ(qvc::WindowChoicesFileName("/opt/qv/qvconvertfiles.ini"), "/opt/qv/qvconvertfiles.window.ini");
    EXPECT_EQ(qvc::WindowChoicesFileName("/home/u/.config/qvConvertFiles/Tool.INI"),
        "/home/u/.config/qvConvertFiles/Tool.window.ini");
    EXPECT_EQ(qvc::WindowChoicesFileName("/opt/qv/tool"), "/opt/qv/tool.window.ini");
}

class WindowChoicesFileTest : public TTempFolderTest
{
protected:
    void Put(const std::string &name, const std::string &bytes) { qvc::WriteFileReplacing(Path(name), bytes); }
};

TEST_F(WindowChoicesFileTest, ReadGivesTheDefaultsForAnythingButTheProgramsFile)
{
    EXPECT_EQ(qvc::ReadWindowChoices(Path("missing.window.ini")), TWindowChoices {});
    std::filesystem::create_directory(Path("folder.window.ini"));
    EXPECT_EQ(qvc::ReadWindowChoices(Path("folder.window.ini")), TWindowChoices {});
    // A pipe is never opened for reading in a way that waits for a writer.
    ASSERT_EQ(::mkfifo(Path("pipe.window.ini").c_str(), 0600), 0);
    EXPECT_EQ(qvc::ReadWindowChoices(Path("pipe.window.ini")), TWindowChoices {});
    const std::string valid = qvc::FormatWindowChoices({ TScope::Code });
    Put("large.window.ini", valid + std::string(qvc::kWindowChoicesMaxBytes, ';'));
    EXPECT_EQ(qvc::ReadWindowChoices(Path("large.window.ini")), TWindowChoices {});
    Put("valid.window.ini", valid);
    EXPECT_EQ(qvc::ReadWindowChoices(Path("valid.window.ini")).Scope, TScope::Code);
    std::filesystem::create_symlink(Path("valid.window.ini"), Path("link.window.ini"));
    EXPECT_EQ(qvc::ReadWindowChoices(Path("link.window.ini")).Scope, TScope::Code);
}

TEST_F(WindowChoicesFileTest, WriteReplacesTheFileOnlyWhenItsBytesChange)
{
    const std::string path = Path("qv.window.ini");
    qvc::WriteWindowChoices(path, { TScope::Uses });
    EXPECT_EQ(qvc::ReadFileBytes(path), qvc::FormatWindowChoices({ TScope::Uses }));
    const qvc::TFileStamp written = qvc::StampOf(path);
    {
        TFaultScope seam;
        qvc::WriteWindowChoices(path, { TScope::Uses });
        EXPECT_TRUE(seam.Seen().empty()) << "an unchanged file is neither replaced nor its folder synced";
    }
    EXPECT_EQ(qvc::StampOf(path), written);
    // Damaged bytes are replaced by the program's own, even for the default choice.
    Put("qv.window.ini", std::string("\0\0garbage", 9));
    qvc::WriteWindowChoices(path, {});
    EXPECT_EQ(qvc::ReadFileBytes(path), qvc::FormatWindowChoices({}));
}

TEST_F(WindowChoicesFileTest, AFailedOrKilledWriteLeavesTheOldFile)
{
    const std::string path = Path("qv.window.ini");
    const std::string oldBytes = qvc::FormatWindowChoices({ TScope::Code });
    const std::string newBytes = qvc::FormatWindowChoices({ TScope::Uses });
    Put("qv.window.ini", oldBytes);
    int calls = 0;
    {
        TFaultScope count;
        qvc::WriteWindowChoices(path, { TScope::Uses });
        calls = count.Calls();
    }
    ASSERT_GT(calls, 0);
    for (int failAt = 1; failAt <= calls; ++failAt) {
        Put("qv.window.ini", oldBytes);
        TFaultScope fault(failAt, ENOSPC);
        try {
            qvc::WriteWindowChoices(path, { TScope::Uses });
            ADD_FAILURE() << "a failed call " << failAt << " went unnoticed";
        } catch (const qvc::TError &e) {
            EXPECT_TRUE(e.Reason()) << failAt;
        }
        const std::string text = qvc::ReadFileBytes(path);
        // Only a failed sync of the folder after the rename leaves the new bytes in place.
        EXPECT_TRUE(text == oldBytes || (failAt == calls && text == newBytes)) << failAt << ": " << text;
    }
    for (int killAt = 1; killAt <= calls + 1; ++killAt) {
        Put("qv.window.ini", oldBytes);
        const bool killed = RunKilledAt(killAt, [&] { qvc::WriteWindowChoices(path, { TScope::Uses }); });
        const std::string text = qvc::ReadFileBytes(path);
        EXPECT_TRUE(text == oldBytes || text == newBytes) << "kill at " << killAt << ": " << text;
        EXPECT_EQ(killed, killAt <= calls) << killAt;
        if (!killed) {
            EXPECT_EQ(text, newBytes);
        }
    }
}

} // namespace
