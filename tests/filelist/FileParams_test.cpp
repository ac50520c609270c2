#include "filelist/FileParams.h"

#include <gtest/gtest.h>

using qvc::TFileParams;
using qvc::WildcardMatch;

struct TMatchCase
{
    const char *name;
    std::string mask;
    std::string text;
    bool matches;
};

class WildcardMatchTest : public ::testing::TestWithParam<TMatchCase>
{
};

TEST_P(WildcardMatchTest, FollowsTheTwoPhaseRule)
{
    EXPECT_EQ(WildcardMatch(GetParam().mask, GetParam().text), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(Cases, WildcardMatchTest,
    ::testing::Values(TMatchCase { "EmptyMask", "", "A", false }, TMatchCase { "EmptyName", "*", "", false },
        TMatchCase { "BothEmpty", "", "", false }, TMatchCase { "Literal", "UNIT1.PAS", "UNIT1.PAS", true },
        TMatchCase { "LiteralShorterName", "UNIT1.PAS", "UNIT1.PA", false },
        TMatchCase { "LiteralLongerName", "UNIT1.PA", "UNIT1.PAS", false },
        TMatchCase { "CaseMatters", "*.PAS", "A.pas", false }, TMatchCase { "StarSuffix", "*.PAS", "UNIT1.PAS", true },
        TMatchCase { "StarNotAtEnd", "*.PAS", "UNIT1.PAS.BAK", false },
        TMatchCase { "QuestionLast", "*.PA?", "A.PAS", true },
        TMatchCase { "StarDotStarNeedsDot", "*.*", "MAKEFILE", false },
        TMatchCase { "StarDotStarWithDot", "*.*", "A.B", true }, TMatchCase { "StarCoversNothing", "A*", "A", true },
        TMatchCase { "LoneStar", "*", "X", true }, TMatchCase { "StarQuestionBRefusesABB", "*?B", "ABB", false },
        TMatchCase { "StarQuestionBTakesAB", "*?B", "AB", true },
        TMatchCase { "StarQuestionBTakesXAB", "*?B", "XAB", true },
        TMatchCase { "StarQuestionBRefusesBBB", "*?B", "BBB", false },
        TMatchCase { "StarQuestionRetriesFromFound", "*?B", "ABAB", true },
        TMatchCase { "RetryFindsLaterOccurrence", "*AB", "AAB", true },
        TMatchCase { "RetryFindsLastSuffix", "*.PAS", "A.PAS.PAS", true },
        TMatchCase { "TwoStars", "*A*B", "XAYB", true }, TMatchCase { "TwoStarsNoSecond", "*A*B", "XAY", false },
        TMatchCase { "DoubleStar", "**.PAS", "A.PAS", true }, TMatchCase { "QuestionNeedsOneByte", "?", "", false },
        TMatchCase { "QuestionTooShort", "A??", "AB", false }, TMatchCase { "StarQuestionTooShort", "*??", "A", false },
        TMatchCase { "LeadingBlankMask", " *.DFM", "A.DFM", false },
        TMatchCase { "LeadingBlankName", " *.DFM", " A.DFM", true },
        TMatchCase { "AccentedBytes", "A\xC7\xC3O.PAS", "A\xC7\xC3O.PAS", true },
        TMatchCase { "AccentedNotFolded", "A\xC7\xC3O.PAS", "A\xE7\xE3O.PAS", false },
        TMatchCase { "WholeDefaultTextMatchesNothing", "*.PAS;*.DFM", "A.PAS", false },
        TMatchCase { "SemicolonIsLiteral", "*.PAS;*.DFM", "A.PAS;B.DFM", true },
        TMatchCase { "NulByte", std::string("A\0*", 3), std::string("A\0BC", 4), true }),
    [](const auto &info) { return std::string(info.param.name); });

struct TMaskTextCase
{
    const char *name;
    std::string text;
    std::vector<std::string> masks;
    std::string readBack;
};

class MaskTextTest : public ::testing::TestWithParam<TMaskTextCase>
{
};

TEST_P(MaskTextTest, SplitsAtEverySemicolonAndReadsBack)
{
    TFileParams params;
    params.SetMaskText(GetParam().text);
    EXPECT_EQ(params.FileMasks(), GetParam().masks);
    EXPECT_EQ(params.MaskText(), GetParam().readBack);
    ASSERT_EQ(params.FoldedMasks().size(), params.FileMasks().size());
}

INSTANTIATE_TEST_SUITE_P(Cases, MaskTextTest,
    ::testing::Values(TMaskTextCase { "Empty", "", {}, "" }, TMaskTextCase { "One", "*.pas", { "*.pas" }, "*.pas" },
        TMaskTextCase { "Default", "*.pas;*.dfm;*.xfm;*.dpr;*.dpk", { "*.pas", "*.dfm", "*.xfm", "*.dpr", "*.dpk" },
            "*.pas;*.dfm;*.xfm;*.dpr;*.dpk" },
        TMaskTextCase { "TrailingSemicolonDropped", "*.pas;*.dfm;", { "*.pas", "*.dfm" }, "*.pas;*.dfm" },
        TMaskTextCase { "LoneSemicolon", ";", { "" }, "" }, TMaskTextCase { "TwoSemicolons", ";;", { "", "" }, ";" },
        TMaskTextCase { "LeadingEmptyEntry", ";*.pas", { "", "*.pas" }, ";*.pas" },
        TMaskTextCase { "InnerEmptyEntry", "*.pas;;*.dfm", { "*.pas", "", "*.dfm" }, "*.pas;;*.dfm" },
        TMaskTextCase { "BlanksKept", "*.pas; *.dfm ", { "*.pas", " *.dfm " }, "*.pas; *.dfm " }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FileParams, StartsWithTheWholeDefaultTextAsOneMask)
{
    TFileParams params;
    ASSERT_EQ(params.FileMasks(), std::vector<std::string> { "*.pas;*.dfm;*.xfm;*.dpr;*.dpk" });
    EXPECT_EQ(params.FoldedMasks(), std::vector<std::string> { "*.PAS;*.DFM;*.XFM;*.DPR;*.DPK" });
    EXPECT_FALSE(params.Matches("unit1.pas"));
}

TEST(FileParams, EmptyMaskTextFallsBackToTheDefault)
{
    TFileParams params;
    for (const char *text : { "", ";" }) {
        params.SetMaskText(text);
        EXPECT_TRUE(params.FallBackToDefaultMask()) << text;
        EXPECT_EQ(params.FileMasks().size(), 5u) << text;
    }
    params.SetMaskText(";;");
    EXPECT_FALSE(params.FallBackToDefaultMask());
    EXPECT_EQ(params.MaskText(), ";");
}

TEST(FileParams, FoldsOnlyAsciiLetters)
{
    TFileParams params;
    params.SetFileMasks({ "a\xE7\xE3o.pas", "*.Dfm" });
    EXPECT_EQ(params.FoldedMasks(), (std::vector<std::string> { "A\xE7\xE3O.PAS", "*.DFM" }));
}

struct TFileTestCase
{
    const char *name;
    std::string maskText;
    std::string fileName;
    bool passes;
};

class FileTestTest : public ::testing::TestWithParam<TFileTestCase>
{
};

TEST_P(FileTestTest, FoldsNameAndTriesEveryMask)
{
    TFileParams params;
    params.SetMaskText(GetParam().maskText);
    EXPECT_EQ(params.Matches(GetParam().fileName), GetParam().passes);
}

INSTANTIATE_TEST_SUITE_P(Cases, FileTestTest,
    ::testing::Values(TFileTestCase { "LowerMaskUpperName", "*.pas", "UNIT1.PAS", true },
        TFileTestCase { "UpperMaskLowerName", "*.PAS", "unit1.pas", true },
        TFileTestCase { "MixedCase", "*.pas", "Unit1.Pas", true },
        TFileTestCase { "SecondMask", "*.pas;*.dfm", "Form1.DFM", true },
        TFileTestCase { "NoMaskFits", "*.pas;*.dfm", "Makefile", false },
        TFileTestCase { "NoMasksPassEverything", "", "Makefile", true },
        TFileTestCase { "EmptyEntryMatchesNothing", "*.pas;;*.dfm", "a.dfm", true },
        TFileTestCase { "OnlyEmptyEntry", ";", "a.pas", false },
        TFileTestCase { "BlankAfterSeparator", "*.pas; *.dfm", "a.dfm", false },
        TFileTestCase { "BlankAfterSeparatorBlankName", "*.pas; *.dfm", " a.dfm", true },
        TFileTestCase { "DotFileName", "*.pas", ".pas", true },
        TFileTestCase { "AccentsNotFolded", "A\xC7\xC3O.PAS", "a\xE7\xE3o.pas", false },
        TFileTestCase { "AccentsSameCase", "A\xC7\xC3O.PAS", "A\xC7\xC3O.pas", true }),
    [](const auto &info) { return std::string(info.param.name); });
