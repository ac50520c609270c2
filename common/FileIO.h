#pragma once
// Whole-file reading and safe replacement. Paths are 8-bit byte strings as the file system holds them.
#include <string>
#include <string_view>

namespace qvc {

inline constexpr std::string_view kCannotOpenFile = "Cannot open file \"%s\". %s";
inline constexpr std::string_view kCannotCreateFile = "Cannot create file \"%s\". %s";

/// Reads a whole file as bytes. Throws TError "Cannot open file "%s". %s" with the system's reason.
std::string ReadFileBytes(const std::string &path);

/// ReadFileBytes into the first bytes of `buffer`, which grows when the file needs more room and never
/// shrinks, so that one buffer serves file after file. Returns the number of bytes read.
std::size_t ReadFileInto(const std::string &path, std::string &buffer);

/// Writes bytes to path by writing a new file beside it and renaming it over the old one, so a failed
/// write (disk full, no permission) never loses or truncates the old file. The permission bits of an
/// existing file are kept. Throws TError "Cannot create file "%s". %s" with the system's reason.
void WriteFileReplacing(const std::string &path, std::string_view bytes);

/// While one of these is alive, WriteFileReplacing keeps the file each replacement displaces (hidden, in
/// its folder) and reuses it for the next replacement in that folder, so a run over a tree does not make
/// the file system allocate a new inode for every file. The last scope to end removes the kept file.
class TSpareFileScope
{
public:
    TSpareFileScope();
    ~TSpareFileScope();
    TSpareFileScope(const TSpareFileScope &) = delete;
    TSpareFileScope &operator=(const TSpareFileScope &) = delete;
};

/// Renames a file without ever replacing an existing one. Returns false (errno set) on failure.
bool RenameNoReplace(const std::string &from, const std::string &to);

/// True when something (file, folder, anything but a dangling link) exists at path.
bool PathExists(const std::string &path);

/// True when a regular file (or a link to one) exists at path.
bool FileExists(const std::string &path);

/// True when a folder (or a link to one) exists at path.
bool DirectoryExists(const std::string &path);

/// Deletes a file; returns false when it could not be deleted.
bool DeleteFile(const std::string &path);

} // namespace qvc
