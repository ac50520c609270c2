#pragma once
// Text pasted into the pairs grid, read line by line as a repository file is read: the lines that become rows and
// the ones refused, with why. Texts are Windows-1252 bytes.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// Why a pasted line gives no row.
enum class TPasteRefusal {
    NoFindText, ///< no byte above 0x20 before its first "=" (or no "=" at all): the pass would never use it
    RenameMarker, ///< the marker line of a rename choice: read back from a file it would set the RenameMode instead
};

struct TRefusedLine
{
    std::size_t Line = 0; ///< the line's number in the pasted text, from 1
    std::string Text; ///< the line as pasted
    TPasteRefusal Reason = TPasteRefusal::NoFindText;
};

struct TPastedPairs
{
    std::vector<std::string> Lines; ///< the rows to insert, in order, each exactly as pasted
    std::vector<TRefusedLine> Refused; ///< in line order
};

/// The rows of a pasted text. It is cut into lines as ReadRepositoryLines cuts a file (a NUL ends it; CR LF, lone CR
/// and lone LF break lines; a break at the end adds no line); a line becomes a row as written (its find text is
/// everything before its first "="), except that a blank line or "=" alone is skipped and a line without a find
/// text or equal to a rename marker is refused. Takes any bytes; never throws but bad_alloc.
TPastedPairs ReadPastedPairs(std::string_view text);

} // namespace qvc
