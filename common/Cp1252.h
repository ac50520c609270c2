#pragma once
// Windows-1252, the code page of the program's texts and files, as the WHATWG encoding standard maps it
// (the five undefined bytes 0x81, 0x8D, 0x8F, 0x90, 0x9D map to the code points of the same value).
#include <string>
#include <string_view>

namespace qvc {

/// The Unicode code point of one Windows-1252 byte.
char32_t Cp1252ToCodePoint(unsigned char byte);

/// The Windows-1252 byte for a code point, or -1 when the code page has none.
int CodePointToCp1252(char32_t codePoint);

/// Windows-1252 bytes to UTF-8; every byte maps, so the result can be turned back into the same bytes.
std::string Cp1252ToUtf8(std::string_view bytes);

/// Windows-1252 bytes to UTF-16.
std::u16string Cp1252ToUtf16(std::string_view bytes);

/// UTF-16 to Windows-1252; a character the code page cannot hold becomes `replacement`.
std::string Utf16ToCp1252(std::u16string_view text, char replacement = '?');

/// True when every character of the UTF-16 text has a Windows-1252 byte.
bool FitsCp1252(std::u16string_view text);

/// UTF-8 to Windows-1252: each byte that starts no well-formed UTF-8 sequence, and each character without a byte,
/// becomes `replacement`.
std::string Utf8ToCp1252(std::string_view text, char replacement = '?');

} // namespace qvc
