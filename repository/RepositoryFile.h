#pragma once
// The ".dat" repository file: its read form (any bytes) and its written form (RenameMode marker first, CR LF after
// every line). Lines are 8-bit text as held in the file; nothing is transcoded.
#include "repository/RenameMode.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// Format of the RenameMode marker line; "%d" is the RenameMode as one digit.
inline constexpr std::string_view kRenameMarkerFormat = "<|ChangeFileName=%d|>";

/// The marker line of a rename choice, e.g. "<|ChangeFileName=0|>" (20 bytes).
std::string RenameMarker(TRenameMode renameMode);

/// True when a whole line is the marker of a rename choice (0 to 3), ASCII letter case ignored: a file that holds
/// it is read with its RenameMode taken from such a line, not with it as a pair.
bool IsRenameMarker(std::string_view line);

/// The lines of a repository file's bytes: a NUL ends the text, lines break at CR LF, a lone CR or a lone LF,
/// a break at the very end adds no empty line, empty lines stay. Takes any bytes; never throws.
std::vector<std::string> ReadRepositoryLines(std::string_view bytes);

/// Looks for the marker of N = 0, then 1, then 2, then 3 (whole line, ASCII letter case ignored) from the top; at
/// the first N found, sets renameMode to N, removes that one line and returns true. Returns false and changes
/// nothing otherwise. The marker of 3 (Lazarus) is looked for only when none of 0 to 2 stands in the file.
bool ApplyRenameMarker(std::vector<std::string> &lines, TRenameMode &renameMode);

/// The written form: the marker for renameMode, then every line, each followed by CR LF.
std::string RepositoryFileBytes(const std::vector<std::string> &lines, TRenameMode renameMode);

/// Lines and RenameMode read from a repository file.
struct TRepositoryContent
{
    std::vector<std::string> Lines;
    TRenameMode RenameMode = kDefaultRenameMode;
    bool MarkerFound = false;
};

/// Reads a repository file's bytes and takes its marker out; renameMode is kept when no marker is found.
TRepositoryContent ParseRepositoryBytes(std::string_view bytes, TRenameMode renameMode);

/// Something a repository file holds that the read form takes without a word but its author hardly meant.
struct TRepositoryFinding
{
    enum class TKind {
        EmptyFile, ///< no text at all (nothing, or a NUL first)
        NoPair, ///< text, but no line with a find text the pass would use (one with a byte above 0x20)
        MarkerOutOfRange, ///< a whole line shaped like the marker with another number: read as a pair
    };
    TKind Kind = TKind::EmptyFile;
    std::size_t Line = 0; ///< MarkerOutOfRange: the line's number in the file, from 1; 0 for the others
    std::string Text; ///< MarkerOutOfRange: the line as read (ASCII); empty for the others
};

/// The findings of a repository file's bytes, read as ParseRepositoryBytes reads them: at most one EmptyFile or
/// NoPair, then every MarkerOutOfRange in line order. A line equal to the marker of 0 to 3 (taken or left as a
/// pair) and a marker with blanks around it are no findings. Takes any bytes; never throws but bad_alloc.
std::vector<TRepositoryFinding> RepositoryFindings(std::string_view bytes);

} // namespace qvc
