#pragma once
// File names on a case-sensitive file system: the program's Windows ancestors lower-cased every stored path,
// which is harmless where letter case is ignored but names another file where it counts.
#include <string>

namespace qvc {

/// The path made absolute against the current folder (no links resolved); an empty path stays empty.
std::string AbsolutePath(const std::string &path);

/// The path with its ASCII letters lower-cased when that form names the very same existing file (same device and
/// inode, as on a case-insensitive file system); otherwise the path exactly as given. Never fails.
std::string CaseSafeLowerPath(const std::string &path);

} // namespace qvc
