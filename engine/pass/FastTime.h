#pragma once
// The precision timer with which the substitution pass measures itself.
#include <cstdint>

namespace qvc {

/// Ticks per second of the counter behind TFastTimer (a monotonic clock).
std::int64_t CounterFrequency();

/// Replaces the counter behind TFastTimer with `source` (ticks at CounterFrequency), so that tests move
/// time themselves; nullptr restores the monotonic clock.
void SetCounterSource(std::int64_t (*source)());

class TFastTimer
{
public:
    /// Stores the counter's current value as the start reading.
    void Start();
    /// Stores the counter's current value as the stop reading.
    void Stop();
    /// (stop reading - start reading) / CounterFrequency(), in seconds.
    long double ElapsedSeconds() const;

private:
    std::int64_t m_start = 0;
    std::int64_t m_stop = 0;
};

} // namespace qvc
