#include "common/Cp1252.h"
#include "common/Utf8.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct TDecodeCase
{
    const char *name;
    std::string text;
    std::size_t length; // 0: no well-formed sequence at the start
    char32_t code;
};

class DecodeUtf8Test : public ::testing::TestWithParam<TDecodeCase>
{
};

TEST_P(DecodeUtf8Test, TakesOnlyWellFormedSequences)
{
    const auto &c = GetParam();
    char32_t code = 0;
    EXPECT_EQ(qvc::DecodeUtf8(c.text, 0, code), c.length);
    if (c.length > 0) {
        EXPECT_EQ(code, c.code);
        std::string again;
        qvc::AppendUtf8(again, code);
        EXPECT_EQ(again, c.text.substr(0, c.length));
    }
    EXPECT_EQ(qvc::IsValidUtf8(c.text), c.length == c.text.size());
}

INSTANTIATE_TEST_SUITE_P(Cases, DecodeUtf8Test,
    ::testing::Values(TDecodeCase { "Ascii", "a", 1, U'a' }, TDecodeCase { "Nul", std::string(1, '\0'), 1, 0 },
        TDecodeCase { "TwoBytes", "\xC3\xA1", 2, U'\u00E1' },
        TDecodeCase { "ThreeBytes", "\xE2\x82\xAC", 3, U'\u20AC' },
        TDecodeCase { "FourBytes", "\xF0\x9F\x98\x80", 4, U'\U0001F600' },
        TDecodeCase { "LastCodePoint", "\xF4\x8F\xBF\xBF", 4, U'\U0010FFFF' },
        TDecodeCase { "OnlyTheFirstSequenceCounts", "\xC3\xA1\x80", 2, U'\u00E1' },
        TDecodeCase { "OverlongNul", "\xC0\x80", 0, 0 }, TDecodeCase { "OverlongSlash", "\xE0\x80\xAF", 0, 0 },
        TDecodeCase { "Surrogate", "\xED\xA0\x80", 0, 0 },
        TDecodeCase { "AboveTheLastCodePoint", "\xF4\x90\x80\x80", 0, 0 },
        TDecodeCase { "LeadWithoutFollowers", "\xC3", 0, 0 }, TDecodeCase { "CutShort", "\xE2\x82", 0, 0 },
        TDecodeCase { "LoneContinuation", "\x80", 0, 0 }, TDecodeCase { "Cp1252Letter", "\xE1rea", 0, 0 }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Utf8, EveryBadByteBecomesOneReplacementInWindows1252)
{
    EXPECT_EQ(qvc::Utf8ToCp1252("\xC3\x81rea \xE2\x82\xAC"), "\xC1rea \x80");
    EXPECT_EQ(qvc::Utf8ToCp1252("a\xC0\x80z"), "a??z"); // an overlong NUL is no NUL
    EXPECT_EQ(qvc::Utf8ToCp1252("\xED\xA0\x80"), "???");
    EXPECT_EQ(qvc::Utf8ToCp1252("\xF0\x9F\x98\x80!", '_'), "_!"); // a character outside the code page
}

} // namespace
