#pragma once
// The one place where qvconvert turns the core's messages into bytes for the terminal or for JSON. Each
// part keeps its own encoding until here: the program's text (Windows-1252) becomes the terminal's, a path
// stays the file system's bytes (as every Unix tool prints it) with control bytes and bytes that are not UTF-8
// escaped (EscapedName), the system's reason is what strerror says in the current locale.
#include "common/Errors.h"

#include <exception>
#include <string>
#include <string_view>

namespace qvc {

/// How the terminal takes the program's text.
enum class TTerminalEncoding {
    Utf8, ///< a UTF-8 locale
    Latin, ///< a Windows-1252 or ISO 8859-1/-15 locale: the bytes are shown as they are
    Ascii, ///< anything else (the C locale): a letter beyond ASCII becomes "?"
};

/// The encoding of the current locale's character set (LC_CTYPE).
TTerminalEncoding CurrentTerminalEncoding();

/// A program text in the terminal's encoding.
std::string TerminalProgramText(std::string_view cp1252, TTerminalEncoding encoding);

/// A message as the terminal shows it.
std::string ErrorText(const TMessage &message, TTerminalEncoding encoding = CurrentTerminalEncoding());
/// An exception's message as the terminal shows it.
std::string ErrorText(const std::exception &error, TTerminalEncoding encoding = CurrentTerminalEncoding());

/// The one line for a failure that ended a run: the message, with the file in front and the system's
/// reason after it when the error carries them apart from a message that does not name them.
std::string StopText(const TError &error, TTerminalEncoding encoding = CurrentTerminalEncoding());

/// Bytes kept when they are UTF-8, read as Windows-1252 otherwise.
std::string AsUtf8(const std::string &bytes);

/// A message as UTF-8 for JSON: paths and reasons that are not UTF-8 are read as Windows-1252.
std::string Utf8Text(const TMessage &message);

} // namespace qvc
