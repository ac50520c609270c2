#pragma once
// Small text routines that lay out the columns of the result report. Only the blank (32) and the
// horizontal tab (9) count as blanks; widths and counts are bytes, which are characters in Windows-1252.
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qvc {

/// The text without its leading blanks and tabs.
std::string LTrimStr(std::string_view text);
/// The text without its trailing blanks and tabs.
std::string RTrimStr(std::string_view text);
/// The text without blanks and tabs at either end.
std::string AllTrimStr(std::string_view text);
/// A whole number as decimal text (nothing to trim).
template <std::integral T> std::string AllTrimStr(T value)
{
    return std::to_string(value);
}
/// n copies of a character, n from 0 to 65535.
std::string ReplicateStr(char c, std::uint16_t n);
/// The text's first n characters, completed on the right with blanks to exactly n characters.
std::string FillStr(std::string_view text, std::size_t n);
/// The trimmed text left-aligned in exactly n characters: cut to n (and trimmed again, as a cut can
/// expose trailing blanks), then completed with the fill character.
std::string PadRightStr(std::string_view text, std::size_t n, char fill = ' ');
/// The trimmed text centred in exactly n characters: k = (n - length) / 2 fill characters on each side,
/// an odd one left over becomes a blank at the right; a longer text gives its first n characters.
std::string PadCenterStr(std::string_view text, std::size_t n, char fill = ' ');
/// a when the condition holds, else b.
template <typename T> T IIf(bool condition, T a, T b)
{
    return condition ? a : b;
}

} // namespace qvc
