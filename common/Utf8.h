#pragma once
// UTF-8, the encoding of file names on the systems the program runs on: decoding one sequence, encoding one code
// point, and checking a whole text. Only well-formed UTF-8 counts (no overlong form, no surrogate, nothing above
// U+10FFFF).
#include <cstddef>
#include <string>
#include <string_view>

namespace qvc {

/// Decodes the well-formed UTF-8 sequence at byte `at` of `text` into `code`; returns its length in bytes (1 for an
/// ASCII byte), 0 when the bytes there are no such sequence (`code` is then undefined). `at` must be inside `text`.
std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t &code);

/// Appends the UTF-8 bytes of a code point (at most U+10FFFF).
void AppendUtf8(std::string &out, char32_t code);

/// True when the whole text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

} // namespace qvc
