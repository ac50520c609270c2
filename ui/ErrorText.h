#pragma once
// The one place where the window turns the core's messages into text to show: the program's text is
// Windows-1252, a path the file system's bytes, the system's reason the C library's words in the locale's
// encoding; each part is decoded as what it is.
#include "common/Errors.h"

#include <QString>
#include <exception>

namespace qvc {

/// A message as the window shows it.
QString ErrorText(const TMessage &message);
/// An exception's message as the window shows it.
QString ErrorText(const std::exception &error);

} // namespace qvc
