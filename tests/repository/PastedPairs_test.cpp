#include "repository/PastedPairs.h"

#include <gtest/gtest.h>

using qvc::TPasteRefusal;

namespace {

using TLines = std::vector<std::string>;

struct TRefused
{
    std::size_t line;
    std::string text;
    TPasteRefusal reason;
};

struct TPasteCase
{
    const char *name;
    std::string text;
    TLines lines;
    std::vector<TRefused> refused;
};

class PastedPairsTest : public ::testing::TestWithParam<TPasteCase>
{
};

TEST_P(PastedPairsTest, ReadsEachLineAsTheRepositoryFileDoes)
{
    const auto &c = GetParam();
    const qvc::TPastedPairs pasted = qvc::ReadPastedPairs(c.text);
    EXPECT_EQ(pasted.Lines, c.lines);
    ASSERT_EQ(pasted.Refused.size(), c.refused.size());
    for (std::size_t i = 0; i < c.refused.size(); ++i) {
        EXPECT_EQ(pasted.Refused[i].Line, c.refused[i].line) << i;
        EXPECT_EQ(pasted.Refused[i].Text, c.refused[i].text) << i;
        EXPECT_EQ(pasted.Refused[i].Reason, c.refused[i].reason) << i;
    }
}

const std::string kMarker1 = "<|changefilename=1|>";

INSTANTIATE_TEST_SUITE_P(Cases, PastedPairsTest,
    ::testing::Values(TPasteCase { "Empty", "", {}, {} },
        TPasteCase { "OnePair", "TForm=TFormX", { "TForm=TFormX" }, {} },
        TPasteCase { "CrLf", "a=1\r\nb=2\r\nc=3", { "a=1", "b=2", "c=3" }, {} },
        TPasteCase { "LoneLfAndLoneCr", "a=1\nb=2\rc=3\n", { "a=1", "b=2", "c=3" }, {} },
        TPasteCase { "TrailingEmptyLine", "a=1\r\nb=2\r\n\r\n", { "a=1", "b=2" }, {} },
        TPasteCase { "BlankLinesAndEmptyRowsSkipped", "\r\na=1\r\n  \t\r\n=\r\nb=2", { "a=1", "b=2" }, {} },
        // The find text ends at the first "=": the rest, "=" included, is the replace text.
        TPasteCase { "EqualsAfterTheFirst", "a=b=c\r\nx==y", { "a=b=c", "x==y" }, {} },
        TPasteCase { "BlanksAndCaseStay", " Uses = QForms \r\nTFORM=tform", { " Uses = QForms ", "TFORM=tform" }, {} },
        TPasteCase { "LineWithoutEquals", "a=1\r\nQt uses\r\nb=2", { "a=1", "b=2" },
            { { 2, "Qt uses", TPasteRefusal::NoFindText } } },
        TPasteCase { "EmptyOrBlankFindText", "=abc\r\n \t=x\r\nc=", { "c=" },
            { { 1, "=abc", TPasteRefusal::NoFindText }, { 2, " \t=x", TPasteRefusal::NoFindText } } },
        TPasteCase { "RenameMarker", "a=1\r\n" + kMarker1 + "\r\n<|ChangeFileName=7|>",
            { "a=1", "<|ChangeFileName=7|>" }, { { 2, kMarker1, TPasteRefusal::RenameMarker } } },
        // Line numbers count the skipped lines too, so they name the line where the user sees it.
        TPasteCase {
            "NumbersCountEveryLine", "\r\n\r\nabc\r\nd=e", { "d=e" }, { { 3, "abc", TPasteRefusal::NoFindText } } },
        TPasteCase { "NulEndsTheText", std::string("a=1\r\nb=2\0c=3\r\n", 13), { "a=1", "b=2" }, {} },
        TPasteCase { "EightBitBytesStay", "Utilit\xE1rio=\xE7\xE3o", { "Utilit\xE1rio=\xE7\xE3o" }, {} }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
