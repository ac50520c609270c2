#include "engine/pass/FastTime.h"
#include "engine/run/DisplayFormat.h"

#include <gtest/gtest.h>

namespace {

struct TCountCase
{
    const char *Name;
    long long Count;
    const char *Separator;
    const char *Expected;
};

const TCountCase kCountCases[] = {
    { "Zero", 0, ".", "0" },
    { "ThreeDigits", 999, ".", "999" },
    { "PointSeparator", 1234, ".", "1.234" },
    { "CommaSeparator", 1234567, ",", "1,234,567" },
    { "MultiByteSeparator", 1000, "\xC2\xA0",
        "1\xC2\xA0"
        "000" },
    { "NoSeparator", 123456, "", "123456" },
    { "Failed", -1, ".", "-1" },
    { "NegativeGrouped", -1234, ".", "-1.234" },
    { "Int32Max", 2147483647, ".", "2.147.483.647" },
    { "Int64Min", -9223372036854775807LL - 1, ",", "-9,223,372,036,854,775,808" },
};

class FormatCountTest : public ::testing::TestWithParam<TCountCase>
{
};

TEST_P(FormatCountTest, GroupsDigitsByThree)
{
    EXPECT_EQ(qvc::FormatCount(GetParam().Count, GetParam().Separator), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatCountTest, ::testing::ValuesIn(kCountCases),
    [](const auto &info) { return std::string(info.param.Name); });

struct TElapsedCase
{
    const char *Name;
    long double Seconds;
    const char *Separator;
    const char *Expected;
};

const TElapsedCase kElapsedCases[] = {
    { "UnderASecond", 0.4L, ":", "00:00:00" },
    { "MinuteAndSeconds", 75.2L, ":", "00:01:15" },
    { "RoundsToWholeMilliseconds", 59.9996L, ":", "00:01:00" },
    { "JustBelowRounding", 59.9994L, ":", "00:00:59" },
    { "Hours", 3L * 3600 + 25L * 60 + 7, ":", "03:25:07" },
    { "HoursWrapAtADay", 86400.0L + 61, ":", "00:01:01" },
    { "OtherSeparator", 3661, ".", "01.01.01" },
    { "Negative", -5, ":", "00:00:00" },
};

class FormatElapsedTest : public ::testing::TestWithParam<TElapsedCase>
{
};

TEST_P(FormatElapsedTest, ShowsTimeOfDay)
{
    EXPECT_EQ(qvc::FormatElapsed(GetParam().Seconds, GetParam().Separator), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatElapsedTest, ::testing::ValuesIn(kElapsedCases),
    [](const auto &info) { return std::string(info.param.Name); });

TEST(FormatElapsed, NotANumberShowsZero)
{
    EXPECT_EQ(qvc::FormatElapsed(std::numeric_limits<long double>::quiet_NaN(), ":"), "00:00:00");
    EXPECT_EQ(qvc::FormatElapsed(std::numeric_limits<long double>::infinity(), ":"), "00:00:00");
}

struct TPercentCase
{
    long long Position;
    long long Total;
    int Expected;
};

TEST(RoundedPercent, HalvesGoToTheEvenNeighbour)
{
    const TPercentCase cases[] = {
        { 1, 8, 12 }, // 12.5
        { 3, 8, 38 }, // 37.5
        { 5, 8, 62 }, // 62.5
        { 7, 8, 88 }, // 87.5
        { 1, 3, 33 },
        { 2, 3, 67 },
        { 1, 200, 0 }, // 0.5
        { 3, 200, 2 }, // 1.5
        { 8, 8, 100 },
        { 0, 8, 0 },
        { 1, 0, 0 },
    };
    for (const auto &c : cases)
        EXPECT_EQ(qvc::RoundedPercent(c.Position, c.Total), c.Expected) << c.Position << " of " << c.Total;
    EXPECT_EQ(qvc::FormatPercent(3, 8), "38%");
}

std::int64_t g_fakeCounter = 0;

TEST(FastTimer, MeasuresTheSpanBetweenStartAndStop)
{
    qvc::SetCounterSource([] { return g_fakeCounter; });
    qvc::TFastTimer timer;
    g_fakeCounter = 1000;
    timer.Start();
    g_fakeCounter += qvc::CounterFrequency() * 3 / 2;
    timer.Stop();
    EXPECT_EQ(timer.ElapsedSeconds(), 1.5L);
    qvc::SetCounterSource(nullptr);
    // The real counter only moves forward.
    timer.Start();
    timer.Stop();
    EXPECT_GE(timer.ElapsedSeconds(), 0.0L);
    EXPECT_GT(qvc::CounterFrequency(), 0);
}

} // namespace
