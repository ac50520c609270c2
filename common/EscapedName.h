#pragma once
// File names as a terminal line shows them: a name that holds a line feed, a tab, a backslash, another control
// byte or bytes that are not UTF-8 is written with backslash escapes, the way GNU ls's escape quoting style does,
// so a line of plain output always names one file and never carries raw control bytes to the terminal.
#include <string>
#include <string_view>

namespace qvc {

/// `name` (the file system's bytes) with \a \b \t \n \v \f \r for those bytes, \\ for a backslash, \ooo (three
/// octal digits) for every other control byte, DEL, each byte of a character that is not printable in a UTF-8
/// locale and each byte that starts no well-formed UTF-8 sequence; every other byte, blanks included, stays as it
/// is, so a name without such bytes comes back unchanged. The same for every locale; never throws but bad_alloc.
std::string EscapedName(std::string_view name);

} // namespace qvc
