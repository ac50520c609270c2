#include "common/TextLines.h"

#include <gtest/gtest.h>
#include <random>

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

TEST(SplitLines, AgreesWithAPlainSplitOnRandomBreaks)
{
    // Texts dense in CR, LF and CR LF, so that breaks and CR LF pairs fall on every position of the
    // sixteen-byte blocks the splitter reads, their borders included.
    std::mt19937 random(17);
    const char alphabet[] = { '\r', '\n', 'a', '\r', '\n', 'b', '\0', '\xFF' };
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const std::size_t size = random() % 70;
        for (std::size_t k = 0; k < size; ++k)
            text += alphabet[random() % sizeof alphabet];
        std::vector<std::string> expected;
        std::string line;
        bool pending = false;
        for (std::size_t k = 0; k < text.size(); ++k) {
            if (text[k] == '\r' || text[k] == '\n') {
                expected.push_back(line);
                line.clear();
                pending = false;
                if (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n')
                    ++k;
            } else {
                line += text[k];
                pending = true;
            }
        }
        if (pending)
            expected.push_back(line);
        ASSERT_EQ(SplitLines(text), expected) << "round " << round;
        ASSERT_EQ(qvc::IsCrLfText(text), JoinLinesCrLf(expected) == text) << "round " << round;
    }
}

TEST(IsCrLfText, TellsTextsThatJoiningGivesBack)
{
    // CR LF texts whose breaks fall on every position of the sixteen-byte blocks, then the same texts
    // with one break made a lone CR or LF, or the last break left off.
    std::mt19937 random(23);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::string> lines(random() % 8);
        for (auto &line : lines)
            line.assign(random() % 20, static_cast<char>('a' + random() % 3));
        const std::string text = JoinLinesCrLf(lines);
        ASSERT_TRUE(qvc::IsCrLfText(text)) << "round " << round;
        if (text.empty())
            continue;
        std::string broken = text;
        const std::size_t at = broken.find("\r\n", random() % broken.size());
        const std::size_t first = at == std::string::npos ? broken.find("\r\n") : at;
        broken.erase(first + (random() % 2), 1);
        ASSERT_FALSE(qvc::IsCrLfText(broken)) << "round " << round;
        ASSERT_FALSE(qvc::IsCrLfText(text.substr(0, text.size() - 2) + "x")) << "round " << round;
        ASSERT_FALSE(qvc::IsCrLfText(text.substr(0, text.size() - 1))) << "round " << round;
    }
}

TEST(JoinLinesCrLf, EndsEveryLineWithCrLf)
{
    EXPECT_EQ(JoinLinesCrLf({ "a", "", "b" }), "a\r\n\r\nb\r\n");
    EXPECT_EQ(JoinLinesCrLf({}), "");
}
