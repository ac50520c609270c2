#pragma once
// Binary form files (.dfm/.xfm written by Delphi or Kylix) turned into their text form.
#include <string>
#include <string_view>

namespace qvc {

/// Appends the text description of the binary form stream `stream` (which begins with "TPF0") to `out`:
/// 8-bit text, CR LF after every line. Throws TError with a clear message on a malformed stream; `out`
/// is then incomplete and must be discarded.
void BinaryFormToText(std::string_view stream, std::string &out);

/// Checks the resource header in front of a binary form file (0xFF, the 16-bit value 10, a name ended by
/// NUL, a 16-bit flags word and a 32-bit size) and returns the bytes after it. Throws TError when the
/// header does not begin with 0xFF and 10 or the file ends inside it.
std::string_view SkipResourceHeader(std::string_view fileBytes);

} // namespace qvc
