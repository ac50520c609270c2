#pragma once
// The files of a "qvconvert convert" run from the names given to it: folders are searched as the window's
// scan searches them, and the names join one list as the window's file list takes them.
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// The run's files, in order: a name that is a folder is replaced by the files the folder search finds in it
/// (masks from `maskText` split at ";", the default masks when it reads as empty; depth first; folders whose
/// name begins with "." and links to folders are not entered); any other name is kept as given. Each file is
/// kept once, at its first place: a name that repeats the bytes of one before it, or differs from it only in
/// letter case and names the same existing file, is dropped (TListedFileNames). Names are the file system's bytes.
/// Throws TError naming the folder and the system's reason when a folder cannot be read to its end.
std::vector<std::string> CollectRunFiles(const std::vector<std::string> &names, std::string_view maskText);

} // namespace qvc
