#include "engine/run/DisplayFormat.h"

#include <cmath>

namespace qvc {

namespace {

std::string TwoDigits(long long value)
{
    return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

} // namespace

std::string FormatCount(long long count, std::string_view thousandsSeparator)
{
    // Work on the magnitude as unsigned so the smallest value has a magnitude too.
    const bool negative = count < 0;
    unsigned long long magnitude
        = negative ? 0ULL - static_cast<unsigned long long>(count) : static_cast<unsigned long long>(count);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    std::string out;
    if (negative)
        out += '-';
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += thousandsSeparator;
        out += digits[i];
    }
    return out;
}

std::string FormatElapsed(long double seconds, std::string_view timeSeparator)
{
    long long ms = 0;
    if (std::isfinite(seconds) && seconds > 0) {
        // A day is all the format can show; larger spans wrap like a time of day and cannot overflow.
        const long double day = 86400.0L;
        const long double within = std::fmod(seconds, day);
        ms = std::llround(within * 1000.0L);
    }
    const long long totalSeconds = (ms / 1000) % 86400;
    const long long hours = totalSeconds / 3600;
    const long long minutes = totalSeconds / 60 % 60;
    const long long wholeSeconds = totalSeconds % 60;
    std::string out = TwoDigits(hours);
    out += timeSeparator;
    out += TwoDigits(minutes);
    out += timeSeparator;
    out += TwoDigits(wholeSeconds);
    return out;
}

int RoundedPercent(long long position, long long total)
{
    if (total <= 0)
        return 0;
    const long long scaled = position * 100;
    long long quotient = scaled / total;
    const long long twiceRest = (scaled % total) * 2;
    if (twiceRest > total || (twiceRest == total && quotient % 2 != 0))
        ++quotient;
    return static_cast<int>(quotient);
}

std::string FormatPercent(long long position, long long total)
{
    return PercentText(RoundedPercent(position, total));
}

std::string PercentText(int percent)
{
    return std::to_string(percent) + "%";
}

} // namespace qvc
