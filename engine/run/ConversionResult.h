#pragma once
// What one file's pass did: the pairs that made replacements, merged by their texts regardless of letter case.
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

struct TResultEntry
{
    std::string Find; ///< the pair's find text, exactly as in the substitution list (Windows-1252)
    std::string Replace; ///< the pair's replace text, exactly as in the substitution list (Windows-1252)
    int Occurrences = 0; ///< replacements made with that pair in the file, at least 1

    bool operator==(const TResultEntry &) const = default;
};

class TConversionResult
{
public:
    /// Counts `occurrences` replacements of the pair (find, replace): an entry whose two texts equal them
    /// ignoring ASCII letter case gains them, otherwise the pair is appended, so entries stay in the order of
    /// their first replacement.
    void Record(std::string_view find, std::string_view replace, int occurrences = 1);
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
