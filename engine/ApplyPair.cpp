#include "engine/ApplyPair.h"

#include "common/AsciiCase.h"
#include "engine/Separator.h"
#include "engine/TargetNames.h"

namespace qvc {

int ApplyPairToLine(std::string &line, std::string_view find, std::string_view findLower, std::string_view replace,
    std::string &scratch)
{
    // A blank line cannot hold a find text that is not blank, so it needs no test of its own.
    int count = 0;
    for (;;) {
        // Only "A" to "Z" fold to lower case; accented and other bytes must match exactly.
        scratch.resize(line.size());
        for (std::size_t k = 0; k < line.size(); ++k)
            scratch[k] = AsciiLowerChar(line[k]);
        // Only the first occurrence in the line is looked at, so one inside a longer word ends the line.
        const std::size_t p = std::string_view(scratch).find(findLower);
        if (p == std::string_view::npos)
            break;
        // A word starts at the line's start or after a separator ("_" and every byte from 0x80 included).
        if (p > 0 && !IsSeparator(line[p - 1]))
            break;
        // A line holding the replace text anywhere (letter case counting) is left alone, so a non-empty
        // replace text is inserted at most once per line and pair.
        if (!replace.empty() && line.find(replace) != std::string::npos)
            break;
        // A word ends at the line's end or before a separator; a find text ending in "_" may run on.
        const std::size_t end = p + find.size();
        const bool endsAtSeparator = end >= line.size() || IsSeparator(line[end]);
        if (!endsAtSeparator && line[end - 1] != '_')
            break;
        line.replace(p, find.size(), replace);
        ++count;
        // After a replacement the search starts again from the line's start, so an empty replace text
        // deletes one occurrence after the other until the first one left fails a test.
    }
    return count;
}

void NotePairApplied(int count, std::string_view entryText, const std::string &targetName, std::string_view find,
    std::string_view replace, std::string &newName, TConversionResult &results)
{
    if (count <= 0)
        return;
    // Entries whose texts differ only in letter case share one count (the results see to that).
    results.Record(entryText, count);
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
    std::string scratch;
    int count = 0;
    for (auto &line : lines)
        count += ApplyPairToLine(line, find, findLower, replace, scratch);
    if (count > 0) {
        std::string entry(find);
        entry += '=';
        entry += replace;
        NotePairApplied(count, entry, targetName, find, replace, newName, results);
    }
    return count;
}

} // namespace qvc
