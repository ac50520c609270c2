#pragma once
// What a pass learns about a file beyond its replacements: the occurrences its rules left in place
// (missed) and the lines it changed, old and new.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// Why an occurrence of a find text was left in its line.
enum class TMissReason : std::uint8_t {
    SecondOccurrence, ///< the pair replaced on the line, and a line gets one replacement per pair
    HoldsReplaceText, ///< the line already held the replace text, so the pair did not touch it
    InsideLongerWord, ///< an earlier occurrence inside a longer word stopped the line's search
    InsideComment, ///< code scope: the occurrence lies in a comment
    InsideString, ///< code scope: the occurrence lies in a string (or a form's data)
    InsideDirective, ///< code scope: the occurrence lies in a compiler directive
    QualifiedByReplacedUnit, ///< uses scope: code qualified by a unit name the run replaced or removed
    NotPascalFile, ///< code and uses scopes: a file that is neither Pascal nor a form, left unchanged
    ResourceNotFound, ///< Lazarus rename: a program's {$R …} names a resource file the disk has under no case
    PropertyUnknownToLcl, ///< Lazarus rename: a form property the LCL class does not publish, left out of the .lfm
    ClassUnknownToLcl, ///< Lazarus rename: an object of a class the LCL does not have, kept as it is
};

/// The reason's text as the terminal shows it (ASCII, so the same bytes in Windows-1252 and UTF-8); the window has
/// its Portuguese words (MissReasonWindowText).
std::string_view MissReasonText(TMissReason reason);

/// One occurrence of a find text that stands alone as a word and was left in its line.
struct TMissedOccurrence
{
    std::uint32_t Line = 0; ///< counting from 1, in the text the pairs work on (a binary form's text form)
    std::uint32_t Column = 0; ///< byte offset in the line as the pair left it, counting from 1
    std::string Find; ///< the pair's find text, as in the substitution list
    TMissReason Reason = TMissReason::InsideLongerWord;

    bool operator==(const TMissedOccurrence &) const = default;
};

/// One line the pairs changed: its text before and after (line ends left out).
struct TChangedLine
{
    std::uint32_t Line = 0; ///< counting from 1
    std::string Old;
    std::string New;

    bool operator==(const TChangedLine &) const = default;
};

/// The changed lines a pass keeps for display at most.
inline constexpr std::size_t kKeptChangedLines = 1000;

/// Calls found(offset) for every occurrence of the find text in `line` from `from` on that is a whole word
/// by itself (line start or separator before it; separator, line end or a final "_" of the find text after
/// it) and does not lie inside an occurrence of `replace` (byte for byte; none when `replace` is empty).
/// `lowerLine` is `line` in ASCII lower case, `findLower` the find text in ASCII lower case (not empty). Time
/// linear in the line's length (times the lengths of the two texts).
template <typename TFound>
void ForEachStandaloneOccurrence(std::string_view line, std::string_view lowerLine, std::string_view findLower,
    std::string_view replace, std::size_t from, TFound &&found);

/// The reason every missed occurrence of one pair on one line gets.
constexpr TMissReason MissReasonOf(bool replaceEmpty, bool replacedOnLine, bool lineHoldsReplace)
{
    if (replaceEmpty)
        return TMissReason::InsideLongerWord;
    if (replacedOnLine)
        return TMissReason::SecondOccurrence;
    return lineHoldsReplace ? TMissReason::HoldsReplaceText : TMissReason::InsideLongerWord;
}

} // namespace qvc

#include "engine/pass/Separator.h"

namespace qvc {

template <typename TFound>
void ForEachStandaloneOccurrence(std::string_view line, std::string_view lowerLine, std::string_view findLower,
    std::string_view replace, std::size_t from, TFound &&found)
{
    const std::size_t size = findLower.size();
    // The first occurrence of replace at or after the lowest start that could still cover an occurrence of
    // the find text. That start only grows from one occurrence to the next, so the line is searched for
    // replace once from left to right, never again from each occurrence.
    std::size_t cover = 0;
    bool coverKnown = false;
    for (std::size_t q = lowerLine.find(findLower, from); q != std::string_view::npos;
         q = lowerLine.find(findLower, q + 1)) {
        if (q > 0 && !IsSeparator(line[q - 1]))
            continue;
        const std::size_t end = q + size;
        if (end < line.size() && !IsSeparator(line[end]) && line[end - 1] != '_')
            continue;
        if (!replace.empty()) {
            // The first occurrence of replace that could still cover [q, end) covers it when it starts by q.
            const std::size_t lowest = end >= replace.size() ? end - replace.size() : 0;
            if (!coverKnown || (cover != std::string_view::npos && cover < lowest)) {
                cover = line.find(replace, lowest);
                coverKnown = true;
            }
            if (cover != std::string_view::npos && cover <= q)
                continue;
        }
        found(q);
    }
}

} // namespace qvc
