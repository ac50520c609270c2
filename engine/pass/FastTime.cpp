#include "engine/pass/FastTime.h"

#include <atomic>
#include <chrono>

namespace qvc {

namespace {

using TClock = std::chrono::steady_clock;

// Set by tests on one thread, read by the run on its worker.
std::atomic<std::int64_t (*)()> g_counterSource = nullptr; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

std::int64_t CounterNow()
{
    if (const auto source = g_counterSource.load(); source != nullptr)
        return source();
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

} // namespace qvc
