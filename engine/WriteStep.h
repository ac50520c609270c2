#pragma once
// The writing of one converted file: the plan decided from the file system before anything is done (the
// name written, the backups, the file removed, the companions renamed), and its execution.
#include "common/Checksum.h"
#include "common/FileIO.h"
#include "engine/BackupStep.h"
#include "engine/FileView.h"

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
/// are taken back. New bytes reach the disk before their names, and a new unit name before the old one is
/// removed; every folder whose names change is noted in `changed`, for the run to sync. Throws TChangedMeanwhile when
/// the file read was changed since (nothing written), TError "Unable to backup file." (path: the file, with the
/// system's reason) or "Cannot create file "%s". %s".
TWriteOutcome ExecuteWritePlan(const TWriteRequest &request, const TWritePlan &plan, std::string_view text,
    TChangedFolders &changed, TRunJournal *journal = nullptr, int row = -1, const TContentSum *readSum = nullptr);

/// True when the writing of `request` puts its text under one name (the file read, or a form's name under its
/// new extension) and changes no other name but that name's backups: no new unit name, no backup names. Only
/// such writing waits in a batch (StageWrite, JournalStagedWrite, PublishStagedWrite).
bool WritesOneName(const TWriteRequest &request);

/// Makes the writing of `text` for `request` ready in `batch` under its TargetName, its new file written but
/// not yet in place, once the file read is still as read and the name may be changed. Returns its number in
/// the batch. Throws TChangedMeanwhile (nothing made) or TError "Cannot create file "%s". %s".
std::size_t StageWrite(const TWriteRequest &request, std::string_view text, TReplacementBatch &batch);

/// Journals the steps of a staged `plan` (its backups, then the writing of the text summed `written`; the
/// file read summed `readSum`) ahead of them, so that a batch's lines all precede its first step.
void JournalStagedWrite(const TWriteRequest &request, const TWritePlan &plan, TRunJournal &journal, int row,
    const TContentSum &readSum, const TContentSum &written);

/// Takes the steps of the staged `plan` for `request` whose text waits in `batch` as number `index`, after
/// the batch's Sync: the backups, then the new file put in place; every folder changed is noted in `changed`.
/// A backup that moves its older one elsewhere than planned is journaled when `journal` is given. Throws
/// TChangedMeanwhile (backups taken back, nothing written), TError "Unable to backup file." or "Cannot create
/// file "%s". %s"; the file keeps its old text then.
TWriteOutcome PublishStagedWrite(const TWriteRequest &request, const TWritePlan &plan, TReplacementBatch &batch,
    std::size_t index, TChangedFolders &changed, TRunJournal *journal, int row);

/// Writes `text` as the new file `path`, where nothing stands yet (a form under its new extension),
/// journaled first when `journal` is given; its folder is noted in `changed`. Returns false, writing
/// nothing, when a file of that name was made meanwhile. Throws TError "Cannot create file "%s". %s".
bool WriteNewFile(
    const std::string &path, std::string_view text, TChangedFolders &changed, TRunJournal *journal, int row);

} // namespace qvc
