#include "engine/ConversionResult.h"

#include "common/AsciiCase.h"

namespace qvc {

void TConversionResult::Record(std::string_view text, int occurrences)
{
    for (auto &entry : m_entries) {
        if (AsciiEqualNoCase(entry.Text, text)) {
            entry.Occurrences += occurrences;
            return;
        }
    }
    m_entries.push_back(TResultEntry { std::string(text), occurrences });
}

long long TConversionResult::Total() const
{
    long long total = 0;
    for (const auto &entry : m_entries)
        total += entry.Occurrences;
    return total;
}

} // namespace qvc
