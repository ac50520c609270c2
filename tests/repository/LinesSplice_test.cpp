#include "repository/LinesSplice.h"

#include <gtest/gtest.h>
#include <stdexcept>

using qvc::TLinesSplice;

namespace {

using TLines = std::vector<std::string>;

struct TDiffCase
{
    const char *name;
    TLines before;
    TLines after;
    TLinesSplice splice;
};

class DiffLinesTest : public ::testing::TestWithParam<TDiffCase>
{
};

TEST_P(DiffLinesTest, GivesTheSmallestSpliceAndItGoesBothWays)
{
    const auto &c = GetParam();
    const TLinesSplice splice = qvc::DiffLines(c.before, c.after);
    EXPECT_EQ(splice.Row, c.splice.Row);
    EXPECT_EQ(splice.Old, c.splice.Old);
    EXPECT_EQ(splice.New, c.splice.New);
    TLines lines = c.before;
    qvc::ApplySplice(lines, splice, false);
    EXPECT_EQ(lines, c.after);
    qvc::ApplySplice(lines, splice, true);
    EXPECT_EQ(lines, c.before);
}

INSTANTIATE_TEST_SUITE_P(Cases, DiffLinesTest,
    ::testing::Values(TDiffCase { "Equal", { "a=1", "b=2" }, { "a=1", "b=2" }, { 2, {}, {} } },
        TDiffCase { "BothEmpty", {}, {}, { 0, {}, {} } },
        TDiffCase { "FirstLineOfAnEmptyList", {}, { "q=" }, { 0, {}, { "q=" } } },
        TDiffCase { "OneCellEdited", { "a=1", "b=2", "c=3" }, { "a=1", "b=x", "c=3" }, { 1, { "b=2" }, { "b=x" } } },
        TDiffCase { "RowInserted", { "a=1", "b=2" }, { "a=1", "=", "b=2" }, { 1, {}, { "=" } } },
        TDiffCase { "RowAppended", { "a=1" }, { "a=1", "=" }, { 1, {}, { "=" } } },
        TDiffCase { "FirstRowDeleted", { "a=1", "b=2" }, { "b=2" }, { 0, { "a=1" }, {} } },
        TDiffCase { "LastRowDeleted", { "a=1", "b=2" }, { "a=1" }, { 1, { "b=2" }, {} } },
        // Of two equal rows the later one is named: the lists are the same either way.
        TDiffCase { "OneOfTwoEqualRows", { "a=1", "=", "=" }, { "a=1", "=" }, { 2, { "=" }, {} } },
        TDiffCase { "EmptyRowReplacedByPastedRows", { "a=1", "", "b=2" }, { "a=1", "x=y", "z=w", "b=2" },
            { 1, { "" }, { "x=y", "z=w" } } },
        TDiffCase { "EverythingReplaced", { "a=1" }, { "b=2", "c=3" }, { 0, { "a=1" }, { "b=2", "c=3" } } }),
    [](const auto &info) { return std::string(info.param.name); });

struct TChainCase
{
    const char *name;
    TLinesSplice first;
    TLinesSplice next;
    bool chained;
    TLinesSplice result;
};

class ChainSplicesTest : public ::testing::TestWithParam<TChainCase>
{
};

TEST_P(ChainSplicesTest, JoinsOnlyWhatFollowsOnTheSameLines)
{
    const auto &c = GetParam();
    const std::optional<TLinesSplice> joined = qvc::ChainSplices(c.first, c.next);
    ASSERT_EQ(joined.has_value(), c.chained);
    if (!joined)
        return;
    EXPECT_EQ(joined->Row, c.result.Row);
    EXPECT_EQ(joined->Old, c.result.Old);
    EXPECT_EQ(joined->New, c.result.New);
    EXPECT_EQ(joined->Empty(), c.result.Old == c.result.New);
}

INSTANTIATE_TEST_SUITE_P(Cases, ChainSplicesTest,
    ::testing::Values(TChainCase { "TypingInOneCell", { 1, { "b=2" }, { "b=2x" } }, { 1, { "b=2x" }, { "b=2xy" } },
                          true, { 1, { "b=2" }, { "b=2xy" } } },
        TChainCase { "TypedBackToTheStart", { 1, { "b=2" }, { "b=2x" } }, { 1, { "b=2x" }, { "b=2" } }, true,
            { 1, { "b=2" }, { "b=2" } } },
        TChainCase { "InsertedRowDropped", { 3, {}, { "=" } }, { 3, { "=" }, {} }, true, { 3, {}, {} } },
        TChainCase { "FirstLineTypedThenEscaped", { 0, {}, { "q=" } }, { 0, { "q=" }, {} }, true, { 0, {}, {} } },
        TChainCase { "OtherRow", { 1, {}, { "=" } }, { 2, { "c=3" }, {} }, false, {} },
        TChainCase { "OtherLines", { 1, { "b=2" }, { "b=x" } }, { 1, { "b=2" }, { "b=y" } }, false, {} },
        TChainCase { "PartOfAPaste", { 1, {}, { "x=y", "z=w" } }, { 1, { "x=y" }, {} }, false, {} }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ApplySplice, RefusesLinesThatAreNotTheSplicesAndChangesNothing)
{
    const TLines lines { "a=1", "b=2" };
    const std::vector<TLinesSplice> wrong {
        { 1, { "x=9" }, {} }, // other text at that row
        { 2, { "c=3" }, {} }, // past the end
        { 1, { "b=2", "c=3" }, {} }, // runs past the end
        { 3, {}, { "=" } }, // starts past the end
    };
    for (const TLinesSplice &splice : wrong) {
        TLines changed = lines;
        EXPECT_THROW(qvc::ApplySplice(changed, splice, false), std::out_of_range) << splice.Row;
        EXPECT_EQ(changed, lines);
    }
    // Undone, the New lines are the ones that must stand there.
    TLines changed = lines;
    EXPECT_THROW(qvc::ApplySplice(changed, { 0, { "a=1" }, { "z=0" } }, true), std::out_of_range);
    EXPECT_EQ(changed, lines);
}

} // namespace
