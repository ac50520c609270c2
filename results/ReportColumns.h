#pragma once
// The cells of the result report's columns: a text trimmed, then cut, padded or centred to the column's width.
// Only the blank (32) and the horizontal tab (9) count as blanks; widths are bytes, which are characters in
// Windows-1252.
#include <cstddef>
#include <string>
#include <string_view>

namespace qvc {

/// The trimmed text left-aligned in exactly n characters: cut to n (and trimmed again, as a cut can
/// expose trailing blanks), then completed with the fill character.
std::string PadRightStr(std::string_view text, std::size_t n, char fill = ' ');
/// The trimmed text centred in exactly n characters: k = (n - length) / 2 fill characters on each side,
/// an odd one left over becomes a blank at the right; a longer text gives its first n characters.
std::string PadCenterStr(std::string_view text, std::size_t n, char fill = ' ');

} // namespace qvc
