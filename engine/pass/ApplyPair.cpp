#include "engine/pass/ApplyPair.h"

#include "common/AsciiCase.h"
#include "engine/pascal/PascalReader.h"
#include "engine/pass/Separator.h"
#include "engine/write/TargetNames.h"

#include <limits>

namespace qvc {

namespace {

void LowerInto(std::string_view text, std::string &lower)
{
    lower.resize(text.size());
    for (std::size_t k = 0; k < text.size(); ++k)
        lower[k] = AsciiLowerChar(text[k]);
}

// border[j]: the length of the longest proper prefix of pattern[0, j] that is also a suffix of it.
void BorderTable(std::string_view pattern, std::vector<std::uint32_t> &border)
{
    border.assign(pattern.size(), 0);
    std::uint32_t length = 0;
    for (std::size_t j = 1; j < pattern.size(); ++j) {
        while (length > 0 && pattern[j] != pattern[length])
            length = border[length - 1];
        if (pattern[j] == pattern[length])
            ++length;
        border[j] = length;
    }
}

// The rounds of an empty replace text in one reading of the line. The bytes kept so far are written back
// into the line's front; an occurrence is found when they end with it, and it is the first occurrence of the
// line as the rounds so far left it: the kept bytes hold no other, and any other ends later. Deleting it
// brings back the matcher's state after the kept byte before it, which `states` holds for every kept byte.
template <typename TState>
int DeleteWords(std::string &line, std::string_view findLower, const std::vector<std::uint32_t> &border,
    std::vector<TState> &states)
{
    const std::size_t size = line.size();
    const std::size_t length = findLower.size();
    states.resize(size);
    std::size_t kept = 0;
    std::size_t state = 0;
    int count = 0;
    for (std::size_t read = 0; read < size;) {
        const char c = line[read++];
        line[kept] = c;
        const char lower = AsciiLowerChar(c);
        while (state > 0 && findLower[state] != lower)
            state = border[state - 1];
        if (findLower[state] == lower)
            ++state;
        states[kept++] = static_cast<TState>(state);
        if (state < length)
            continue;
        const std::size_t start = kept - length;
        const bool startsWord = start == 0 || IsSeparator(line[start - 1]);
        const bool endsWord = read == size || IsSeparator(line[read]) || c == '_';
        if (!startsWord || !endsWord) {
            // This round stops the pair on the line: the rest stays as it is.
            line.erase(kept, read - kept);
            return count;
        }
        ++count;
        kept = start;
        state = kept > 0 ? states[kept - 1] : 0;
    }
    line.resize(kept);
    return count;
}

} // namespace

int ApplyPairToLine(std::string &line, std::string_view find, std::string_view findLower, std::string_view replace,
    TLineScratch &scratch)
{
    // A blank line cannot hold a find text that is not blank, so it needs no test of its own.
    // Only "A" to "Z" fold to lower case; accented and other bytes must match exactly.
    LowerInto(line, scratch.Lower);
    // Only the first occurrence in the line is looked at, so one inside a longer word ends the line.
    const std::size_t p = std::string_view(scratch.Lower).find(findLower);
    if (p == std::string_view::npos)
        return 0;
    // A word starts at the line's start or after a separator ("_" and every byte from 0x80 included).
    if (p > 0 && !IsSeparator(line[p - 1]))
        return 0;
    // A line holding the replace text anywhere (letter case counting) is left alone, so a non-empty
    // replace text is inserted at most once per line and pair.
    if (!replace.empty() && line.find(replace) != std::string::npos)
        return 0;
    // A word ends at the line's end or before a separator; a find text ending in "_" may run on.
    const std::size_t end = p + find.size();
    if (end < line.size() && !IsSeparator(line[end]) && line[end - 1] != '_')
        return 0;
    if (!replace.empty()) {
        // After a replacement the search starts again from the line's start, and stops at once: the line
        // now holds the replace text.
        line.replace(p, find.size(), replace);
        scratch.Lower.replace(p, find.size(), replace);
        for (std::size_t k = p; k < p + replace.size(); ++k)
            scratch.Lower[k] = AsciiLowerChar(scratch.Lower[k]);
        return 1;
    }
    // An empty replace text deletes one occurrence after the other, the search starting again from the
    // line's start each time, until the first one left fails a test.
    BorderTable(findLower, scratch.Border);
    const int count = findLower.size() <= std::numeric_limits<std::uint8_t>::max()
        ? DeleteWords(line, findLower, scratch.Border, scratch.NarrowStates)
        : DeleteWords(line, findLower, scratch.Border, scratch.WideStates);
    LowerInto(line, scratch.Lower);
    return count;
}

int ApplyCodePairToLine(std::string &line, std::string &classes, std::string_view findLower, std::string_view replace,
    std::string_view replaceLower, TLineScratch &scratch, std::vector<TCodeMiss> &misses)
{
    misses.clear();
    LowerInto(line, scratch.Lower);
    const std::string_view lower = scratch.Lower;
    const std::size_t length = findLower.size();
    // An edge of the find text that is no identifier byte (a "," or ";") needs no boundary beside it.
    const bool checkBefore = IsIdentifierByte(findLower.front());
    const bool checkAfter = IsIdentifierByte(findLower.back());
    // Only a replace text that holds the find text can cover one of its occurrences.
    const bool mayBeCovered = !replaceLower.empty() && replaceLower.find(findLower) != std::string_view::npos;
    std::size_t cover = std::string_view::npos;
    std::size_t nextCover = mayBeCovered ? lower.find(replaceLower) : std::string_view::npos;
    std::string &out = scratch.Out;
    std::string &outClasses = scratch.OutClasses;
    out.clear();
    outClasses.clear();
    std::size_t copied = 0;
    int count = 0;
    for (std::size_t q = lower.find(findLower); q != std::string_view::npos;) {
        const std::size_t end = q + length;
        bool stands = (!checkBefore || q == 0 || !IsIdentifierByte(line[q - 1]))
            && (!checkAfter || end == line.size() || !IsIdentifierByte(line[end]));
        if (stands && mayBeCovered) {
            // The last occurrence of the replace text starting at or before q covers q when it reaches end.
            while (nextCover != std::string_view::npos && nextCover <= q) {
                cover = nextCover;
                nextCover = lower.find(replaceLower, nextCover + 1);
            }
            if (cover != std::string_view::npos && cover + replaceLower.size() >= end)
                stands = false;
        }
        if (!stands) {
            q = lower.find(findLower, q + 1);
            continue;
        }
        std::size_t outside = q;
        while (outside < end && classes[outside] == 0)
            ++outside;
        if (outside < end) {
            misses.push_back(
                { static_cast<std::uint32_t>(out.size() + (q - copied)), static_cast<std::uint8_t>(classes[outside]) });
        } else {
            out.append(line, copied, q - copied);
            outClasses.append(classes, copied, q - copied);
            out.append(replace);
            outClasses.append(replace.size(), '\0');
            copied = end;
            ++count;
        }
        q = lower.find(findLower, end);
    }
    if (count == 0)
        return 0;
    out.append(line, copied);
    outClasses.append(classes, copied);
    // Copied, not swapped: the working space keeps its capacity, and a short line never takes over the
    // buffer a long line grew (a line per pair would otherwise hold the longest line's size).
    line.assign(out);
    classes.assign(outClasses);
    return count;
}

void NotePairApplied(int count, const std::string &targetName, std::string_view find, std::string_view replace,
    std::string &newName, TConversionResult &results)
{
    if (count <= 0)
        return;
    // Entries whose texts differ only in letter case share one count (the results see to that).
    results.Record(find, replace, count);
    // The first pair that replaces the file's own unit name names the file; later ones do not.
    if (IsBlankText(newName)) {
        std::string formed = NewNameFor(targetName, find, replace);
        if (!formed.empty())
            newName = std::move(formed);
    }
}

int ApplyPair(std::vector<std::string> &lines, std::string_view find, std::string_view replace,
    const std::string &targetName, std::string &newName, TConversionResult &results)
{
    // A blank find text (empty, or bytes up to 0x20 alone) changes nothing; any other is used as stored,
    // its blanks included.
    if (IsBlankText(find))
        return 0;
    const std::string findLower = AsciiLower(find);
    TLineScratch scratch;
    int count = 0;
    for (auto &line : lines)
        count += ApplyPairToLine(line, find, findLower, replace, scratch);
    NotePairApplied(count, targetName, find, replace, newName, results);
    return count;
}

} // namespace qvc
