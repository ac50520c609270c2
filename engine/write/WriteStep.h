#pragma once
// The writing of one converted file: the plan decided from the file system before anything is done (the
// name written, the backups, the file removed, the companions renamed), and its execution.
#include "common/Checksum.h"
#include "common/FileIO.h"
#include "engine/write/BackupStep.h"
#include "engine/write/FileView.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qvc {

class TRunJournal;

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

/// Carries out `plan` for `request`, journaling every step before it is taken when `journal` is given;
/// `readSum` is the sum of the bytes read. Every file it replaces or removes is checked first
/// (CheckMayChange) and backed up before anything is written; when the writing then fails, those backups
/// are taken back. New bytes reach the disk before their names; every folder whose names change is noted
/// in `changed`, for the run to sync. Throws TChangedMeanwhile when the file read was changed since
/// (nothing written), TError "Unable to backup file." (path: the file, with the system's reason) or
/// "Cannot create file "%s". %s".
TWriteOutcome ExecuteWritePlan(const TWriteRequest &request, const TWritePlan &plan, std::string_view text,
    TChangedFolders &changed, TRunJournal *journal = nullptr, int row = -1, const TContentSum *readSum = nullptr);

/// Whether `plan` writes nothing but the file read, under its own name (with its backups): no other name is
/// replaced, removed or renamed.
bool ReplacesOnlyTheFileRead(const TWritePlan &plan);

/// The checks ExecuteWritePlan makes before its first step: the file read is unchanged since it was read
/// (else TChangedMeanwhile), the files replaced and removed may be changed (else TError).
void CheckWritePlan(const TWriteRequest &request, const TWritePlan &plan);

/// Records the steps of `plan` in `journal` (when given) as ExecuteWritePlan does, without making them
/// durable; returns the sums of the companions to rename (none for one that cannot be read).
std::vector<std::optional<TContentSum>> JournalWritePlan(const TWriteRequest &request, const TWritePlan &plan,
    std::string_view text, TRunJournal *journal, int row, const TContentSum *readSum);

/// Carries out a plan that ReplacesOnlyTheFileRead, checked (CheckWritePlan) and journaled and synced by the
/// caller, with the new file `prepared` for it beforehand: the backups, then the commit of the new file. When
/// the file's metadata changed since it was prepared, `prepareAgain` first makes the new file again. When the
/// commit fails the backups are taken back; throws as ExecuteWritePlan does.
TWriteOutcome CommitPreparedWrite(const TWritePlan &plan, TFileReplacement &prepared,
    const std::function<void()> &prepareAgain, TChangedFolders &changed, TRunJournal *journal, int row);

/// Writes `text` as the new file `path`, where nothing stands yet (a form under its new extension),
/// journaled first when `journal` is given; its folder is noted in `changed`. Returns false, writing
/// nothing, when a file of that name was made meanwhile. Throws TError "Cannot create file "%s". %s".
bool WriteNewFile(
    const std::string &path, std::string_view text, TChangedFolders &changed, TRunJournal *journal, int row);

} // namespace qvc
