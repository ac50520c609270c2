#include "repository/PairView.h"
#include "repository/RepositoryFile.h"

#include <gtest/gtest.h>

using qvc::ParseRepositoryBytes;

namespace {

using TLines = std::vector<std::string>;

struct TReadCase
{
    const char *name;
    std::string bytes;
    int initialMode;
    TLines lines;
    int renameMode;
};

class ReadFormTest : public ::testing::TestWithParam<TReadCase>
{
};

TEST_P(ReadFormTest, GivesTheLinesAndTheRenameMode)
{
    const auto &c = GetParam();
    const auto content = ParseRepositoryBytes(c.bytes, qvc::TRenameMode(c.initialMode));
    EXPECT_EQ(content.Lines, c.lines);
    EXPECT_EQ(content.RenameMode, qvc::TRenameMode(c.renameMode));
}

const std::string kMarker0 = "<|ChangeFileName=0|>";
const std::string kMarker1 = "<|ChangeFileName=1|>";
const std::string kMarker2 = "<|ChangeFileName=2|>";

INSTANTIATE_TEST_SUITE_P(Cases, ReadFormTest,
    ::testing::Values(TReadCase { "EmptyFile", "", 2, {}, 2 }, TReadCase { "OnlyAMarker", kMarker0 + "\r\n", 2, {}, 0 },
        TReadCase { "CrLf", "a=b\r\nc=d\r\n", 2, { "a=b", "c=d" }, 2 },
        TReadCase { "LoneLf", "a=b\nc=d\n", 2, { "a=b", "c=d" }, 2 },
        TReadCase { "LoneCrAndNoFinalBreak", "a=b\rc=d", 2, { "a=b", "c=d" }, 2 },
        TReadCase { "EmptyLinesStay", "a\r\n\r\n=\r\n\n", 2, { "a", "", "=", "" }, 2 },
        TReadCase { "NulEndsTheText", std::string("a=b\r\nc\0d\r\n", 10) + kMarker1, 2, { "a=b", "c" }, 2 },
        TReadCase { "NulFirst", std::string("\0a=b", 4), 1, {}, 1 },
        TReadCase { "LowerCaseMarkerOnFifthLine", "1=a\r\n2=b\r\n3=c\r\n4=d\r\n<|changefilename=1|>\r\n6=f\r\n", 2,
            { "1=a", "2=b", "3=c", "4=d", "6=f" }, 1 },
        TReadCase { "UpperCaseMarkerLast", "x=y\n<|CHANGEFILENAME=0|>", 2, { "x=y" }, 0 },
        TReadCase { "SmallerNumberWinsWhereverItStands", kMarker2 + "\r\nx=y\r\n" + kMarker0 + "\r\n", 1,
            { kMarker2, "x=y" }, 0 },
        TReadCase { "OnlyTheFirstOfTwoEqualMarkersGoes", kMarker1 + "\n" + kMarker1 + "\n", 2, { kMarker1 }, 1 },
        // The Lazarus marker is read only when no marker of 0 to 2 stands in the file.
        TReadCase { "LazarusMarker", "a=b\r\n<|ChangeFileName=3|>\r\n", 2, { "a=b" }, 3 },
        TReadCase { "LazarusMarkerAfterTheOthers", "<|ChangeFileName=3|>\r\n" + kMarker1 + "\r\n", 2,
            { "<|ChangeFileName=3|>" }, 1 },
        TReadCase { "DigitSevenIsAPair", "<|ChangeFileName=7|>\r\na=b\r\n", 1, { "<|ChangeFileName=7|>", "a=b" }, 1 },
        TReadCase { "LeadingBlankIsAPair", " " + kMarker0 + "\r\n", 1, { " " + kMarker0 }, 1 },
        TReadCase { "TrailingBlankIsAPair", kMarker0 + " \r\n", 2, { kMarker0 + " " }, 2 },
        TReadCase { "TwoDigitsIsAPair", "<|ChangeFileName=00|>\r\n", 2, { "<|ChangeFileName=00|>" }, 2 },
        TReadCase { "LinesWithoutEqualsStay", "abc\r\na=b=c\r\n", 0, { "abc", "a=b=c" }, 0 },
        TReadCase { "EightBitBytesStay", "Utilit\xE1rio=\xE7\xE3o\r\n", 2, { "Utilit\xE1rio=\xE7\xE3o" }, 2 }),
    [](const auto &info) { return std::string(info.param.name); });

struct TPairCase
{
    const char *name;
    std::string line;
    std::string find;
    std::string replace;
};

class PairViewTest : public ::testing::TestWithParam<TPairCase>
{
};

TEST_P(PairViewTest, SplitsAtTheFirstEquals)
{
    const auto &c = GetParam();
    EXPECT_EQ(qvc::PairFind(c.line), c.find);
    EXPECT_EQ(qvc::PairReplace(c.line), c.replace);
}

INSTANTIATE_TEST_SUITE_P(Cases, PairViewTest,
    ::testing::Values(TPairCase { "ReplaceMayHoldEquals", "a=b=c", "a", "b=c" },
        TPairCase { "NoEqualsIsAllReplace", "abc", "", "abc" }, TPairCase { "EmptyFind", "=x", "", "x" },
        TPairCase { "EmptyReplace", "x=", "x", "" }, TPairCase { "EmptyLine", "", "", "" },
        TPairCase { "MarkerWithOtherDigit", "<|ChangeFileName=7|>", "<|ChangeFileName", "7|>" },
        TPairCase { "BlanksAndCaseKept", " A b = C ", " A b ", " C " }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(WrittenForm, IsTheFortyByteExample)
{
    const std::string bytes = qvc::RepositoryFileBytes({ "abc=xyz", "a b=c=d" }, qvc::TRenameMode::DelphiToKylix);
    EXPECT_EQ(bytes, "<|ChangeFileName=0|>\r\nabc=xyz\r\na b=c=d\r\n");
    EXPECT_EQ(bytes.size(), 40u);
}

TEST(WrittenForm, KeepsEmptyRowsAndLinesWithoutEqualsAsStored)
{
    EXPECT_EQ(qvc::RepositoryFileBytes({ "", "=", "abc" }, qvc::TRenameMode::None),
        "<|ChangeFileName=2|>\r\n\r\n=\r\nabc\r\n");
    EXPECT_EQ(qvc::RepositoryFileBytes({}, qvc::TRenameMode::KylixToDelphi), "<|ChangeFileName=1|>\r\n");
    EXPECT_EQ(
        qvc::RepositoryFileBytes({ "a=b" }, qvc::TRenameMode::DelphiToLazarus), "<|ChangeFileName=3|>\r\na=b\r\n");
}

TEST(WrittenForm, ReadsBackAsTheSameLinesAndMode)
{
    const TLines lines { "Forms=QForms", "", "abc" };
    for (const qvc::TRenameMode mode : qvc::kRenameModes) {
        const auto content = ParseRepositoryBytes(qvc::RepositoryFileBytes(lines, mode), qvc::TRenameMode::None);
        EXPECT_EQ(content.RenameMode, mode);
        EXPECT_EQ(content.Lines, lines);
    }
    // A line holding a smaller marker is the one read back: the written one then stays as a pair.
    const auto content
        = ParseRepositoryBytes(qvc::RepositoryFileBytes({ "<|ChangeFileName=2|>" }, qvc::TRenameMode::DelphiToLazarus),
            qvc::TRenameMode::None);
    EXPECT_EQ(content.RenameMode, qvc::TRenameMode::None);
    EXPECT_EQ(content.Lines, TLines { "<|ChangeFileName=3|>" });
}

// What the read form takes silently and a user should hear of: each case with the findings it gives, in order.
using TKind = qvc::TRepositoryFinding::TKind;

struct TFindingCase
{
    const char *name;
    std::string bytes;
    std::vector<qvc::TRepositoryFinding> findings;
};

class RepositoryFindingsTest : public ::testing::TestWithParam<TFindingCase>
{
};

TEST_P(RepositoryFindingsTest, NamesWhatTheReadFormTakesSilently)
{
    const auto found = qvc::RepositoryFindings(GetParam().bytes);
    ASSERT_EQ(found.size(), GetParam().findings.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].Kind, GetParam().findings[i].Kind) << i;
        EXPECT_EQ(found[i].Line, GetParam().findings[i].Line) << i;
        EXPECT_EQ(found[i].Text, GetParam().findings[i].Text) << i;
    }
}

const qvc::TRepositoryFinding kEmpty { TKind::EmptyFile, 0, {} };
const qvc::TRepositoryFinding kNoPair { TKind::NoPair, 0, {} };

qvc::TRepositoryFinding OutOfRange(std::size_t line, std::string text)
{
    return { TKind::MarkerOutOfRange, line, std::move(text) };
}

INSTANTIATE_TEST_SUITE_P(Cases, RepositoryFindingsTest,
    ::testing::Values(TFindingCase { "PairsAndAMarker", kMarker0 + "\r\nForms=QForms\r\n", {} },
        TFindingCase { "PairsWithoutAMarker", "Forms=QForms\r\n", {} }, TFindingCase { "EmptyFile", "", { kEmpty } },
        TFindingCase { "NulFirstIsEmpty", std::string("\0a=b\r\n", 6), { kEmpty } },
        TFindingCase { "OnlyAMarker", kMarker1 + "\r\n", { kNoPair } },
        TFindingCase { "OnlyALineEnd", "\r\n", { kNoPair } },
        TFindingCase { "EmptyRowsAndBlankFinds", "=\r\n\r\n \t=x\r\nabc\r\n=Forms\r\n", { kNoPair } },
        TFindingCase { "PairAfterANul", std::string("=x\r\n\0a=b\r\n", 10), { kNoPair } },
        TFindingCase { "OneUsableFindIsEnough", "=\r\n x =y\r\n", {} },
        TFindingCase { "DigitSeven", "<|ChangeFileName=7|>\r\na=b\r\n", { OutOfRange(1, "<|ChangeFileName=7|>") } },
        TFindingCase { "AnyCaseTwoDigitsAndSigns",
            "a=b\n<|changefilename=00|>\n<|CHANGEFILENAME=12|>\n<|ChangeFileName=-1|>\n<|ChangeFileName=+2|>\n",
            { OutOfRange(2, "<|changefilename=00|>"), OutOfRange(3, "<|CHANGEFILENAME=12|>"),
                OutOfRange(4, "<|ChangeFileName=-1|>"), OutOfRange(5, "<|ChangeFileName=+2|>") } },
        TFindingCase {
            "MarkerOutOfRangeAloneIsStillAPair", "<|ChangeFileName=4|>", { OutOfRange(1, "<|ChangeFileName=4|>") } },
        TFindingCase { "LazarusMarkerAloneIsAMarker", "<|ChangeFileName=3|>", { kNoPair } },
        TFindingCase { "OnlyAMarkerAndOneOutOfRange", kMarker2 + "\r\n<|ChangeFileName=9|>\r\n",
            { OutOfRange(2, "<|ChangeFileName=9|>") } },
        TFindingCase { "MarkerLeftAsAPairIsNoFinding", kMarker2 + "\r\n" + kMarker0 + "\r\n", {} },
        TFindingCase { "NotMarkerShaped",
            "<|ChangeFileName=|>\r\n<|ChangeFileName=x|>\r\n <|ChangeFileName=7|>\r\n<|ChangeFileName=7|> \r\n"
            "<|ChangeFileName=7|\r\n",
            {} }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
