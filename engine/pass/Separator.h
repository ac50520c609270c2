#pragma once
// Word boundaries of the substitution pass: everything but the ASCII letters and digits separates words.

#include <string_view>

namespace qvc {

/// True for every byte outside "0" to "9", "A" to "Z" and "a" to "z": the underscore, blanks,
/// punctuation, control bytes and every byte from 0x80 up (accented letters too) are separators.
constexpr bool IsSeparator(char byte)
{
    const auto c = static_cast<unsigned char>(byte);
    return !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
}

/// True for a text that is empty or holds only bytes up to 0x20 (blanks and control bytes).
constexpr bool IsBlankText(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) > 0x20)
            return false;
    return true;
}

} // namespace qvc
