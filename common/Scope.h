#pragma once
// Where the pairs of a run apply: the whole text, Pascal code only, or the unit names of uses clauses.
#include <cstdint>
#include <optional>
#include <string_view>

namespace qvc {

enum class TScope : std::uint8_t {
    All, ///< every byte of every line, by the pass's own rules
    Code, ///< Pascal code only: never in a comment, a compiler directive or a string
    Uses, ///< the unit names of uses clauses (and of a package's requires and contains clauses)
};

/// "all", "code" or "uses": the scope's name on the command line, in the journal and in JSON.
constexpr std::string_view ScopeName(TScope scope)
{
    switch (scope) {
    case TScope::Code:
        return "code";
    case TScope::Uses:
        return "uses";
    case TScope::All:
        break;
    }
    return "all";
}

/// The scope named `name` (as ScopeName writes it), none for any other text.
constexpr std::optional<TScope> ScopeFromName(std::string_view name)
{
    for (const TScope scope : { TScope::All, TScope::Code, TScope::Uses })
        if (ScopeName(scope) == name)
            return scope;
    return std::nullopt;
}

} // namespace qvc
