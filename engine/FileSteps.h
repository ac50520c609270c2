#pragma once
// The file steps of converting one file once its text is known: which names it is written under, the
// backups made first, the writing itself and the companions renamed after a unit's own name changed.
#include "common/Checksum.h"
#include "common/FileIO.h"

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

/// The file system as the file steps of a run see it: the files as they stand, or (TRunOverlay) as the
/// earlier rows of a simulated run would have left them.
class TFileView
{
public:
    virtual ~TFileView() = default;
    /// StampOf(path): links followed, a missing file gives Exists false.
    virtual TFileStamp Stamp(const std::string &path) const;
    /// Whether anything stands under the name itself (a dangling link too).
    virtual bool Present(const std::string &path) const;
    /// Whether the name itself is a regular file its owner may write.
    virtual bool WritableRegular(const std::string &path) const;
    /// The names in `folder` ("" for the current folder), in no particular order.
    virtual std::vector<std::string> Names(const std::string &folder) const;
};

/// One backup a writing makes.
struct TPlannedBackup
{
    std::string File; ///< the file backed up
    std::string Name; ///< its backup
    std::string OlderMovedTo; ///< where an older backup of that name moves, empty when there is none
};

/// What the writing of one converted file will do, decided from the file system before any of it is done.
struct TWritePlan
{
    std::string WrittenName;
    TFileStamp WrittenStamp; ///< the file of that name as it is expected when it is replaced
    bool WrittenIsRead = false; ///< the name written leads to the file read
    std::vector<TPlannedBackup> Backups; ///< in the order they are made
    std::string RemovedName; ///< the file read, removed once its text stands under a new unit name
    std::vector<std::pair<std::string, std::string>> Renamed; ///< companions: old name, new name
    std::vector<std::string> Overwrites; ///< existing files replaced that are not the file read
    /// The backup the outcome names: of the file read, or of the file written over.
    std::string BackupName() const { return Backups.empty() ? std::string() : Backups.back().Name; }
};

/// Decides the writing of `request` as `view` shows the files: the name written, the backups, the file
/// removed, the companions renamed (each only when its new name is free) and the files overwritten.
TWritePlan PlanConvertedFile(const TWriteRequest &request, const TFileView &view);

/// The companions RenameCompanionFiles would rename, as `view` shows the folder: old and new names.
std::vector<std::pair<std::string, std::string>> PlanCompanionFiles(
    const std::string &fileName, const std::string &newName, const TFileView &view);

class TRunJournal;

/// Carries out `plan` for `request` (WriteConvertedFile's checks, failures and take-back of backups),
/// journaling every step before it is taken when `journal` is given; `readSum` is the sum of the bytes read.
TWriteOutcome ExecuteWritePlan(const TWriteRequest &request, const TWritePlan &plan, std::string_view text,
    TRunJournal *journal = nullptr, int row = -1, const TContentSum *readSum = nullptr);

/// The files as a simulated run has left them so far: what it would have written (with the text),
/// removed and renamed, laid over the file system.
class TRunOverlay : public TFileView
{
public:
    TFileStamp Stamp(const std::string &path) const override;
    bool Present(const std::string &path) const override;
    bool WritableRegular(const std::string &path) const override;
    std::vector<std::string> Names(const std::string &folder) const override;

    /// Takes in the effects of a planned writing of `text`.
    void Apply(const TWritePlan &plan, const std::string &fileName, std::string_view text);
    /// Takes in a file written where none was (a form under its new extension).
    void Created(const std::string &path, std::string_view text);
    /// Whether the overlay decides what reading `path` gives.
    bool Knows(const std::string &path) const;
    /// Reads `path` as the overlay has it into the first bytes of `buffer`: the text a simulated row
    /// wrote, or the bytes of the file it came from. Throws TError "Cannot open file "%s". %s" for a
    /// file removed or renamed away.
    std::size_t ReadInto(const std::string &path, std::string &buffer, TFileStamp *stamp) const;

private:
    struct TEntry
    {
        bool Exists = false;
        TFileStamp Stamp;
        bool HasText = false;
        std::string Text;
        std::string Source; ///< a file on disk holding its bytes (a renamed or backed-up file)
    };
    void Put(const std::string &path, TEntry entry);
    TEntry EntryOf(const std::string &path) const;

    std::map<std::string, TEntry> m_entries;
    ino_t m_nextInode = 1;
};

/// Writes the converted `text` of one file. Every file it replaces or removes (the file read, an
/// existing target or NewName file) is checked first (CheckMayChange) and, with backup on, backed up
/// before anything is written; when the writing then fails, those backups are taken back. Under a new
/// unit name the text is written as NewName, the file read removed and its companions renamed.
/// Throws TChangedMeanwhile when the file read was changed since (nothing written), TError
/// "Unable to backup file." (path: the file, with the system's reason) or "Cannot create file "%s". %s".
TWriteOutcome WriteConvertedFile(const TWriteRequest &request, std::string_view text);

} // namespace qvc
