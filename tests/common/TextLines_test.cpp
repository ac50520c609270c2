#include "common/TextLines.h"

#include <gtest/gtest.h>

using qvc::JoinLinesCrLf;
using qvc::SplitLines;

struct TSplitCase
{
    const char *name;
    std::string text;
    std::vector<std::string> lines;
};

class SplitLinesTest : public ::testing::TestWithParam<TSplitCase>
{
};

TEST_P(SplitLinesTest, SplitsAtEveryKindOfBreak)
{
    EXPECT_EQ(SplitLines(GetParam().text), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitLinesTest,
    ::testing::Values(TSplitCase { "Empty", "", {} }, TSplitCase { "NoBreak", "abc", { "abc" } },
        TSplitCase { "FinalCrLfAddsNoLine", "a\r\nb\r\n", { "a", "b" } },
        TSplitCase { "LoneCrAndLf", "a\rb\nc", { "a", "b", "c" } },
        TSplitCase { "LfCrIsTwoBreaks", "a\n\rb", { "a", "", "b" } },
        TSplitCase { "EmptyLinesStay", "\r\n\r\nx", { "", "", "x" } }, TSplitCase { "OnlyBreak", "\n", { "" } },
        TSplitCase { "BytesKept", std::string("\xE7\0z", 3), { std::string("\xE7\0z", 3) } }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(JoinLinesCrLf, EndsEveryLineWithCrLf)
{
    EXPECT_EQ(JoinLinesCrLf({ "a", "", "b" }), "a\r\n\r\nb\r\n");
    EXPECT_EQ(JoinLinesCrLf({}), "");
}
