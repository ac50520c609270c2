#include "results/ResultView.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct TFormatCase
{
    const char *name;
    long long value;
    std::string text;
};

class FormatCountTest : public ::testing::TestWithParam<TFormatCase>
{
};

TEST_P(FormatCountTest, GroupsDigitsByThree)
{
    EXPECT_EQ(qvc::FormatCount(GetParam().value, "."), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatCountTest,
    ::testing::Values(TFormatCase { "Zero", 0, "0" }, TFormatCase { "Three", 999, "999" },
        TFormatCase { "Four", 1234, "1.234" }, TFormatCase { "Seven", 1234567, "1.234.567" },
        TFormatCase { "Failed", -1, "-1" }, TFormatCase { "NegativeGrouped", -1234, "-1.234" },
        TFormatCase { "Int32Max", 2147483647, "2.147.483.647" },
        TFormatCase { "Int64Min", LLONG_MIN, "-9.223.372.036.854.775.808" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ResultView, ShowsEachPairsTextsAndCount)
{
    qvc::TConversionResult result;
    result.Record("Form1", "Form2", 3);
    result.Record("A", "B=C", 1234);
    result.Record("NoEquals", "", 1);
    const std::vector<qvc::TResultViewRow> rows = qvc::ResultViewRowsOf(result, "\xA0");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].FoundText, "Form1");
    EXPECT_EQ(rows[0].ReplacedText, "Form2");
    EXPECT_EQ(rows[0].Count, "3");
    EXPECT_EQ(rows[1].FoundText, "A");
    EXPECT_EQ(rows[1].ReplacedText, "B=C");
    EXPECT_EQ(rows[1].Count,
        "1\xA0"
        "234");
    EXPECT_EQ(rows[2].FoundText, "NoEquals");
    EXPECT_EQ(rows[2].ReplacedText, "");
}

struct TOpensCase
{
    const char *name;
    std::optional<long long> count;
    bool opens;
};

class ResultViewOpensTest : public ::testing::TestWithParam<TOpensCase>
{
};

TEST_P(ResultViewOpensTest, OnlyCountsAboveZero)
{
    EXPECT_EQ(qvc::ResultViewOpens(GetParam().count), GetParam().opens);
}

INSTANTIATE_TEST_SUITE_P(Cases, ResultViewOpensTest,
    ::testing::Values(TOpensCase { "NotRun", {}, false }, TOpensCase { "Zero", 0, false },
        TOpensCase { "Failed", -1, false }, TOpensCase { "One", 1, true }, TOpensCase { "Large", 1234, true }),
    [](const auto &info) { return std::string(info.param.name); });

struct TOpensWithMissesCase
{
    const char *name;
    std::optional<long long> count;
    std::size_t missed;
    bool opens;
};

class ResultViewOpensForTest : public ::testing::TestWithParam<TOpensWithMissesCase>
{
};

TEST_P(ResultViewOpensForTest, CountsAboveZeroOrZeroWithMisses)
{
    EXPECT_EQ(qvc::ResultViewOpensFor(GetParam().count, GetParam().missed), GetParam().opens);
}

INSTANTIATE_TEST_SUITE_P(Cases, ResultViewOpensForTest,
    ::testing::Values(TOpensWithMissesCase { "ZeroWithMisses", 0, 2, true },
        TOpensWithMissesCase { "ZeroWithOneMiss", 0, 1, true },
        TOpensWithMissesCase { "ZeroWithoutMisses", 0, 0, false },
        TOpensWithMissesCase { "NotRunWithMisses", {}, 3, false },
        TOpensWithMissesCase { "FailedWithMisses", -1, 3, false },
        TOpensWithMissesCase { "ChangedWithoutMisses", 1234, 0, true }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ResultView, MissedRowsAndCaptions)
{
    const auto rows = qvc::MissedViewRowsOf(
        { { 1234, 7, "Forms", qvc::TMissReason::HoldsReplaceText }, { 2, 1, "A", qvc::TMissReason::SecondOccurrence } },
        ".");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Line, "1.234");
    EXPECT_EQ(rows[0].Find, "Forms");
    EXPECT_EQ(rows[0].Reason, "a linha j\xE1 cont\xE9m o texto de troca");
    EXPECT_EQ(rows[1].Reason, "segunda ocorr\xEAncia na linha");
    EXPECT_EQ(qvc::ChangedLinesCaption(3, 3, "."), "Linhas alteradas: 3");
    EXPECT_EQ(qvc::ChangedLinesCaption(1000, 2345, "."), "Linhas alteradas: 2.345 (mostrando as primeiras 1.000)");
    EXPECT_EQ(qvc::MissedMarkHint(1, "."), "1 ocorr\xEAncia(s) n\xE3o trocada(s)");
}

} // namespace
