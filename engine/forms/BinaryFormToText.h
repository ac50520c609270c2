#pragma once
// Binary form files (.dfm/.xfm written by Delphi or Kylix) turned into their text form.
#include <string>
#include <string_view>

namespace qvc {

// Why a binary form cannot be read. The first "%s" is the offset of the bytes at fault.
inline constexpr std::string_view kFormNoSignature
    = "Invalid binary form at offset %s: the stream does not begin with the signature \"TPF0\"";
inline constexpr std::string_view kFormEndsEarly
    = "Invalid binary form at offset %s: the stream ends early (%s more bytes needed, %s left)";
inline constexpr std::string_view kFormLengthBeyondEnd
    = "Invalid binary form at offset %s: a length of %s goes beyond the end of the stream (%s bytes left)";
inline constexpr std::string_view kFormChildPositionNotInteger
    = "Invalid binary form at offset %s: the child position is not an integer value";
inline constexpr std::string_view kFormItemIndexNotInteger
    = "Invalid binary form at offset %s: the item index is not an integer value";
inline constexpr std::string_view kFormTextTooLong
    = "Invalid binary form at offset %s: its text form would be longer than %s times the size of the form";
inline constexpr std::string_view kFormNestedTooDeep
    = "Invalid binary form at offset %s: the form is nested deeper than %s levels";
inline constexpr std::string_view kFormUnknownValueType = "Invalid binary form at offset %s: unknown value type %s";
inline constexpr std::string_view kFormItemWithoutMarker
    = "Invalid binary form at offset %s: a collection item does not begin with its list marker";
inline constexpr std::string_view kFormBadResourceHeader
    = "Invalid binary form: the resource header does not begin with 0xFF and 10";
inline constexpr std::string_view kFormEndsInResourceHeader
    = "Invalid binary form: the file ends inside the resource header";

/// Appends the text description of the binary form stream `stream` (which begins with "TPF0") to `out`:
/// 8-bit text, CR LF after every line. Throws TError with a clear message on a malformed stream; `out`
/// is then incomplete and must be discarded.
void BinaryFormToText(std::string_view stream, std::string &out);

/// Checks the resource header in front of a binary form file (0xFF, the 16-bit value 10, a name ended by
/// NUL, a 16-bit flags word and a 32-bit size) and returns the bytes after it. Throws TError when the
/// header does not begin with 0xFF and 10 or the file ends inside it.
std::string_view SkipResourceHeader(std::string_view fileBytes);

} // namespace qvc
