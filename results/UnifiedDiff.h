#pragma once
// Differences between two texts: the shortest edit script between two sequences (Myers), git's unified
// diff of a converted file, and the changed words of one changed line.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qvc {

/// One step of an edit script: an element both sequences share, or one only the old or only the new has.
struct TDiffStep
{
    enum TKind { Same, Removed, Added } Kind = Same;
    std::size_t Old = 0; ///< index into the old sequence (Same, Removed)
    std::size_t New = 0; ///< index into the new sequence (Same, Added)
};

/// The edit script from `a` to `b`, shortest when the part between their common start and common end
/// needs at most `maxEdits` removals and additions; beyond that the rest of that part is paired element by
/// element (slower cases stay linear, and the script stays valid, just not shortest).
std::vector<TDiffStep> DiffSequences(
    const std::vector<std::string_view> &a, const std::vector<std::string_view> &b, std::size_t maxEdits = 1000);

/// How the text a run writes relates to the file it read.
enum class TDiffChange {
    Modified, ///< written over the file read
    Copied, ///< written under another name, the file read kept (a form under its new extension)
    Renamed, ///< written under another name, the file read removed (a unit under its new name)
};

/// The two names of one file's diff, as they follow "a/" and "b/" (relative paths, file-system bytes).
struct TDiffFile
{
    std::string OldPath;
    std::string NewPath;
    TDiffChange Change = TDiffChange::Modified;
    bool Binary = false; ///< shown as a binary change whatever the bytes (a binary form)
};

/// Appends git's unified diff of `oldBytes` to `newBytes` (3 lines of context by default): the "diff --git"
/// header, copy or rename lines, and the hunks, every line as its bytes with its own line end (a line end
/// that changes, LF to CR LF say, changes its line). Bytes with a NUL, or `file.Binary`, give git's
/// "Binary files ... differ" line instead of hunks. Appends nothing for a modified file whose bytes stay.
void AppendUnifiedDiff(std::string &out, const TDiffFile &file, std::string_view oldBytes, std::string_view newBytes,
    std::size_t context = 3);

/// A path as a diff names it: relative to `currentFolder` (an absolute path) when `path` is absolute,
/// normalised ("./" and "x/.." taken out) either way. File-system bytes in and out.
std::string DiffPathOf(const std::string &path, const std::string &currentFolder);

/// The byte ranges [first, second) of the words (runs of letters and digits, or single other bytes) that
/// differ between an old line and a new one, in each.
struct TChangedWords
{
    std::vector<std::pair<std::size_t, std::size_t>> Old;
    std::vector<std::pair<std::size_t, std::size_t>> New;
};

/// The words that differ between `oldLine` and `newLine`, from the shortest edit script of their words;
/// neighbouring changed words join into one range.
TChangedWords ChangedWordsOf(std::string_view oldLine, std::string_view newLine);

} // namespace qvc
