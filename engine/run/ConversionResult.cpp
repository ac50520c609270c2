#include "engine/run/ConversionResult.h"

#include "common/AsciiCase.h"

namespace qvc {

void TConversionResult::Record(std::string_view find, std::string_view replace, int occurrences)
{
    for (auto &entry : m_entries) {
        if (AsciiEqualNoCase(entry.Find, find) && AsciiEqualNoCase(entry.Replace, replace)) {
            entry.Occurrences += occurrences;
            return;
        }
    }
    m_entries.push_back(TResultEntry { std::string(find), std::string(replace), occurrences });
}

long long TConversionResult::Total() const
{
    long long total = 0;
    for (const auto &entry : m_entries)
        total += entry.Occurrences;
    return total;
}

} // namespace qvc
