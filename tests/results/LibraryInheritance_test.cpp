#include "results/LibraryInheritance.h"

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
    ::testing::Values(TRoutineCase { "LTrimEmpty", [] { return LTrimStr(""); }, "" },
        TRoutineCase { "LTrimBlanksAndTabs", [] { return LTrimStr(" \t x \t"); }, "x \t" },
        TRoutineCase { "LTrimKeepsOtherControls", [] { return LTrimStr("\r\n x"); }, "\r\n x" },
        TRoutineCase { "LTrimOnlyBlanks", [] { return LTrimStr(" \t "); }, "" },
        TRoutineCase { "RTrimEmpty", [] { return RTrimStr(""); }, "" },
        TRoutineCase { "RTrimBlanksAndTabs", [] { return RTrimStr("\t x \t "); }, "\t x" },
        TRoutineCase { "RTrimKeepsNbsp", [] { return RTrimStr("x\xA0"); }, "x\xA0" },
        TRoutineCase { "AllTrimText", [] { return AllTrimStr("\t a b \t"); }, "a b" },
        TRoutineCase { "AllTrimNumber", [] { return AllTrimStr(-12); }, "-12" },
        TRoutineCase { "ReplicateNone", [] { return ReplicateStr('-', 0); }, "" },
        TRoutineCase { "ReplicateThree", [] { return ReplicateStr('-', 3); }, "---" },
        TRoutineCase { "ReplicateMax", [] { return std::to_string(ReplicateStr('x', 65535).size()); }, "65535" },
        TRoutineCase { "FillCuts", [] { return FillStr("abcdef", 3); }, "abc" },
        TRoutineCase { "FillPadsWithBlanks", [] { return FillStr("ab", 4); }, "ab  " },
        TRoutineCase { "FillZero", [] { return FillStr("ab", 0); }, "" },
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
        TRoutineCase { "PadCenterZeroWidth", [] { return PadCenterStr("ab", 0, '*'); }, "" },
        TRoutineCase { "IIfTrue", [] { return IIf<std::string>(true, "a", "b"); }, "a" },
        TRoutineCase { "IIfFalse", [] { return IIf<std::string>(false, "a", "b"); }, "b" }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
