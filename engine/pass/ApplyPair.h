#pragma once
// The rules by which one substitution pair changes lines: whole words, ASCII letter case ignored, the
// scan of a line restarting after every replacement.
#include "engine/run/ConversionResult.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// Working space of ApplyPairToLine, reused from one line to the next.
struct TLineScratch
{
    std::string Lower; ///< the line as the pair leaves it, in ASCII lower case
    std::vector<std::uint32_t> Border;
    std::vector<std::uint8_t> NarrowStates;
    std::vector<std::uint32_t> WideStates;
    std::string Out; ///< the line being written by the code rules, and the classes of its bytes
    std::string OutClasses;
};

/// An occurrence the code rules would replace but that lies outside code: where it starts in the line as
/// the pair left it (from 0), and the class (a TByteClass) of its first byte that is not code.
struct TCodeMiss
{
    std::uint32_t Column = 0;
    std::uint8_t Class = 0;
};

/// Applies one pair to one line by the rules of the code scope and returns the replacements made.
/// `classes` holds a TByteClass per byte of `line` (0 for code) and is changed with it: the replace text
/// is code. An occurrence of `findLower` (ASCII letters folded) is replaced when every byte of it is code,
/// the bytes before and after it are not identifier bytes (where its own first and last are), and it
/// does not lie inside an occurrence of `replaceLower` on the line as it was; every such occurrence, left
/// to right. Those that only fail for lying outside code are put in `misses`.
int ApplyCodePairToLine(std::string &line, std::string &classes, std::string_view findLower, std::string_view replace,
    std::string_view replaceLower, TLineScratch &scratch, std::vector<TCodeMiss> &misses);

/// Applies one pair to one line by the pass's exact rules and returns the replacements made, in time
/// linear in the line's length. `find` must not be blank; `findLower` is `find` in ASCII lower case;
/// `scratch.Lower` is left holding the line as the pair leaves it, in ASCII lower case.
int ApplyPairToLine(std::string &line, std::string_view find, std::string_view findLower, std::string_view replace,
    TLineScratch &scratch);

/// Applies one pair (find, replace) to every line, in order, and returns its replacements (0 for a
/// blank find). Records them in `results` under the pair and sets `newName` when the file's own
/// unit name is replaced (see NewNameFor) and `newName` is still blank.
int ApplyPair(std::vector<std::string> &lines, std::string_view find, std::string_view replace,
    const std::string &targetName, std::string &newName, TConversionResult &results);

/// After a pair made `count` replacements: records them under the pair and names the file anew when the
/// pair replaced its own unit name and no earlier pair did.
void NotePairApplied(int count, const std::string &targetName, std::string_view find, std::string_view replace,
    std::string &newName, TConversionResult &results);

} // namespace qvc
