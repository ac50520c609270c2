#pragma once
// What one file's pass did: the pairs that made replacements, merged by text regardless of letter case.
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

struct TResultEntry
{
    std::string Text; ///< find text, "=", replace text, exactly as in the substitution list
    int Occurrences = 0; ///< replacements made with that pair in the file, at least 1

    bool operator==(const TResultEntry &) const = default;
};

class TConversionResult
{
public:
    /// Counts one replacement of `text`: an entry equal to it ignoring ASCII letter case gains one,
    /// otherwise (text, 1) is appended, so entries stay in the order of their first replacement.
    void Record(std::string_view text, int occurrences = 1);
    void Clear() { m_entries.clear(); }
    const std::vector<TResultEntry> &Entries() const { return m_entries; }
    bool Empty() const { return m_entries.empty(); }
    /// Sum of the occurrences of every entry.
    long long Total() const;

    bool operator==(const TConversionResult &) const = default;

private:
    std::vector<TResultEntry> m_entries;
};

} // namespace qvc
