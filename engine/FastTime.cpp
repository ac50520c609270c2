#include "engine/FastTime.h"

#include <chrono>

namespace qvc {

namespace {

using TClock = std::chrono::steady_clock;

// The tests' clock (SetCounterSource), set before a run starts.
std::int64_t (*g_counterSource)() = nullptr; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

std::int64_t CounterNow()
{
    if (g_counterSource != nullptr)
        return g_counterSource();
    return static_cast<std::int64_t>(TClock::now().time_since_epoch().count());
}

} // namespace

std::int64_t CounterFrequency()
{
    return static_cast<std::int64_t>(TClock::period::den / TClock::period::num);
}

void SetCounterSource(std::int64_t (*source)())
{
    g_counterSource = source;
}

void TFastTimer::Start()
{
    m_start = CounterNow();
}

void TFastTimer::Stop()
{
    m_stop = CounterNow();
}

long double TFastTimer::ElapsedSeconds() const
{
    return static_cast<long double>(m_stop - m_start) / static_cast<long double>(CounterFrequency());
}

TFastTimer &SharedTimer()
{
    static TFastTimer timer;
    return timer;
}

} // namespace qvc
