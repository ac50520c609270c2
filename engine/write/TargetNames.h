#pragma once
// The names a converted file is written under: the form's extension under the RenameMode, and the unit's
// new name when a pair replaces the file's own base name.
#include "common/PathNames.h"
#include "repository/RenameMode.h"

#include <string>
#include <string_view>

namespace qvc {

/// The path a form file is written to under `renameMode`: ".dfm" becomes ".xfm" from Delphi to Kylix, ".xfm"
/// becomes ".dfm" from Kylix to Delphi, ".dfm" becomes ".lfm" from Delphi to Lazarus (extensions compared
/// exactly, letter case counting); anything else unchanged.
std::string RenamedTarget(const std::string &fileName, TRenameMode renameMode);

/// The name a file written to `targetName` takes when `find` (its base name, letter case counting) is
/// replaced by `replace`: the folder, `replace` and the extension. Empty when the base name is not `find`,
/// when `replace` holds both "{" and "}", or when `replace` is blank or holds "/" or NUL (a blank
/// replace must not make a nameless hidden file, a "/" must not move the file to another folder).
std::string NewNameFor(const std::string &targetName, std::string_view find, std::string_view replace);

} // namespace qvc
