#pragma once
// The file steps of converting one file once its text is known: which names it is written under, the
// backups made first, the writing itself and the companions renamed after a unit's own name changed.
#include "common/FileIO.h"

#include <string>
#include <string_view>

namespace qvc {

inline constexpr std::string_view kUnableToBackupFile = "Unable to backup file.";

/// `path` with "~" after the first "." of its file name (Unit1.pas gives Unit1.~pas); a name without
/// a "." gets the "~" in front of the name. Folders in the path are never changed.
std::string BackupNameFor(const std::string &path);

/// The extension of the file name of `path`: from its last ".", dot included; empty if it has none.
std::string_view FileExtension(std::string_view path);

/// The rename choice of the command line alone (never stored): Delphi forms written as Lazarus forms.
inline constexpr int kRenameDelphiToLazarus = 3;

/// The pair that points a Lazarus run's units at their forms, any letter case found.
inline constexpr std::string_view kLazarusResourcePair = "{$R *.dfm}={$R *.lfm}";

/// The path a form file is written to under `renameMode`: ".dfm" becomes ".xfm" under 0, ".xfm"
/// becomes ".dfm" under 1, ".dfm" becomes ".lfm" under kRenameDelphiToLazarus (extensions compared
/// exactly, letter case counting); anything else unchanged.
std::string RenamedTarget(const std::string &fileName, int renameMode);

/// After a file was written as `newName`: renames the regular files beside `fileName` that share its
/// base name (any extension) to `newName`'s base name with their own extension. Skips hidden names,
/// files without write permission, the file itself and every backup (Unit1.~pas, Unit1.~pas.~2~).
/// Never overwrites; failures are ignored.
void RenameCompanionFiles(const std::string &fileName, const std::string &newName);

/// What the writing of one converted file is about.
struct TWriteRequest
{
    std::string FileName; ///< the file that was read
    TFileStamp ReadStamp; ///< that file as it was read
    std::string TargetName; ///< where the text goes: FileName, or the form's name under the RenameMode
    std::string NewName; ///< the unit's new name when its own name was replaced, else blank
    bool Backup = false;
};

/// What the writing did.
struct TWriteOutcome
{
    std::string WrittenName;
    std::string BackupName; ///< the backup of the file read (or of the file written over), if one was made
};

/// Writes the converted `text` of one file. Every file it replaces or removes (the file read, an
/// existing target or NewName file) is checked first (CheckMayChange) and, with backup on, backed up
/// before anything is written; when the writing then fails, those backups are taken back. Under a new
/// unit name the text is written as NewName, the file read removed and its companions renamed.
/// Throws TChangedMeanwhile when the file read was changed since (nothing written), TError
/// "Unable to backup file." (path: the file, with the system's reason) or "Cannot create file "%s". %s".
TWriteOutcome WriteConvertedFile(const TWriteRequest &request, std::string_view text);

} // namespace qvc
