#include "results/ReportColumns.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct TRoutineCase
{
    const char *name;
    std::function<std::string()> call;
    std::string result;
};

class TextRoutinesTest : public ::testing::TestWithParam<TRoutineCase>
{
};

TEST_P(TextRoutinesTest, GivesTheExpectedText)
{
    EXPECT_EQ(GetParam().call(), GetParam().result);
}

using namespace qvc;

INSTANTIATE_TEST_SUITE_P(Cases, TextRoutinesTest,
    ::testing::Values(
        TRoutineCase { "PadRightTrimsBlanksAndTabs", [] { return PadRightStr(" \t x \t", 3, '*'); }, "x**" },
        TRoutineCase { "PadRightKeepsOtherControls", [] { return PadRightStr("\r\n x", 5, '*'); }, "\r\n x*" },
        TRoutineCase { "PadRightOnlyBlanks", [] { return PadRightStr(" \t ", 2, '*'); }, "**" },
        TRoutineCase { "PadRightKeepsNbsp", [] { return PadRightStr("x\xA0", 3, '*'); }, "x\xA0*" },
        TRoutineCase { "PadRightKeepsInnerBlanks", [] { return PadRightStr("\t a b \t", 4, '*'); }, "a b*" },
        TRoutineCase { "PadRightPads", [] { return PadRightStr(" ab\t", 5, '.'); }, "ab..." },
        TRoutineCase { "PadRightCuts", [] { return PadRightStr("abcdef", 4, ' '); }, "abcd" },
        TRoutineCase { "PadRightCutExposesBlank", [] { return PadRightStr("ab cd", 3, '*'); }, "ab*" },
        TRoutineCase { "PadRightExact", [] { return PadRightStr("abc", 3, '*'); }, "abc" },
        TRoutineCase { "PadRightEmpty", [] { return PadRightStr("", 2, '*'); }, "**" },
        TRoutineCase { "PadRightWiderThanSixteenBits",
            [] { return std::to_string(PadRightStr("a", 70000, ' ').size()); }, "70000" },
        TRoutineCase { "PadCenterEven", [] { return PadCenterStr("ab", 6, '*'); }, "**ab**" },
        TRoutineCase { "PadCenterOddLeavesBlankAtRight", [] { return PadCenterStr("ab", 5, '*'); }, "*ab* " },
        TRoutineCase { "PadCenterTrimsFirst", [] { return PadCenterStr("\t ab ", 4, '*'); }, "*ab*" },
        TRoutineCase { "PadCenterLongerGivesStart", [] { return PadCenterStr("abcdef", 4, '*'); }, "abcd" },
        TRoutineCase { "PadCenterCutKeepsInnerBlank", [] { return PadCenterStr("Nome dos", 5, ' '); }, "Nome " },
        TRoutineCase { "PadCenterEmptyText", [] { return PadCenterStr("", 3, '*'); }, "** " },
        TRoutineCase { "PadCenterZeroWidth", [] { return PadCenterStr("ab", 0, '*'); }, "" }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
