#include "engine/pass/CompiledPairs.h"

#include "common/AsciiCase.h"
#include "engine/pass/Separator.h"
#include "engine/run/DisplayFormat.h"
#include "repository/PairView.h"

#include <map>

namespace qvc {

namespace {

std::vector<std::string> StatusTexts(std::size_t pairCount)
{
    // The "Status" text after every pair is the same for every file.
    std::vector<std::string> texts;
    texts.reserve(pairCount);
    for (std::size_t done = 1; done <= pairCount; ++done)
        texts.push_back(FormatPercent(static_cast<long long>(done), static_cast<long long>(pairCount)));
    return texts;
}

// A pair whose find text names form files ("*.dfm", "{$R *.dfm}") points the units at the forms a run
// renames: it keeps the whole-text rules in every scope, or the units would look for forms no longer there.
bool NamesFormFiles(std::string_view findLower)
{
    for (const std::string_view extension : { ".dfm", ".xfm", ".lfm" })
        if (findLower.find(extension) != std::string_view::npos)
            return true;
    return false;
}

} // namespace

TCompiledPairs::TParts TCompiledPairs::Compile(const std::vector<std::string> &repositoryLines)
{
    TParts parts;
    // Pairs with the same find text (letter case aside) share one pattern of the automaton.
    std::map<std::string, std::uint32_t> patternOf;
    parts.Pairs.reserve(repositoryLines.size());
    for (const auto &line : repositoryLines) {
        TCompiledPair pair;
        // Find and replace texts are taken as stored, blanks included; only the blank test ignores them.
        pair.Find = std::string(PairFind(line));
        pair.Replace = std::string(PairReplace(line));
        // Matching folds "A" to "Z" alone; every other byte must match exactly.
        pair.FindLower = AsciiLower(pair.Find);
        pair.Blank = IsBlankText(pair.Find);
        pair.ReplaceLower = AsciiLower(pair.Replace);
        pair.EveryScope = NamesFormFiles(pair.FindLower);
        pair.Unit = UnitPairOf(pair.Find, pair.Replace);
        if (!pair.Blank) {
            const auto [it, added]
                = patternOf.try_emplace(pair.FindLower, static_cast<std::uint32_t>(parts.Patterns.size()));
            if (added) {
                parts.Patterns.push_back(pair.FindLower);
                parts.PairsOfPattern.emplace_back();
            }
            pair.Pattern = it->second;
            parts.PairsOfPattern[it->second].push_back(static_cast<std::uint32_t>(parts.Pairs.size()));
        }
        parts.Pairs.push_back(std::move(pair));
    }
    parts.StatusTexts = StatusTexts(parts.Pairs.size());
    for (const TCompiledPair &pair : parts.Pairs)
        parts.AnyEveryScope = parts.AnyEveryScope || (pair.EveryScope && !pair.Blank);
    return parts;
}

TCompiledPairs::TCompiledPairs(const std::vector<std::string> &repositoryLines)
    : TCompiledPairs(Compile(repositoryLines))
{
}

// Every member comes from its own part, so none depends on another being made first.
TCompiledPairs::TCompiledPairs(TParts parts)
    : m_pairs(std::move(parts.Pairs))
    , m_pairsOfPattern(std::move(parts.PairsOfPattern))
    , m_matcher(parts.Patterns)
    , m_statusTexts(std::move(parts.StatusTexts))
    , m_anyEveryScope(parts.AnyEveryScope)
{
}

} // namespace qvc
