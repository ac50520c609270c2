#pragma once
// The substitution list of a run, compiled once: every pair with its find text in lower case, the pairs
// that share a find text, the automaton that finds every find text in one scan, and the "Status" texts.
// Nothing changes after construction; any number of scans may read it.
#include "engine/pascal/UsesClauses.h"
#include "engine/pass/PairMatcher.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qvc {

/// One pair of the list as the scan reads it.
struct TCompiledPair
{
    std::string Find;
    std::string FindLower; ///< Find in ASCII lower case
    std::string Replace;
    bool Blank = true; ///< a blank find text never matches, and the pair is skipped
    std::uint32_t Pattern = 0; ///< the automaton's pattern for FindLower (not for a blank pair)
    std::string ReplaceLower; ///< Replace in ASCII lower case
    /// The pair applies by the whole-text rules in every scope: its find text names form files
    /// (".dfm", ".xfm" or ".lfm", as in "{$R *.dfm}={$R *.lfm}" or "*.dfm=*.xfm").
    bool EveryScope = false;
    TUnitPair Unit; ///< the pair as the uses scope reads it
};

class TCompiledPairs
{
public:
    /// Compiles the repository lines (each viewed as find text before its first "=", replace text after).
    explicit TCompiledPairs(const std::vector<std::string> &repositoryLines);

    /// The number of pairs (n), blank ones included.
    std::size_t Count() const { return m_pairs.size(); }
    const TCompiledPair &Pair(std::size_t i) const { return m_pairs[i]; }
    /// The number of distinct find texts (letter case aside): the automaton's patterns.
    std::size_t PatternCount() const { return m_pairsOfPattern.size(); }
    /// The pairs whose find text is `pattern`, in the order of the list.
    const std::vector<std::uint32_t> &PairsOf(std::uint32_t pattern) const { return m_pairsOfPattern[pattern]; }
    const TPairMatcher &Matcher() const { return m_matcher; }
    /// True when some pair applies by the whole-text rules in every scope.
    bool AnyEveryScope() const { return m_anyEveryScope; }
    /// The "Status" text shown after pair i (0-based): round((i + 1) / n * 100) "%".
    const std::string &StatusAfter(std::size_t i) const { return m_statusTexts[i]; }

private:
    struct TParts
    {
        std::vector<TCompiledPair> Pairs;
        std::vector<std::vector<std::uint32_t>> PairsOfPattern;
        std::vector<std::string> Patterns;
        std::vector<std::string> StatusTexts;
        bool AnyEveryScope = false;
    };
    static TParts Compile(const std::vector<std::string> &repositoryLines);
    explicit TCompiledPairs(TParts parts);

    const std::vector<TCompiledPair> m_pairs;
    const std::vector<std::vector<std::uint32_t>> m_pairsOfPattern;
    const TPairMatcher m_matcher;
    const std::vector<std::string> m_statusTexts;
    const bool m_anyEveryScope;
};

} // namespace qvc
