#pragma once
// The parts of a path as text: its folder, its file name and the file name's extension. Nothing here asks the
// file system; paths are bytes and "/" is the only separator.
#include <string>
#include <string_view>

namespace qvc {

/// The folder part of a path ("." for a bare name, "/" for a file in the root).
std::string FolderOf(const std::string &path);

/// The folder part of a path with its final "/" ("" for a bare name), ready to have a file name appended.
std::string_view FolderPart(std::string_view path);

/// The file name of a path: what follows its last "/".
std::string_view NamePart(std::string_view path);

/// The extension of the file name of `path`: from its last ".", dot included; empty if it has none.
std::string_view FileExtension(std::string_view path);

/// `path` with the extension of its file name replaced by `extension` (dot included).
std::string ChangeExtension(std::string_view path, std::string_view extension);

/// The path with the extension of its last component replaced by `extension` (".dat", ".ini"); added when the
/// name has none. Unlike ChangeExtension, a name that only starts with a dot (".profile") has no extension.
std::string ReplaceExtension(const std::string &path, const std::string &extension);

} // namespace qvc
