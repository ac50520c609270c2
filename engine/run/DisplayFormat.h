#pragma once
// How a run shows numbers and times in a row: counts "###,###,##0", times "HH:mm:ss", the "%d%%" status.
#include <string>
#include <string_view>

namespace qvc {

/// The separators of the user's locale; the window takes them from its locale, the tools from theirs.
struct TDisplayLocale
{
    std::string ThousandsSeparator = ".";
    std::string TimeSeparator = ":";
};

/// A count as "###,###,##0": at least one digit, groups of three joined by `thousandsSeparator`
/// (1234 with "." gives "1.234"; -1 gives "-1").
std::string FormatCount(long long count, std::string_view thousandsSeparator);

/// Elapsed seconds, rounded to whole milliseconds, as the time of day "HH:mm:ss" with `timeSeparator`
/// (0.4 gives "00:00:00", 75.2 gives "00:01:15"); hours run from 00 to 23, negative or NaN counts as 0.
std::string FormatElapsed(long double seconds, std::string_view timeSeparator);

/// round(position / total * 100) with halves to the even neighbour, exactly (1 of 8 gives 12, 3 of 8
/// gives 38); 0 when total is not positive.
int RoundedPercent(long long position, long long total);

/// The "Status" text after `position` of `total` pairs: "%d%%" of RoundedPercent.
std::string FormatPercent(long long position, long long total);

/// A percentage as the "Status" text: "%d%%".
std::string PercentText(int percent);

} // namespace qvc
