#pragma once
// The names a converted file is written under: the form's extension under the RenameMode, and the unit's
// new name when a pair replaces the file's own base name.
#include <string>
#include <string_view>

namespace qvc {

/// The rename choice of the command line alone (never stored): Delphi forms written as Lazarus forms.
inline constexpr int kRenameDelphiToLazarus = 3;

/// The pair that points a Lazarus run's units at their forms, any letter case found.
inline constexpr std::string_view kLazarusResourcePair = "{$R *.dfm}={$R *.lfm}";

/// The extension of the file name of `path`: from its last ".", dot included; empty if it has none.
std::string_view FileExtension(std::string_view path);

/// `path` with the extension of its file name replaced by `extension` (dot included).
std::string ChangeExtension(std::string_view path, std::string_view extension);

/// The path a form file is written to under `renameMode`: ".dfm" becomes ".xfm" under 0, ".xfm"
/// becomes ".dfm" under 1, ".dfm" becomes ".lfm" under kRenameDelphiToLazarus (extensions compared
/// exactly, letter case counting); anything else unchanged.
std::string RenamedTarget(const std::string &fileName, int renameMode);

/// The name a file written to `targetName` takes when `find` (its base name, letter case counting) is
/// replaced by `replace`: the folder, `replace` and the extension. Empty when the base name is not `find`,
/// when `replace` holds both "{" and "}", or when `replace` is blank or holds "/" or NUL (a blank
/// replace must not make a nameless hidden file, a "/" must not move the file to another folder).
std::string NewNameFor(const std::string &targetName, std::string_view find, std::string_view replace);

} // namespace qvc
